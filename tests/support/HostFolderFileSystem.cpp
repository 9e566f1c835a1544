#include "support/HostFolderFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kv::test {

using namespace platform;

namespace {

// Windows find patterns: "*" and "?" only, "*.*" matching names without a dot too.
bool findMatch(const QString& name, const QString& pattern)
{
    if (pattern == QLatin1String("*.*") || pattern == QLatin1String("*"))
        return true;
    QString rx;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('*'))
            rx += QLatin1String(".*");
        else if (c == QLatin1Char('?'))
            rx += QLatin1Char('.');
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                              QRegularExpression::CaseInsensitiveOption)
        .match(name)
        .hasMatch();
}

FileEntry entryOf(const QFileInfo& info)
{
    FileEntry e;
    e.name = info.fileName();
    e.attributes = info.isDir() ? kAttrDirectory : kAttrArchive;
    if (!info.isWritable())
        e.attributes |= kAttrReadOnly;
    e.size = info.isDir() ? 0 : quint64(info.size());
    e.modified = info.lastModified().toUTC();
    return e;
}

} // namespace

HostFolderFileSystem::HostFolderFileSystem(const QString& baseFolder)
    : m_driveRoot(QDir::cleanPath(baseFolder) + QStringLiteral("/drive_c")),
      m_trash(QDir::cleanPath(baseFolder) + QStringLiteral("/trash"))
{
    QDir().mkpath(m_driveRoot);
    QDir().mkpath(m_trash);
}

void HostFolderFileSystem::failOn(const QString& call, const QString& windowsPath)
{
    m_failing.insert(call + QLatin1Char(' ') + windowsPath.toLower());
}

void HostFolderFileSystem::setDiskSpace(quint64 freeBytes, quint64 totalBytes)
{
    m_diskSpaceSet = true;
    m_diskSpace = {freeBytes, totalBytes};
}

QString HostFolderFileSystem::toHostPath(const QString& windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath[1] != QLatin1Char(':') ||
        windowsPath[0].toUpper() != QLatin1Char('C'))
        return {};
    QString host = m_driveRoot;
    const QStringList parts = windowsPath.mid(2).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part == QLatin1String("..") || part == QLatin1String(".") || part.contains(QLatin1Char('/')))
            return {};
        host += QLatin1Char('/') + part;
    }
    return host;
}

QString HostFolderFileSystem::toWindowsPath(const QString& hostPath) const
{
    QString clean = QDir::cleanPath(hostPath);
    if (clean == m_driveRoot)
        return QStringLiteral("C:\\");
    if (clean.startsWith(m_driveRoot + QLatin1Char('/')))
        return QStringLiteral("C:") + clean.mid(m_driveRoot.size()).replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QStringLiteral("Z:") + clean.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

bool HostFolderFileSystem::begin(const char* call, const QString& path)
{
    m_calls.append(QLatin1String(call) + QLatin1Char(' ') + path);
    m_lastError = kErrorSuccess;
    if (m_failing.contains(QLatin1String(call) + QLatin1Char(' ') + path.toLower()))
        return setError(kErrorAccessDenied);
    if (toHostPath(path).isEmpty())
        return setError(kErrorPathNotFound);
    return true;
}

bool HostFolderFileSystem::setError(WinError error)
{
    m_lastError = error;
    return false;
}

std::unique_ptr<QIODevice> HostFolderFileSystem::open(const QString& path, QIODevice::OpenMode mode)
{
    if (!begin("open", path))
        return nullptr;
    auto file = std::make_unique<QFile>(toHostPath(path));
    if (QFileInfo(file->fileName()).isDir() || !file->open(mode)) {
        setError(QFileInfo::exists(file->fileName()) ? kErrorAccessDenied : kErrorFileNotFound);
        return nullptr;
    }
    return file;
}

bool HostFolderFileSystem::stat(const QString& path, FileEntry* out)
{
    if (!begin("stat", path))
        return false;
    const QFileInfo info(toHostPath(path));
    if (!info.exists())
        return setError(kErrorFileNotFound);
    *out = entryOf(info);
    return true;
}

QList<FileEntry> HostFolderFileSystem::find(const QString& pattern)
{
    QList<FileEntry> result;
    const qsizetype at = pattern.lastIndexOf(QLatin1Char('\\'));
    if (at < 0 || !begin("find", pattern.left(at + 1)))
        return result;
    const QString folder = toHostPath(pattern.left(at + 1));
    const QString namePattern = pattern.mid(at + 1);
    const QDir dir(folder);
    if (!dir.exists()) {
        setError(kErrorPathNotFound);
        return result;
    }
    const QFileInfoList infos = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& info : infos) {
        if (findMatch(info.fileName(), namePattern))
            result.append(entryOf(info));
    }
    if (result.isEmpty())
        setError(kErrorFileNotFound);
    return result;
}

