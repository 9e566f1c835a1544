#pragma once

#include "platform/IFileSystem.h"
#include "platform/IRegistry.h"
#include "platform/posix/WineDriveConfig.h"
#include "platform/posix/WinePathMapper.h"

#include <memory>

namespace kv::platform::posix {

// The Windows file system of a Wine prefix. Drive types come from Wine's drive configuration
// (HKLM\Software\Wine\Drives, "a:"="floppy"). A "floppy" drive is emulated as a diskette: its
// capacity is the DWORD named after the drive ("a:") under HKLM\Software\Korvane\Emulation\Drives,
// 1 457 664 bytes when unset; its free space is the capacity less the bytes of the files in its
// folder, and writes through open(), copyFile() and moveFile() respect it. A drive whose folder is
// missing is a drive without a disk (kErrorNotReady).
class WineFileSystem : public IFileSystem
{
public:
    WineFileSystem(WinePrefix prefix, IRegistry& registry);

    QString toHostPath(const QString& windowsPath) const override;
    QString toWindowsPath(const QString& hostPath) const override;

    std::unique_ptr<QIODevice> open(const QString& path, QIODevice::OpenMode mode) override;
    bool stat(const QString& path, FileEntry* out) override;
    QList<FileEntry> find(const QString& pattern) override;

    bool createDirectory(const QString& path) override;
    bool makeSurePath(const QString& path) override;
    bool removeFile(const QString& path) override;
    bool removeDirectory(const QString& path) override;
    bool moveFile(const QString& from, const QString& to) override;
    bool copyFile(const QString& from, const QString& to, bool failIfExists) override;
    bool setModified(const QString& path, const QDateTime& utc) override;
    bool moveToRecycleBin(const QString& path) override;

    QList<QChar> logicalDrives() override;
    DriveType driveType(const QString& root) override;
    bool diskSpace(const QString& root, DiskSpace* out) override;
    bool volumeInformation(const QString& root, VolumeInfo* out) override;

    // The calling thread's last error (shared by all instances, as GetLastError is).
    WinError lastError() const override;

private:
    // The host path of an existing entry; sets kErrorFileNotFound/kErrorPathNotFound when it
    // (or its folder) does not exist, kErrorNotReady when its drive holds no disk.
    QString existingHostPath(const QString& path);
    // The host path for a new entry whose folder must exist; "" with the error set otherwise.
    QString newHostPath(const QString& path);
    bool driveReady(QChar letter);
    // False, with the error set, when the path names no mapped drive or one with no disk in it.
    bool driveUsable(const QString& path);
    // Can `bytes` more be written to the drive of `path`? Sets kErrorDiskFull when not.
    bool hasRoom(const QString& path, quint64 bytes, quint64 replacedBytes);
    FileEntry entryOf(const QString& hostPath) const;
    bool fail(WinError error, const QString& what, const QString& path);
    bool succeed();

    WinePathMapper m_paths;
    WineDriveConfig m_drives;
};

} // namespace kv::platform::posix
