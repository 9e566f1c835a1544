#include "support/DriveFolderFileSystem.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kv::test {

using namespace kv::platform;

namespace {

constexpr QDir::Filters kAllEntries =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

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

quint64 folderBytes(const QString& folder)
{
    quint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += quint64(it.fileInfo().size());
    }
    return total;
}

// A file on a drive of limited capacity: a write takes what still fits and then fails.
class LimitedFile : public QFile
{
public:
    LimitedFile(const QString& path, QString driveFolder, quint64 capacity)
        : QFile(path), m_driveFolder(std::move(driveFolder)), m_capacity(capacity)
    {
    }

protected:
    qint64 writeData(const char* data, qint64 len) override
    {
        const quint64 used = folderBytes(m_driveFolder);
        // Writing inside the file (not past its end) takes no new room.
        const quint64 growth = quint64(std::max<qint64>(0, pos() + len - size()));
        const quint64 room = m_capacity > used ? m_capacity - used : 0;
        if (growth <= room)
            return QFile::writeData(data, len);
        const qint64 fits = len - qint64(growth - room);
        if (fits <= 0) {
            setErrorString(QStringLiteral("There is not enough space on the disk."));
            return -1;
        }
        return QFile::writeData(data, fits);
    }

private:
    QString m_driveFolder;
    quint64 m_capacity;
};

} // namespace

DriveFolderFileSystem::DriveFolderFileSystem(const QString& baseFolder)
    : m_trash(QDir::cleanPath(baseFolder) + QStringLiteral("/trash"))
{
    mapDrive(QLatin1Char('C'), QDir::cleanPath(baseFolder) + QStringLiteral("/drive_c"));
    m_drives[QLatin1Char('C')].space.reset();
    QDir().mkpath(m_trash);
}

void DriveFolderFileSystem::mapDrive(QChar letter, const QString& hostFolder, DriveType type,
                                     quint64 capacity)
{
    QDir().mkpath(hostFolder);
    Drive drive{QDir::cleanPath(hostFolder), type, capacity, std::nullopt};
    if (capacity == 0)
        drive.space = DiskSpace{quint64(1) << 40, quint64(1) << 40};
    m_drives.insert(letter.toUpper(), drive);
}

void DriveFolderFileSystem::failOn(const QString& call, const QString& windowsPath)
{
    m_failing.insert(call + QLatin1Char(' ') + windowsPath.toLower());
}

void DriveFolderFileSystem::setDiskSpace(quint64 freeBytes, quint64 totalBytes, QChar letter)
{
    auto it = m_drives.find(letter.toUpper());
    if (it != m_drives.end())
        it->space = DiskSpace{freeBytes, totalBytes};
}

quint64 DriveFolderFileSystem::usedBytes(QChar letter) const
{
    auto it = m_drives.constFind(letter.toUpper());
    return it == m_drives.constEnd() ? 0 : folderBytes(it->folder);
}

const DriveFolderFileSystem::Drive* DriveFolderFileSystem::driveOf(const QString& windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath.at(1) != QLatin1Char(':'))
        return nullptr;
    auto it = m_drives.constFind(windowsPath.at(0).toUpper());
    return it == m_drives.constEnd() ? nullptr : &it.value();
}

