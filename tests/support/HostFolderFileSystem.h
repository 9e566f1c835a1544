#pragma once

#include "platform/IFileSystem.h"

#include <QHash>
#include <QSet>

namespace kv::test {

// TEST DOUBLE, not the product's file system: an IFileSystem that maps drive C: onto a host
// folder, so that core code can be tested against real files. Names are matched as the host
// matches them (case-sensitive), find() returns entries sorted by name so that tests see a
// fixed order, and the Recycle Bin is the folder trashFolder() (entries keep their names, with
// " (n)" added when one exists already).
//
// Tests can make a call fail (failOn) and set a drive's disk space (setDiskSpace).
class HostFolderFileSystem : public platform::IFileSystem
{
public:
    // C: is base/drive_c, the Recycle Bin base/trash; both are created.
    explicit HostFolderFileSystem(const QString& baseFolder);

    QString driveRoot() const { return m_driveRoot; }
    QString trashFolder() const { return m_trash; }
    // The host path of a path below C:\ given with "/" ("dir/file.txt").
    QString host(const QString& relative) const { return m_driveRoot + QLatin1Char('/') + relative; }

    // Calls named like the interface ("removeFile", "moveFile", "copyFile", "createDirectory",
    // "removeDirectory", "moveToRecycleBin", "diskSpace") fail with kErrorAccessDenied when
    // their first path equals the given Windows path (without regard to case).
    void failOn(const QString& call, const QString& windowsPath);
    // What diskSpace() reports for C:.
    void setDiskSpace(quint64 freeBytes, quint64 totalBytes);
    // Every call made, "call path" per line, for tests that check what was touched.
    const QStringList& calls() const { return m_calls; }

    QString toHostPath(const QString& windowsPath) const override;
    QString toWindowsPath(const QString& hostPath) const override;
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
    QList<QChar> logicalDrives() override;
    platform::DriveType driveType(const QString& root) override;
    bool diskSpace(const QString& root, platform::DiskSpace* out) override;
    bool volumeInformation(const QString& root, platform::VolumeInfo* out) override;
    platform::WinError lastError() const override { return m_lastError; }

private:
    bool begin(const char* call, const QString& path);
    bool setError(platform::WinError error);

    QString m_driveRoot;
    QString m_trash;
    QSet<QString> m_failing;
    QStringList m_calls;
    bool m_diskSpaceSet = false;
    platform::DiskSpace m_diskSpace;
    platform::WinError m_lastError = platform::kErrorSuccess;
};

} // namespace kv::test
