#include "platform/posix/WineFileSystem.h"

#include "platform/WinWildcard.h"
#include "platform/posix/CapacityLimitedFile.h"
#include "platform/posix/PosixLog.h"
#include "platform/posix/ThreadLastError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cstdio>

namespace kv::platform::posix {

namespace {

bool hasInvalidNameChars(const QString& name)
{
    static const QString invalid = QStringLiteral("*?\"<>|:");
    for (const QChar c : name) {
        if (invalid.contains(c) || c.unicode() < 0x20)
            return true;
    }
    return false;
}

QString lastComponent(const QString& windowsPath)
{
    QString path = windowsPath;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

quint64 sizeOnDisk(const QString& hostPath)
{
    const QFileInfo info(hostPath);
    return info.isDir() ? CapacityLimitedFile::bytesUsed(hostPath) : quint64(info.size());
}

} // namespace

WineFileSystem::WineFileSystem(WinePrefix prefix, IRegistry& registry)
    : m_paths(std::move(prefix)), m_drives(registry)
{
}

WinError WineFileSystem::lastError() const
{
    return threadLastError();
}

QString WineFileSystem::toHostPath(const QString& windowsPath) const
{
    return m_paths.toHostPath(windowsPath);
}

QString WineFileSystem::toWindowsPath(const QString& hostPath) const
{
    return m_paths.toWindowsPath(hostPath);
}

bool WineFileSystem::fail(WinError error, const QString& what, const QString& path)
{
    threadLastError() = error;
    qCWarning(lcPosix).noquote() << what << path << "failed with error" << error;
    return false;
}

bool WineFileSystem::succeed()
{
    threadLastError() = kErrorSuccess;
    return true;
}

bool WineFileSystem::driveReady(QChar letter)
{
    return QFileInfo(m_paths.driveRoot(letter)).isDir();
}

bool WineFileSystem::driveUsable(const QString& path)
{
    const QChar letter = WinePathMapper::driveOf(path);
    if (letter.isNull() || m_paths.driveRoot(letter).isEmpty())
        return fail(kErrorPathNotFound, QStringLiteral("resolving"), path);
    if (!driveReady(letter))
        return fail(kErrorNotReady, QStringLiteral("resolving"), path);
    return true;
}

QString WineFileSystem::existingHostPath(const QString& path)
{
    if (!driveUsable(path))
        return {};
    const QString host = m_paths.toHostPath(path);
    const QFileInfo info(host);
    if (info.exists())
        return host;
    const bool folderExists = QFileInfo(info.path()).isDir();
    threadLastError() = folderExists ? kErrorFileNotFound : kErrorPathNotFound;
    return {};
}

QString WineFileSystem::newHostPath(const QString& path)
{
    if (!driveUsable(path))
        return {};
    const QString name = lastComponent(path);
    if (name.isEmpty() || hasInvalidNameChars(name)) {
        fail(kErrorInvalidName, QStringLiteral("naming"), path);
        return {};
    }
    const QString host = m_paths.toHostPath(path);
    if (!QFileInfo(QFileInfo(host).path()).isDir()) {
        fail(kErrorPathNotFound, QStringLiteral("resolving the folder of"), path);
        return {};
    }
    return host;
}

FileEntry WineFileSystem::entryOf(const QString& hostPath) const
{
    const QFileInfo info(hostPath);
    FileEntry entry;
    entry.name = info.fileName();
    entry.modified = info.lastModified().toUTC();
    if (info.isDir()) {
        entry.attributes = kAttrDirectory;
    } else {
        entry.attributes = kAttrArchive; // as Wine reports every regular file
        entry.size = quint64(info.size());
    }
    if (!info.isWritable())
        entry.attributes |= kAttrReadOnly;
    if (entry.name.startsWith(QLatin1Char('.')))
        entry.attributes |= kAttrHidden; // Wine's convention for Unix dot-files
    return entry;
}

bool WineFileSystem::hasRoom(const QString& path, quint64 bytes, quint64 replacedBytes)
{
    const QChar letter = WinePathMapper::driveOf(path);
    const quint64 capacity = m_drives.capacity(letter);
    if (capacity == 0)
        return true;
    const quint64 used = CapacityLimitedFile::bytesUsed(m_paths.driveRoot(letter));
    const quint64 usedAfter = used - std::min(used, replacedBytes) + bytes;
    if (usedAfter <= capacity)
        return true;
    return fail(kErrorDiskFull, QStringLiteral("making room for"), path);
}

std::unique_ptr<QIODevice> WineFileSystem::open(const QString& path, QIODevice::OpenMode mode)
{
    if (mode & QIODevice::Append)
        mode |= QIODevice::WriteOnly;
    const bool writing = mode & QIODevice::WriteOnly;
    const QString host = writing ? newHostPath(path) : existingHostPath(path);
    if (host.isEmpty())
        return nullptr;
    if (QFileInfo(host).isDir()) {
        fail(kErrorAccessDenied, QStringLiteral("opening the folder"), path);
        return nullptr;
    }
    std::unique_ptr<QIODevice> device;
    const QChar letter = WinePathMapper::driveOf(path);
    const quint64 capacity = writing ? m_drives.capacity(letter) : 0;
    if (capacity > 0)
        device = std::make_unique<CapacityLimitedFile>(host, m_paths.driveRoot(letter), capacity);
    else
        device = std::make_unique<QFile>(host);
    if (!device->open(mode)) {
        const bool missing = !writing && !QFileInfo::exists(host);
        fail(missing ? kErrorFileNotFound : kErrorAccessDenied, QStringLiteral("opening"), path);
        return nullptr;
    }
    succeed();
    return device;
}

bool WineFileSystem::stat(const QString& path, FileEntry* out)
{
    const QString host = existingHostPath(path);
    if (host.isEmpty())
        return false;
    if (out)
        *out = entryOf(host);
    return succeed();
}

QList<FileEntry> WineFileSystem::find(const QString& pattern)
{
    QString path = pattern;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    const qsizetype cut = path.lastIndexOf(QLatin1Char('\\'));
    if (WinePathMapper::driveOf(path).isNull() || cut < 2) {
        fail(kErrorPathNotFound, QStringLiteral("finding"), pattern);
        return {};
    }
    const QString folder = path.left(cut + 1);
    const QString last = path.mid(cut + 1);
    const QString host = existingHostPath(folder);
    if (host.isEmpty() || !QFileInfo(host).isDir()) {
        if (lastError() == kErrorFileNotFound || host.size() > 0)
            threadLastError() = kErrorPathNotFound;
        return {};
    }
    QList<FileEntry> found;
    if (!last.isEmpty()) {
        const QStringList names = QDir(host).entryList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot,
                                                       QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names) {
            if (winWildcardMatch(name, last))
                found.append(entryOf(host + QLatin1Char('/') + name));
        }
    }
    threadLastError() = found.isEmpty() ? kErrorFileNotFound : kErrorSuccess;
    return found;
}

bool WineFileSystem::createDirectory(const QString& path)
{
    QString trimmed = path;
    while (trimmed.size() > 3 &&
           (trimmed.endsWith(QLatin1Char('\\')) || trimmed.endsWith(QLatin1Char('/'))))
        trimmed.chop(1);
    const QString host = newHostPath(trimmed);
    if (host.isEmpty())
        return false;
    if (QFileInfo::exists(host))
        return fail(kErrorAlreadyExists, QStringLiteral("creating the folder"), path);
    if (!QDir().mkdir(host))
        return fail(kErrorAccessDenied, QStringLiteral("creating the folder"), path);
    return succeed();
}

bool WineFileSystem::makeSurePath(const QString& path)
{
    QString folder = path;
    folder.replace(QLatin1Char('/'), QLatin1Char('\\'));
    // As MakeSureDirectoryPathExists: a last component without a trailing "\" is a file name.
    folder = folder.left(folder.lastIndexOf(QLatin1Char('\\')) + 1);
    const QChar letter = WinePathMapper::driveOf(folder);
    if (letter.isNull() || m_paths.driveRoot(letter).isEmpty())
        return fail(kErrorPathNotFound, QStringLiteral("making sure of"), path);
    if (!driveReady(letter))
        return fail(kErrorNotReady, QStringLiteral("making sure of"), path);
    const QString host = m_paths.toHostPath(folder);
    if (QFileInfo(host).isDir())
        return succeed();
    if (QFileInfo::exists(host) || !QDir().mkpath(host))
        return fail(kErrorPathNotFound, QStringLiteral("making sure of"), path);
    return succeed();
}

bool WineFileSystem::removeFile(const QString& path)
{
    const QString host = existingHostPath(path);
    if (host.isEmpty())
        return false;
    if (QFileInfo(host).isDir())
        return fail(kErrorAccessDenied, QStringLiteral("deleting the folder as a file"), path);
    if (!QFile::remove(host))
        return fail(kErrorAccessDenied, QStringLiteral("deleting"), path);
    return succeed();
}

bool WineFileSystem::removeDirectory(const QString& path)
{
    const QString host = existingHostPath(path);
    if (host.isEmpty())
        return false;
    const QFileInfo info(host);
    if (!info.isDir() || info.isSymLink() || WinePathMapper::components(path).isEmpty())
        return fail(kErrorAccessDenied, QStringLiteral("removing the folder"), path);
    if (!QDir(host).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        return fail(kErrorDirNotEmpty, QStringLiteral("removing the folder"), path);
    if (!QDir().rmdir(host))
        return fail(kErrorAccessDenied, QStringLiteral("removing the folder"), path);
    return succeed();
}

bool WineFileSystem::moveFile(const QString& from, const QString& to)
{
    const QString source = existingHostPath(from);
    if (source.isEmpty())
        return false;
    const QString target = newHostPath(to);
    if (target.isEmpty())
        return false;
    QString destination = target;
    if (QFileInfo::exists(target)) {
        const bool sameEntry =
            QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath();
        if (!sameEntry)
            return fail(kErrorAlreadyExists, QStringLiteral("moving onto"), to);
        // A change of case only: the entry takes the new spelling.
        destination = QFileInfo(target).path() + QLatin1Char('/') + lastComponent(to);
        if (destination == source)
            return succeed();
        const QString step = destination + QStringLiteral(".kv-rename-") +
                             QString::number(QRandomGenerator::global()->generate(), 16);
        if (!QDir().rename(source, step) || !QDir().rename(step, destination))
            return fail(kErrorAccessDenied, QStringLiteral("renaming"), from);
        return succeed();
    }
    if (WinePathMapper::driveOf(from) != WinePathMapper::driveOf(to) &&
        !hasRoom(to, sizeOnDisk(source), 0))
        return false;
    const bool moved = QFileInfo(source).isDir() ? QDir().rename(source, destination)
                                                 : QFile::rename(source, destination);
    if (!moved)
        return fail(kErrorAccessDenied, QStringLiteral("moving"), from);
    return succeed();
}

bool WineFileSystem::copyFile(const QString& from, const QString& to, bool failIfExists)
{
    const QString source = existingHostPath(from);
    if (source.isEmpty())
        return false;
    if (QFileInfo(source).isDir())
        return fail(kErrorAccessDenied, QStringLiteral("copying the folder"), from);
    const QString target = newHostPath(to);
    if (target.isEmpty())
        return false;
    const QFileInfo existing(target);
    quint64 replaced = 0;
    if (existing.exists()) {
        if (existing.isDir())
            return fail(kErrorAccessDenied, QStringLiteral("copying onto the folder"), to);
        if (failIfExists)
            return fail(kErrorFileExists, QStringLiteral("copying onto"), to);
        if (existing.canonicalFilePath() == QFileInfo(source).canonicalFilePath())
            return fail(kErrorSharingViolation, QStringLiteral("copying onto itself"), to);
        if (!existing.isWritable())
            return fail(kErrorAccessDenied, QStringLiteral("replacing the read-only"), to);
        replaced = quint64(existing.size());
    }
    if (!hasRoom(to, quint64(QFileInfo(source).size()), replaced))
        return false;
    // Copy beside the target and rename over it, so that a failed copy leaves the old file.
    QString staging;
    {
        QTemporaryFile temp(target + QStringLiteral(".kv-copy-XXXXXX"));
        if (!temp.open())
            return fail(kErrorAccessDenied, QStringLiteral("copying to"), to);
        staging = temp.fileName();
    }
    if (!QFile::copy(source, staging)) {
        QFile::remove(staging);
        return fail(kErrorAccessDenied, QStringLiteral("copying to"), to);
    }
    struct stat sourceStat
    {
    };
    if (::stat(QFile::encodeName(source).constData(), &sourceStat) == 0) {
        const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
        ::utimensat(AT_FDCWD, QFile::encodeName(staging).constData(), times, 0);
    }
    if (std::rename(QFile::encodeName(staging).constData(),
                    QFile::encodeName(target).constData()) != 0) {
        QFile::remove(staging);
        return fail(kErrorAccessDenied, QStringLiteral("copying to"), to);
    }
    return succeed();
}

bool WineFileSystem::setModified(const QString& path, const QDateTime& utc)
{
    const QString host = existingHostPath(path);
    if (host.isEmpty())
        return false;
    if (!utc.isValid())
        return fail(kErrorInvalidParameter, QStringLiteral("setting the time of"), path);
    const qint64 ms = utc.toMSecsSinceEpoch();
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = ms / 1000 - (ms % 1000 < 0 ? 1 : 0);
    times[1].tv_nsec = long(((ms % 1000) + 1000) % 1000) * 1000000L;
    if (::utimensat(AT_FDCWD, QFile::encodeName(host).constData(), times, 0) != 0)
        return fail(kErrorAccessDenied, QStringLiteral("setting the time of"), path);
    return succeed();
}

bool WineFileSystem::moveToRecycleBin(const QString& path)
{
    const QString host = existingHostPath(path);
    if (host.isEmpty())
        return false;
    if (WinePathMapper::components(path).isEmpty())
        return fail(kErrorAccessDenied, QStringLiteral("recycling the drive"), path);
    // Without the data folder Qt cannot make the home trash and falls back to the current
    // folder, scattering "files/" and "info/" wherever the program was started.
    const QString dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (dataHome.isEmpty() || !QDir().mkpath(dataHome))
        return fail(kErrorAccessDenied, QStringLiteral("recycling (no data folder for the trash)"),
                    path);
    if (!QFile::moveToTrash(host))
        return fail(kErrorAccessDenied, QStringLiteral("recycling"), path);
    return succeed();
}

QList<QChar> WineFileSystem::logicalDrives()
{
    QList<QChar> letters;
    for (const QChar letter : m_paths.driveLetters())
        letters.append(letter.toUpper());
    succeed();
    return letters;
}

DriveType WineFileSystem::driveType(const QString& root)
{
    const QChar letter = WinePathMapper::rootDrive(root);
    if (letter.isNull() || m_paths.driveRoot(letter).isEmpty())
        return DriveType::NoRootDir;
    return m_drives.type(letter);
}

bool WineFileSystem::diskSpace(const QString& root, DiskSpace* out)
{
    const QChar letter = WinePathMapper::driveOf(root);
    if (letter.isNull() || m_paths.driveRoot(letter).isEmpty())
        return fail(kErrorPathNotFound, QStringLiteral("measuring"), root);
    if (!driveReady(letter))
        return fail(kErrorNotReady, QStringLiteral("measuring"), root);
    const QString host = m_paths.driveRoot(letter);
    DiskSpace space;
    if (const quint64 capacity = m_drives.capacity(letter); capacity > 0) {
        const quint64 used = CapacityLimitedFile::bytesUsed(host);
        space.totalBytes = capacity;
        space.freeBytes = used >= capacity ? 0 : capacity - used;
    } else {
        struct statvfs vfs
        {
        };
        if (::statvfs(QFile::encodeName(host).constData(), &vfs) != 0)
            return fail(kErrorNotReady, QStringLiteral("measuring"), root);
        space.totalBytes = quint64(vfs.f_blocks) * vfs.f_frsize;
        space.freeBytes = quint64(vfs.f_bavail) * vfs.f_frsize; // what this user may still write
    }
    if (out)
        *out = space;
    return succeed();
}

bool WineFileSystem::volumeInformation(const QString& root, VolumeInfo* out)
{
    const QChar letter = WinePathMapper::rootDrive(root);
    if (letter.isNull() || m_paths.driveRoot(letter).isEmpty())
        return fail(kErrorPathNotFound, QStringLiteral("reading the volume of"), root);
    if (!driveReady(letter))
        return fail(kErrorNotReady, QStringLiteral("reading the volume of"), root);
    const QString host = m_paths.driveRoot(letter);
    VolumeInfo info;
    // Wine keeps a drive's label and serial number in these two files at its root.
    QFile label(host + QStringLiteral("/.windows-label"));
    if (label.open(QIODevice::ReadOnly))
        info.label = QString::fromUtf8(label.readLine()).trimmed();
    QFile serial(host + QStringLiteral("/.windows-serial"));
    bool haveSerial = false;
    if (serial.open(QIODevice::ReadOnly))
        info.serialNumber =
            QString::fromLatin1(serial.readLine()).trimmed().toUInt(&haveSerial, 16);
    if (!haveSerial) {
        // Stable for a drive's folder, so that the same disk keeps its number between runs.
        quint32 hash = 2166136261u; // FNV-1a: the same number on every build
        for (const char c : QFileInfo(host).absoluteFilePath().toUtf8())
            hash = (hash ^ quint8(c)) * 16777619u;
        info.serialNumber = hash;
    }
    switch (m_drives.type(letter)) {
    case DriveType::Removable:
        info.fileSystem = QStringLiteral("FAT");
        break;
    case DriveType::CdRom:
        info.fileSystem = QStringLiteral("CDFS");
        break;
    default:
        info.fileSystem = QStringLiteral("NTFS");
        break;
    }
    if (out)
        *out = info;
    return succeed();
}

} // namespace kv::platform::posix
