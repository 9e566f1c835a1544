#include "support/ZipTestFileSystem.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace kv::test {

using namespace kv::platform;

namespace {

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

void ZipTestFileSystem::mapDrive(QChar letter, const QString& hostFolder, DriveType type,
                                 quint64 capacity)
{
    QDir().mkpath(hostFolder);
    m_drives.insert(letter.toLower(), Drive{QDir::cleanPath(hostFolder), type, capacity});
}

const ZipTestFileSystem::Drive* ZipTestFileSystem::driveOf(const QString& windowsPath) const
{
    if (windowsPath.size() < 2 || windowsPath.at(1) != QLatin1Char(':'))
        return nullptr;
    auto it = m_drives.constFind(windowsPath.at(0).toLower());
    return it == m_drives.constEnd() ? nullptr : &it.value();
}

quint64 ZipTestFileSystem::usedBytes(QChar letter) const
{
    auto it = m_drives.constFind(letter.toLower());
    return it == m_drives.constEnd() ? 0 : folderBytes(it->folder);
}

QString ZipTestFileSystem::toHostPath(const QString& windowsPath) const
{
    const Drive* d = driveOf(windowsPath);
    if (!d)
        return {};
    QString rest = windowsPath.mid(2);
    rest.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (rest.endsWith(QLatin1Char('/')))
        rest.chop(1);
    return rest.isEmpty() ? d->folder : d->folder + (rest.startsWith(QLatin1Char('/')) ? rest : QLatin1Char('/') + rest);
}

QString ZipTestFileSystem::toWindowsPath(const QString& hostPath) const
{
    const QString clean = QDir::cleanPath(hostPath);
    for (auto it = m_drives.constBegin(); it != m_drives.constEnd(); ++it) {
        if (clean == it->folder || clean.startsWith(it->folder + QLatin1Char('/'))) {
            QString rest = clean.mid(it->folder.size());
            rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
            return QString(it.key().toUpper()) + QLatin1Char(':') + (rest.isEmpty() ? QStringLiteral("\\") : rest);
        }
    }
    return {};
}

std::unique_ptr<QIODevice> ZipTestFileSystem::open(const QString& path, QIODevice::OpenMode mode)
{
    const Drive* d = driveOf(path);
    if (!d) {
        fail(kErrorPathNotFound);
        return nullptr;
    }
    if (m_denied.contains(path.toLower())) {
        fail(kErrorSharingViolation);
        return nullptr;
    }
    const QString host = toHostPath(path);
    std::unique_ptr<QFile> f;
    if (d->capacity > 0 && (mode & QIODevice::WriteOnly)) {
        f = std::make_unique<LimitedFile>(host, d->folder, d->capacity);
        mode |= QIODevice::Unbuffered;
    } else {
        f = std::make_unique<QFile>(host);
    }
    if (!f->open(mode)) {
        fail(QFileInfo::exists(host) ? kErrorAccessDenied : kErrorFileNotFound);
        return nullptr;
    }
    return f;
}

bool ZipTestFileSystem::stat(const QString& path, FileEntry* out)
{
    const QFileInfo fi(toHostPath(path));
    if (!driveOf(path) || !fi.exists())
        return fail(kErrorFileNotFound);
    out->name = fi.fileName();
    out->attributes = fi.isDir() ? kAttrDirectory : kAttrArchive;
    out->size = fi.isDir() ? 0 : quint64(fi.size());
    out->modified = fi.lastModified().toUTC();
    return true;
}

QList<FileEntry> ZipTestFileSystem::find(const QString& pattern)
{
    QList<FileEntry> out;
    const qsizetype slash = pattern.lastIndexOf(QLatin1Char('\\'));
    const QString folder = toHostPath(pattern.left(slash + 1));
    const QString mask = pattern.mid(slash + 1);
    if (!driveOf(pattern))
        return out;
    QDir dir(folder);
    const QFileInfoList list = dir.entryInfoList(QStringList{mask},
        QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& fi : list) {
        FileEntry e;
        e.name = fi.fileName();
        e.attributes = fi.isDir() ? kAttrDirectory : kAttrArchive;
        e.size = fi.isDir() ? 0 : quint64(fi.size());
        e.modified = fi.lastModified().toUTC();
        out.append(e);
    }
    return out;
}

bool ZipTestFileSystem::createDirectory(const QString& path)
{
    return QDir().mkdir(toHostPath(path)) || fail(kErrorPathNotFound);
}

bool ZipTestFileSystem::makeSurePath(const QString& path)
{
    if (!driveOf(path))
        return fail(kErrorPathNotFound);
    const QString folder = path.left(path.lastIndexOf(QLatin1Char('\\')) + 1);
    return QDir().mkpath(toHostPath(folder)) || fail(kErrorAccessDenied);
}

bool ZipTestFileSystem::removeFile(const QString& path)
{
    return (driveOf(path) && QFile::remove(toHostPath(path))) || fail(kErrorFileNotFound);
}

bool ZipTestFileSystem::removeDirectory(const QString& path)
{
    return (driveOf(path) && QDir().rmdir(toHostPath(path))) || fail(kErrorDirNotEmpty);
}

bool ZipTestFileSystem::moveFile(const QString& from, const QString& to)
{
    if (!driveOf(from) || !driveOf(to))
        return fail(kErrorPathNotFound);
    if (QFileInfo::exists(toHostPath(to)))
        return fail(kErrorAlreadyExists);
    // Moves stay on one drive, as a rename does.
    if (driveOf(from) != driveOf(to))
        return fail(kErrorNotSupported);
    return QFile::rename(toHostPath(from), toHostPath(to)) || fail(kErrorAccessDenied);
}

bool ZipTestFileSystem::copyFile(const QString& from, const QString& to, bool failIfExists)
{
    std::unique_ptr<QIODevice> in = open(from, QIODevice::ReadOnly);
    if (!in)
        return false;
    if (failIfExists && QFileInfo::exists(toHostPath(to)))
        return fail(kErrorFileExists);
    std::unique_ptr<QIODevice> out = open(to, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!out)
        return false;
    while (!in->atEnd()) {
        const QByteArray block = in->read(1 << 20);
        if (out->write(block) != block.size()) {
            out->close();
            QFile::remove(toHostPath(to));
            return fail(kErrorDiskFull);
        }
    }
    return true;
}

bool ZipTestFileSystem::setModified(const QString& path, const QDateTime& utc)
{
    QFile f(toHostPath(path));
    return (f.open(QIODevice::ReadWrite) && f.setFileTime(utc, QFileDevice::FileModificationTime))
        || fail(kErrorAccessDenied);
}

QList<QChar> ZipTestFileSystem::logicalDrives()
{
    QList<QChar> out;
    for (auto it = m_drives.constBegin(); it != m_drives.constEnd(); ++it)
        out.append(it.key().toUpper());
    std::sort(out.begin(), out.end());
    return out;
}

DriveType ZipTestFileSystem::driveType(const QString& root)
{
    const Drive* d = driveOf(root);
    return d ? d->type : DriveType::NoRootDir;
}

bool ZipTestFileSystem::diskSpace(const QString& root, DiskSpace* out)
{
    const Drive* d = driveOf(root);
    if (!d)
        return fail(kErrorPathNotFound);
    if (d->capacity == 0) {
        out->totalBytes = out->freeBytes = quint64(1) << 40;
        return true;
    }
    const quint64 used = folderBytes(d->folder);
    out->totalBytes = d->capacity;
    out->freeBytes = d->capacity > used ? d->capacity - used : 0;
    return true;
}

bool ZipTestFileSystem::volumeInformation(const QString& root, VolumeInfo* out)
{
    if (!driveOf(root))
        return fail(kErrorPathNotFound);
    out->label = QStringLiteral("TEST");
    out->fileSystem = QStringLiteral("FAT");
    return true;
}

} // namespace kv::test
