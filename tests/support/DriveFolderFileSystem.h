#pragma once

#include "platform/IFileSystem.h"

#include <QHash>
#include <QSet>
#include <QStringList>

#include <optional>

namespace kv::test {

// TEST DOUBLE, not the product's file system: an IFileSystem whose drives are host folders
// ("C:" -> <base>/drive_c), so that core code can be tested against real files.
//
// - Windows paths resolve component by component without regard to case; "." and ".."
//   components are refused. find() returns entries sorted by name so that tests see a fixed
//   order, with "*" and "?" matched as Windows matches them.
// - A drive may be removable and limited to a capacity: writes past it take what fits and then
//   fail as a full disk does, and diskSpace() reports what is left.
// - The Recycle Bin is trashFolder() (entries keep their names, with " (n)" added when one
//   exists already); without one, recycling deletes.
// - Tests can make a call fail (failOn), a file unopenable (denyOpen), set a drive's disk space
//   (setDiskSpace) and read back every call made (calls).
class DriveFolderFileSystem : public platform::IFileSystem
{
public:
    // No drives yet: map them with mapDrive().
    DriveFolderFileSystem() = default;
    // C: is base/drive_c and the Recycle Bin base/trash; both are created. C: reports no disk
    // space until setDiskSpace() says what it holds.
    explicit DriveFolderFileSystem(const QString& baseFolder);

    // Maps a drive letter onto a host folder (created when missing). A drive without a capacity
    // reports 1 TiB free.
    void mapDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed, quint64 capacity = 0);

    QString driveRoot() const { return m_drives.value(QLatin1Char('C')).folder; }
    QString trashFolder() const { return m_trash; }
    // The host path of a path below C:\ given with "/" ("dir/file.txt").
    QString host(const QString& relative) const { return driveRoot() + QLatin1Char('/') + relative; }

    // Calls named like the interface ("removeFile", "moveFile", "copyFile", "createDirectory",
    // "removeDirectory", "moveToRecycleBin", "diskSpace", ...) fail with kErrorAccessDenied when
    // their first path equals the given Windows path (without regard to case).
    void failOn(const QString& call, const QString& windowsPath);
    // Opening this file fails with a sharing violation, as a file held open elsewhere does.
    void denyOpen(const QString& windowsPath) { m_denied.insert(windowsPath.toLower()); }
    // What diskSpace() reports for a drive.
    void setDiskSpace(quint64 freeBytes, quint64 totalBytes, QChar letter = QLatin1Char('C'));
    // Bytes used below a drive's folder.
    quint64 usedBytes(QChar letter) const;
    // Every call made, "call path" per line, for tests that check what was touched.
    const QStringList& calls() const { return m_calls; }

    // Convenience for arranging tests: writes a file (creating its folders) at a Windows path.
    bool writeFile(const QString& windowsPath, const QByteArray& bytes);
    QByteArray readFile(const QString& windowsPath);

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
    struct Drive
    {
        QString folder;
        platform::DriveType type = platform::DriveType::Fixed;
        quint64 capacity = 0; // 0: unlimited
        std::optional<platform::DiskSpace> space;
    };
    const Drive* driveOf(const QString& windowsPath) const;
    bool begin(const char* call, const QString& path);
    bool setError(platform::WinError error);

    QHash<QChar, Drive> m_drives; // upper-case letter -> drive
    QString m_trash;
    QSet<QString> m_failing;
    QSet<QString> m_denied;
    QStringList m_calls;
    platform::WinError m_lastError = platform::kErrorSuccess;
};

} // namespace kv::test
