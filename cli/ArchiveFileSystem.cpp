#include "ArchiveFileSystem.h"

#include "platform/posix/WinePrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

namespace kv::cli {

namespace {

using namespace kv::platform;

// A plain view of a prefix's drives (dosdevices/<letter>: links), enough for archives: names
// are resolved without regard to case, A: and B: count as removable.
class PrefixDrives : public IFileSystem
{
public:
    explicit PrefixDrives(QString dosdevices) : m_dosdevices(std::move(dosdevices)) {}

    QString toHostPath(const QString& windowsPath) const override
    {
        if (windowsPath.size() < 2 || windowsPath.at(1) != QLatin1Char(':'))
            return {};
        QString host = m_dosdevices + QLatin1Char('/') + windowsPath.at(0).toLower() + QLatin1Char(':');
        if (!QFileInfo(host).exists())
            return {};
        for (const QString& part : windowsPath.mid(2).split(QRegularExpression(QStringLiteral("[\\\\/]")),
                                                              Qt::SkipEmptyParts)) {
            QString next = host + QLatin1Char('/') + part;
            if (!QFileInfo::exists(next)) {
                const QStringList names = QDir(host).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
                for (const QString& n : names)
                    if (n.compare(part, Qt::CaseInsensitive) == 0)
                        next = host + QLatin1Char('/') + n;
            }
            host = next;
        }
        return host;
    }
    QString toWindowsPath(const QString& hostPath) const override
    {
        return QStringLiteral("Z:") + QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath()).replace(QLatin1Char('/'), QLatin1Char('\\'));
    }
    std::unique_ptr<QIODevice> open(const QString& path, QIODevice::OpenMode mode) override
    {
        const QString host = toHostPath(path);
        auto f = std::make_unique<QFile>(host);
        if (host.isEmpty() || !f->open(mode)) {
            fail(QFileInfo::exists(host) ? kErrorAccessDenied : kErrorFileNotFound);
            return nullptr;
        }
        return f;
    }
    bool stat(const QString& path, FileEntry* out) override
    {
        const QString host = toHostPath(path);
        const QFileInfo fi(host);
        if (host.isEmpty() || !fi.exists())
            return fail(kErrorFileNotFound);
        *out = entryOf(fi);
        return true;
    }
    QList<FileEntry> find(const QString& pattern) override
    {
        const qsizetype slash = pattern.lastIndexOf(QLatin1Char('\\'));
        QList<FileEntry> out;
        const QString folder = toHostPath(pattern.left(slash + 1));
        if (folder.isEmpty())
            return out;
        QDir dir(folder);
        for (const QFileInfo& fi : dir.entryInfoList(QStringList{pattern.mid(slash + 1)},
                 QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
            out.append(entryOf(fi));
        return out;
    }
    bool createDirectory(const QString& path) override
    {
        return QDir().mkdir(toHostPath(path)) || fail(kErrorPathNotFound);
    }
    bool makeSurePath(const QString& path) override
    {
        const QString host = toHostPath(path.left(path.lastIndexOf(QLatin1Char('\\')) + 1));
        return (!host.isEmpty() && QDir().mkpath(host)) || fail(kErrorPathNotFound);
    }
    bool removeFile(const QString& path) override
    {
        return QFile::remove(toHostPath(path)) || fail(kErrorFileNotFound);
    }
    bool removeDirectory(const QString& path) override
    {
        return QDir().rmdir(toHostPath(path)) || fail(kErrorDirNotEmpty);
    }
    bool moveFile(const QString& from, const QString& to) override
    {
        if (QFileInfo::exists(toHostPath(to)))
            return fail(kErrorAlreadyExists);
        return QFile::rename(toHostPath(from), toHostPath(to)) || fail(kErrorAccessDenied);
    }
    bool copyFile(const QString& from, const QString& to, bool failIfExists) override
    {
        const QString target = toHostPath(to);
        if (QFileInfo::exists(target)) {
            if (failIfExists)
                return fail(kErrorFileExists);
            QFile::remove(target);
        }
        return QFile::copy(toHostPath(from), target) || fail(kErrorAccessDenied);
    }
    bool setModified(const QString& path, const QDateTime& utc) override
    {
        QFile f(toHostPath(path));
        return (f.open(QIODevice::ReadWrite) && f.setFileTime(utc, QFileDevice::FileModificationTime))
            || fail(kErrorAccessDenied);
    }
    bool moveToRecycleBin(const QString& path) override
    {
        return QFile::moveToTrash(toHostPath(path)) || fail(kErrorAccessDenied);
    }
    QList<QChar> logicalDrives() override
    {
        QList<QChar> out;
        for (const QString& n : QDir(m_dosdevices).entryList(QDir::AllEntries | QDir::System))
            if (n.size() == 2 && n.at(1) == QLatin1Char(':'))
                out.append(n.at(0).toUpper());
        return out;
    }
    DriveType driveType(const QString& root) override
    {
        if (toHostPath(root.left(2)).isEmpty())
            return DriveType::NoRootDir;
        const QChar d = root.at(0).toLower();
        return d == QLatin1Char('a') || d == QLatin1Char('b') ? DriveType::Removable : DriveType::Fixed;
    }
    bool diskSpace(const QString& root, DiskSpace* out) override
    {
        const QStorageInfo info(toHostPath(root.left(2)));
        if (!info.isValid())
            return fail(kErrorPathNotFound);
        out->freeBytes = quint64(info.bytesAvailable());
        out->totalBytes = quint64(info.bytesTotal());
        return true;
    }
    bool volumeInformation(const QString& root, VolumeInfo* out) override
    {
        const QStorageInfo info(toHostPath(root.left(2)));
        if (!info.isValid())
            return fail(kErrorPathNotFound);
        out->label = info.name();
        out->fileSystem = QString::fromLatin1(info.fileSystemType());
        return true;
    }
    WinError lastError() const override { return m_lastError; }

private:
    static FileEntry entryOf(const QFileInfo& fi)
    {
        FileEntry e;
        e.name = fi.fileName();
        e.attributes = fi.isDir() ? kAttrDirectory : kAttrArchive;
        e.size = fi.isDir() ? 0 : quint64(fi.size());
        e.modified = fi.lastModified().toUTC();
        return e;
    }
    bool fail(WinError e) const
    {
        m_lastError = e;
        return false;
    }

    QString m_dosdevices;
    mutable WinError m_lastError = 0;
};

} // namespace

std::unique_ptr<IFileSystem> makeArchiveFileSystem(const QString& prefixFolder)
{
    return std::make_unique<PrefixDrives>(platform::posix::WinePrefix(prefixFolder).dosDevicesPath());
}

} // namespace kv::cli
