#pragma once

#include "platform/posix/WineFileSystem.h"
#include "support/TestPrefix.h"

#include <QHash>
#include <QStringList>

namespace kv::test {

// The calls of IFileSystem that take a path, for faults and the record of calls.
enum class FileCall
{
    Open,
    Stat,
    Find,
    CreateDirectory,
    MakeSurePath,
    RemoveFile,
    RemoveDirectory,
    MoveFile,
    CopyFile,
    SetModified,
    MoveToRecycleBin,
    DiskSpace,
    VolumeInformation,
};

// The real file system of a Wine prefix (WineFileSystem on a TestPrefix), with the failures a
// test cannot arrange on real files: a chosen call on a chosen path fails with a chosen Win32
// error (a sharing violation, access denied as root, a full disk, ...), and a drive can be made
// to report any disk space. Every call that takes a path is recorded.
class FaultInjectingFileSystem : public platform::IFileSystem
{
public:
    // A prefix with drive C: in `folder` (see TestPrefix).
    explicit FaultInjectingFileSystem(const QString& folder = {}, FakeRegistry* registry = nullptr);

    TestPrefix& prefix() { return m_prefix; }
    void mapDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed, quint64 capacity = 0)
    {
        m_prefix.addDrive(letter, hostFolder, type, capacity);
    }
    QString driveRoot() const { return m_prefix.driveC(); }
    // The host path of a path below C:\ given with "/" ("dir/file.txt").
    QString host(const QString& relative) const { return driveRoot() + u'/' + relative; }
    QString trashFolder() const { return m_prefix.trashFolder(); }

    // `call` with `windowsPath` as its first path (without regard to case) fails with `error`.
    void failOn(FileCall call, const QString& windowsPath,
                platform::WinError error = platform::kErrorAccessDenied);
    void clearFaults() { m_faults.clear(); }
    // What diskSpace() reports for a drive from now on.
    void setDiskSpace(quint64 freeBytes, quint64 totalBytes, QChar letter = u'C');
    // "call path" per call made, e.g. "diskSpace C:\".
    const QStringList& calls() const { return m_calls; }

    // For arranging tests: writes a file (creating its folders) at a Windows path.
    bool writeFile(const QString& windowsPath, const QByteArray& bytes);
    QByteArray readFile(const QString& windowsPath);

    QString toHostPath(const QString& path) const override { return m_files.toHostPath(path); }
    QString toWindowsPath(const QString& host) const override
    {
        return m_files.toWindowsPath(host);
    }
    std::unique_ptr<QIODevice> open(const QString& path, QIODevice::OpenMode mode) override;
    bool stat(const QString& path, platform::FileEntry* out) override;
    QList<platform::FileEntry> find(const QString& pattern) override;
    bool createDirectory(const QString& path) override;
    bool makeSurePath(const QString& path) override;
    bool removeFile(const QString& path) override;
    bool removeDirectory(const QString& path) override;
    bool moveFile(const QString& from, const QString& to) override;
    bool copyFile(const QString& from, const QString& to, bool failIfExists) override;
    bool setModified(const QString& path, const QDateTime& utc) override;
    bool moveToRecycleBin(const QString& path) override;
    QList<QChar> logicalDrives() override { return m_files.logicalDrives(); }
    platform::DriveType driveType(const QString& root) override { return m_files.driveType(root); }
    bool diskSpace(const QString& root, platform::DiskSpace* out) override;
    bool volumeInformation(const QString& root, platform::VolumeInfo* out) override;
    platform::WinError lastError() const override;

private:
    // Records the call; false when a fault is set for it.
    bool pass(FileCall call, const QString& path);

    TestPrefix m_prefix;
    platform::posix::WineFileSystem m_files;
    QHash<QString, platform::WinError> m_faults; // "call|lower-case path" -> error
    QHash<QChar, platform::DiskSpace> m_diskSpace;
    QStringList m_calls;
    platform::WinError m_injected = platform::kErrorSuccess;
};

} // namespace kv::test