QString DriveFolderFileSystem::toHostPath(const QString& windowsPath) const
{
    const Drive* drive = driveOf(windowsPath);
    if (!drive)
        return {};
    QString host = drive->folder;
    bool resolving = true;
    for (const QString& part : windowsPath.mid(2).split(u'\\', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("..") || part == QLatin1String(".") || part.contains(u'/'))
            return {};
        QString name = part;
        if (resolving) {
            const QStringList entries = QDir(host).entryList(kAllEntries);
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
    QString clean = QDir::cleanPath(hostPath);
    for (auto it = m_drives.constBegin(); it != m_drives.constEnd(); ++it) {
        if (clean == it->folder || clean.startsWith(it->folder + QLatin1Char('/'))) {
            QString rest = clean.mid(it->folder.size());
            rest.replace(u'/', u'\\');
            return QString(it.key()) + QLatin1Char(':') +
                   (rest.isEmpty() ? QStringLiteral("\\") : rest);
        }
    }
    return QStringLiteral("Z:") + clean.replace(u'/', u'\\');
}

bool DriveFolderFileSystem::begin(const char* call, const QString& path)
{
    m_calls.append(QLatin1String(call) + QLatin1Char(' ') + path);
    m_lastError = kErrorSuccess;
    if (m_failing.contains(QLatin1String(call) + QLatin1Char(' ') + path.toLower()))
        return setError(kErrorAccessDenied);
    if (toHostPath(path).isEmpty())
        return setError(kErrorPathNotFound);
    return true;
}

bool DriveFolderFileSystem::setError(WinError error)
{
    m_lastError = error;
    return false;
}

std::unique_ptr<QIODevice> DriveFolderFileSystem::open(const QString& path, QIODevice::OpenMode mode)
{
    if (!begin("open", path))
        return nullptr;
    if (m_denied.contains(path.toLower())) {
        setError(kErrorSharingViolation);
        return nullptr;
    }
    const Drive* drive = driveOf(path);
    const QString host = toHostPath(path);
    std::unique_ptr<QFile> file;
    if (drive->capacity > 0 && (mode & QIODevice::WriteOnly)) {
        file = std::make_unique<LimitedFile>(host, drive->folder, drive->capacity);
        mode |= QIODevice::Unbuffered;
    } else {
        file = std::make_unique<QFile>(host);
    }
    if (QFileInfo(host).isDir() || !file->open(mode)) {
        if (QFileInfo::exists(host))
            setError(kErrorAccessDenied);
        else
            setError(QFileInfo(host).absoluteDir().exists() ? kErrorFileNotFound : kErrorPathNotFound);
        return nullptr;
    }
    return file;
}

bool DriveFolderFileSystem::stat(const QString& path, FileEntry* out)
{
    if (!begin("stat", path))
        return false;
    const QFileInfo info(toHostPath(path));
    if (!info.exists())
        return setError(kErrorFileNotFound);
    if (out)
        *out = entryOf(info);
    return true;
}

QList<FileEntry> DriveFolderFileSystem::find(const QString& pattern)
{
    QList<FileEntry> result;
    const qsizetype at = pattern.lastIndexOf(u'\\');
    if (at < 0 || !begin("find", pattern.left(at + 1)))
        return result;
    const QDir dir(toHostPath(pattern.left(at + 1)));
    if (!dir.exists()) {
        setError(kErrorPathNotFound);
        return result;
    }
    const QString namePattern = pattern.mid(at + 1);
    for (const QFileInfo& info : dir.entryInfoList(kAllEntries, QDir::Name)) {
        if (findMatch(info.fileName(), namePattern))
            result.append(entryOf(info));
    }
    if (result.isEmpty())
        setError(kErrorFileNotFound);
    return result;
}

bool DriveFolderFileSystem::createDirectory(const QString& path)
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

bool DriveFolderFileSystem::makeSurePath(const QString& path)
{
    if (!begin("makeSurePath", path))
        return false;
    // The last component without a trailing "\" is a file name.
    const QString folder = path.left(path.lastIndexOf(u'\\') + 1);
    return QDir().mkpath(toHostPath(folder)) || setError(kErrorAccessDenied);
}

bool DriveFolderFileSystem::removeFile(const QString& path)
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

bool DriveFolderFileSystem::removeDirectory(const QString& path)
{
    if (!begin("removeDirectory", path))
        return false;
    const QString host = toHostPath(path);
    const QDir dir(host);
    if (!dir.exists())
        return setError(kErrorPathNotFound);
    if (!dir.isEmpty(kAllEntries))
        return setError(kErrorDirNotEmpty);
    return QDir().rmdir(host) || setError(kErrorAccessDenied);
}

bool DriveFolderFileSystem::moveFile(const QString& from, const QString& to)
{
    if (!begin("moveFile", from) || toHostPath(to).isEmpty())
        return m_lastError ? false : setError(kErrorPathNotFound);
    const QString src = toHostPath(from);
    QString dst = toHostPath(to);
    if (!QFileInfo::exists(src))
        return setError(kErrorFileNotFound);
    // A name that differs only in case is the same entry: renaming it just changes its case.
    if (dst == src && QFileInfo(src).fileName() != to.section(u'\\', -1))
        dst = QFileInfo(src).path() + QLatin1Char('/') + to.section(u'\\', -1);
    else if (QFileInfo::exists(dst))
        return setError(kErrorAlreadyExists);
    // Moves stay on one drive, as a rename does.
    if (driveOf(from) != driveOf(to))
        return setError(kErrorNotSupported);
    return QDir().rename(src, dst) || setError(kErrorAccessDenied);
}

bool DriveFolderFileSystem::copyFile(const QString& from, const QString& to, bool failIfExists)
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
    // Through open(), so that unopenable files and full drives fail the copy as they would.
    std::unique_ptr<QIODevice> in = open(from, QIODevice::ReadOnly);
    if (!in)
        return false;
    std::unique_ptr<QIODevice> out = open(to, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!out)
        return false;
    while (!in->atEnd()) {
        const QByteArray block = in->read(1 << 20);
        if (out->write(block) != block.size()) {
            out->close();
            QFile::remove(dst);
            return setError(kErrorDiskFull);
        }
    }
    return true;
}

bool DriveFolderFileSystem::setModified(const QString& path, const QDateTime& utc)
{
    if (!begin("setModified", path))
        return false;
    QFile file(toHostPath(path));
    if (!file.open(QIODevice::ReadWrite))
        return setError(kErrorFileNotFound);
    return file.setFileTime(utc, QFileDevice::FileModificationTime) || setError(kErrorAccessDenied);
}

bool DriveFolderFileSystem::moveToRecycleBin(const QString& path)
{
    if (!begin("moveToRecycleBin", path))
        return false;
    const QFileInfo info(toHostPath(path));
    if (!info.exists())
        return setError(kErrorFileNotFound);
    if (m_trash.isEmpty())
        return (info.isDir() ? QDir(info.filePath()).removeRecursively()
                             : QFile::remove(info.filePath())) ||
               setError(kErrorAccessDenied);
    QString target = m_trash + QLatin1Char('/') + info.fileName();
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = m_trash + QLatin1Char('/') + info.fileName() + QStringLiteral(" (%1)").arg(n);
    return QDir().rename(info.filePath(), target) || setError(kErrorAccessDenied);
}

QList<QChar> DriveFolderFileSystem::logicalDrives()
{
    QList<QChar> letters = m_drives.keys();
    std::sort(letters.begin(), letters.end());
    return letters;
}

DriveType DriveFolderFileSystem::driveType(const QString& root)
{
    const Drive* drive = driveOf(root);
    return drive ? drive->type : DriveType::NoRootDir;
}

bool DriveFolderFileSystem::diskSpace(const QString& root, DiskSpace* out)
{
    if (!begin("diskSpace", root))
        return false;
    const Drive* drive = driveOf(root);
    if (drive->capacity > 0) {
        const quint64 used = folderBytes(drive->folder);
        *out = {drive->capacity > used ? drive->capacity - used : 0, drive->capacity};
        return true;
    }
    if (!drive->space)
        return setError(kErrorNotReady);
    *out = *drive->space;
    return true;
}

bool DriveFolderFileSystem::volumeInformation(const QString& root, VolumeInfo* out)
{
    if (!begin("volumeInformation", root))
        return false;
    const QChar letter = root.at(0).toUpper();
    *out = {QStringLiteral("DRIVE_") + letter, 0x1234ABCD, QStringLiteral("NTFS")};
    return true;
}

bool DriveFolderFileSystem::writeFile(const QString& windowsPath, const QByteArray& bytes)
{
    makeSurePath(windowsPath);
    auto device = open(windowsPath, QIODevice::WriteOnly | QIODevice::Truncate);
    return device && device->write(bytes) == bytes.size();
}

QByteArray DriveFolderFileSystem::readFile(const QString& windowsPath)
{
    auto device = open(windowsPath, QIODevice::ReadOnly);
    return device ? device->readAll() : QByteArray();
}

} // namespace kv::test