bool HostFolderFileSystem::createDirectory(const QString& path)
{
    if (!begin("createDirectory", path))
        return false;
    const QString host = toHostPath(path);
    if (QFileInfo::exists(host))
        return setError(kErrorAlreadyExists);
    if (!QFileInfo(QFileInfo(host).absolutePath()).isDir())
        return setError(kErrorPathNotFound);
    return QDir().mkdir(host) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::makeSurePath(const QString& path)
{
    if (!begin("makeSurePath", path))
        return false;
    return QDir().mkpath(toHostPath(path)) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::removeFile(const QString& path)
{
    if (!begin("removeFile", path))
        return false;
    const QFileInfo info(toHostPath(path));
    if (!info.exists() && !info.isSymLink())
        return setError(kErrorFileNotFound);
    if (info.isDir() && !info.isSymLink())
        return setError(kErrorAccessDenied);
    return QFile::remove(info.filePath()) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::removeDirectory(const QString& path)
{
    if (!begin("removeDirectory", path))
        return false;
    const QString host = toHostPath(path);
    const QDir dir(host);
    if (!dir.exists())
        return setError(kErrorPathNotFound);
    if (!dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return setError(kErrorDirNotEmpty);
    return QDir().rmdir(host) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::moveFile(const QString& from, const QString& to)
{
    if (!begin("moveFile", from) || toHostPath(to).isEmpty())
        return m_lastError ? false : setError(kErrorPathNotFound);
    const QString src = toHostPath(from);
    const QString dst = toHostPath(to);
    if (!QFileInfo::exists(src))
        return setError(kErrorFileNotFound);
    if (QFileInfo::exists(dst))
        return setError(kErrorAlreadyExists);
    return QDir().rename(src, dst) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::copyFile(const QString& from, const QString& to, bool failIfExists)
{
    if (!begin("copyFile", from) || toHostPath(to).isEmpty())
        return m_lastError ? false : setError(kErrorPathNotFound);
    const QFileInfo src(toHostPath(from));
    const QString dst = toHostPath(to);
    if (!src.exists())
        return setError(kErrorFileNotFound);
    if (src.isDir() || QFileInfo(dst).isDir())
        return setError(kErrorAccessDenied);
    if (QFileInfo::exists(dst)) {
        if (failIfExists)
            return setError(kErrorFileExists);
        if (!QFile::remove(dst))
            return setError(kErrorAccessDenied);
    }
    return QFile::copy(src.filePath(), dst) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::setModified(const QString& path, const QDateTime& utc)
{
    if (!begin("setModified", path))
        return false;
    QFile file(toHostPath(path));
    if (!file.open(QIODevice::ReadWrite))
        return setError(kErrorFileNotFound);
    return file.setFileTime(utc, QFileDevice::FileModificationTime) || setError(kErrorAccessDenied);
}

bool HostFolderFileSystem::moveToRecycleBin(const QString& path)
{
    if (!begin("moveToRecycleBin", path))
        return false;
    const QFileInfo info(toHostPath(path));
    if (!info.exists())
        return setError(kErrorFileNotFound);
    QString target = m_trash + QLatin1Char('/') + info.fileName();
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_trash + QLatin1Char('/') + info.fileName() + QStringLiteral(" (%1)").arg(n);
    return QDir().rename(info.filePath(), target) || setError(kErrorAccessDenied);
}

QList<QChar> HostFolderFileSystem::logicalDrives()
{
    return {QLatin1Char('C')};
}

DriveType HostFolderFileSystem::driveType(const QString& root)
{
    return toHostPath(root).isEmpty() ? DriveType::NoRootDir : DriveType::Fixed;
}

bool HostFolderFileSystem::diskSpace(const QString& root, DiskSpace* out)
{
    if (!begin("diskSpace", root))
        return false;
    if (!m_diskSpaceSet)
        return setError(kErrorNotReady);
    *out = m_diskSpace;
    return true;
}

bool HostFolderFileSystem::volumeInformation(const QString& root, VolumeInfo* out)
{
    if (!begin("volumeInformation", root))
        return false;
    *out = {QStringLiteral("DRIVE_C"), 0x1234ABCD, QStringLiteral("NTFS")};
    return true;
}

} // namespace kv::test
