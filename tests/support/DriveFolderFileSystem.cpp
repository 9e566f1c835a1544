#include "support/DriveFolderFileSystem.h"

#include "util/Like.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kv::test {

using namespace kv::platform;

namespace {

FileEntry entryOf(const QFileInfo& info)
{
    FileEntry e;
    e.name = info.fileName();
    e.attributes = info.isDir() ? kAttrDirectory : kAttrArchive;
    if (!info.isDir() && !info.isWritable())
        e.attributes |= kAttrReadOnly;
    e.size = info.isDir() ? 0 : quint64(info.size());
    e.modified = info.lastModified().toUTC();
    return e;
}

} // namespace

void DriveFolderFileSystem::mapDrive(QChar letter, const QString& hostFolder, DriveType type)
{
    QDir().mkpath(hostFolder);
    m_drives.insert(letter.toUpper(), QDir::cleanPath(hostFolder));
    m_types.insert(letter.toUpper(), type);
}

QString DriveFolderFileSystem::toHostPath(const QString& windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath[1] != u':')
        return QString();
    const QString root = m_drives.value(windowsPath[0].toUpper());
    if (root.isEmpty())
        return QString();
    QString host = root;
    bool resolving = true;
    for (const QString& part : windowsPath.mid(2).split(u'\\', Qt::SkipEmptyParts)) {
        QString name = part;
        if (resolving) {
            const QStringList entries = QDir(host).entryList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot);
            auto it = std::find_if(entries.begin(), entries.end(), [&](const QString& e) {
                return e.compare(part, Qt::CaseInsensitive) == 0;
            });
            if (it != entries.end())
                name = *it;
            else
                resolving = false;
        }
        host += QLatin1Char('/') + name;
    }
    return host;
}

QString DriveFolderFileSystem::toWindowsPath(const QString& hostPath) const
{
    const QString clean = QDir::cleanPath(hostPath);
    for (auto it = m_drives.begin(); it != m_drives.end(); ++it) {
        if (clean == it.value() || clean.startsWith(it.value() + QLatin1Char('/'))) {
            QString rest = clean.mid(it.value().size());
            rest.replace(u'/', u'\\');
            return QString(it.key()) + QLatin1Char(':') +
                   (rest.isEmpty() ? QStringLiteral("\\") : rest);
        }
    }
    return QStringLiteral("Z:") + QString(clean).replace(u'/', u'\\');
}

std::unique_ptr<QIODevice> DriveFolderFileSystem::open(const QString& path,
                                                       QIODevice::OpenMode mode)
{
    const QString host = toHostPath(path);
    if (host.isEmpty()) {
        fail(kErrorPathNotFound);
        return nullptr;
    }
    auto file = std::make_unique<QFile>(host);
    if (!file->open(mode)) {
        fail(QFileInfo(host).absoluteDir().exists() ? kErrorAccessDenied : kErrorPathNotFound);
        if ((mode & QIODevice::WriteOnly) == 0 && !QFileInfo::exists(host))
            fail(kErrorFileNotFound);
        return nullptr;
    }
    return file;
}

bool DriveFolderFileSystem::stat(const QString& path, FileEntry* out)
{
    const QString host = toHostPath(path);
    QFileInfo info(host);
    if (host.isEmpty() || !info.exists())
        return fail(kErrorFileNotFound);
    if (out)
        *out = entryOf(info);
    return true;
}

QList<FileEntry> DriveFolderFileSystem::find(const QString& pattern)
{
    const qsizetype slash = pattern.lastIndexOf(u'\\');
    const QString folder = toHostPath(pattern.left(slash + 1));
    const QString mask = pattern.mid(slash + 1);
    QList<FileEntry> out;
    const QFileInfoList infos = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : infos) {
        QString like = mask;
        like.replace(QLatin1String("["), QLatin1String("[[]")).replace(u'#', QLatin1String("[#]"));
        if (likeMatch(info.fileName(), like) || (mask == QLatin1String("*.*")))
            out.append(entryOf(info));
    }
    if (out.isEmpty())
        fail(kErrorFileNotFound);
    return out;
}

bool DriveFolderFileSystem::createDirectory(const QString& path)
{
    const QString host = toHostPath(path);
    if (host.isEmpty())
        return fail(kErrorPathNotFound);
    if (QFileInfo::exists(host))
        return fail(kErrorAlreadyExists);
    return QDir().mkdir(host) || fail(kErrorPathNotFound);
}

bool DriveFolderFileSystem::makeSurePath(const QString& path)
{
    const QString host = toHostPath(path);
    return (!host.isEmpty() && QDir().mkpath(host)) || fail(kErrorPathNotFound);
}

bool DriveFolderFileSystem::removeFile(const QString& path)
{
    const QString host = toHostPath(path);
    if (!QFileInfo(host).isFile())
        return fail(kErrorFileNotFound);
    return QFile::remove(host) || fail(kErrorAccessDenied);
}

bool DriveFolderFileSystem::removeDirectory(const QString& path)
{
    const QString host = toHostPath(path);
    if (!QFileInfo(host).isDir())
        return fail(kErrorPathNotFound);
    return QDir().rmdir(host) || fail(kErrorDirNotEmpty);
}

bool DriveFolderFileSystem::moveFile(const QString& from, const QString& to)
{
    const QString dest = toHostPath(to);
    if (QFileInfo::exists(dest))
        return fail(kErrorAlreadyExists);
    return QFile::rename(toHostPath(from), dest) || fail(kErrorFileNotFound);
}

bool DriveFolderFileSystem::copyFile(const QString& from, const QString& to, bool failIfExists)
{
    const QString dest = toHostPath(to);
    if (QFileInfo::exists(dest)) {
        if (failIfExists)
            return fail(kErrorFileExists);
        QFile::remove(dest);
    }
    return QFile::copy(toHostPath(from), dest) || fail(kErrorFileNotFound);
}

bool DriveFolderFileSystem::setModified(const QString&, const QDateTime&)
{
    return fail(kErrorNotSupported);
}

bool DriveFolderFileSystem::moveToRecycleBin(const QString&)
{
    return fail(kErrorNotSupported);
}

QList<QChar> DriveFolderFileSystem::logicalDrives()
{
    QList<QChar> letters = m_drives.keys();
    std::sort(letters.begin(), letters.end());
    return letters;
}

DriveType DriveFolderFileSystem::driveType(const QString& root)
{
    if (root.isEmpty())
        return DriveType::NoRootDir;
    return m_types.value(root[0].toUpper(), DriveType::NoRootDir);
}

bool DriveFolderFileSystem::diskSpace(const QString&, DiskSpace*)
{
    return fail(kErrorNotSupported);
}

bool DriveFolderFileSystem::volumeInformation(const QString&, VolumeInfo*)
{
    return fail(kErrorNotSupported);
}

bool DriveFolderFileSystem::writeFile(const QString& windowsPath, const QByteArray& bytes)
{
    const qsizetype slash = windowsPath.lastIndexOf(u'\\');
    makeSurePath(windowsPath.left(slash));
    auto device = open(windowsPath, QIODevice::WriteOnly | QIODevice::Truncate);
    return device && device->write(bytes) == bytes.size();
}

QByteArray DriveFolderFileSystem::readFile(const QString& windowsPath)
{
    auto device = open(windowsPath, QIODevice::ReadOnly);
    return device ? device->readAll() : QByteArray();
}

} // namespace kv::test
