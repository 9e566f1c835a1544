#pragma once

#include "platform/WinError.h"

#include <QDateTime>
#include <QIODevice>
#include <QList>
#include <QString>

#include <memory>

namespace kv::platform {

// GetDriveType results, numbered as Windows numbers them.
enum class DriveType : unsigned {
    Unknown = 0,
    NoRootDir = 1,
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// File attributes, as Windows numbers them (only the ones the program looks at).
enum FileAttribute : quint32 {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrSystem = 0x04,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
    kAttrNormal = 0x80,
};

struct FileEntry
{
    QString name; // the entry's name as stored on disk, without its folder
    quint32 attributes = 0;
    quint64 size = 0;
    QDateTime modified; // UTC
    bool isDirectory() const { return attributes & kAttrDirectory; }
};

struct DiskSpace
{
    quint64 freeBytes = 0;
    quint64 totalBytes = 0;
};

struct VolumeInfo
{
    QString label;
    quint32 serialNumber = 0;
    QString fileSystem; // "FAT", "NTFS", ...
};

// The Windows file system. Paths are Windows paths ("C:\dir\file.dbx", "a:\"), matched without
// regard to case component by component. Failures return false (or an empty result) and leave
// a Win32 error code in lastError().
class IFileSystem
{
public:
    virtual ~IFileSystem() = default;

    // The host path a Windows path stands for ("" when the drive is not mapped). Existing
    // components are resolved case-insensitively; missing ones are appended as given.
    virtual QString toHostPath(const QString& windowsPath) const = 0;
    // The Windows path of a host path: through the mapped drives, else Z:.
    virtual QString toWindowsPath(const QString& hostPath) const = 0;

    // Opens a file for reading or writing (QIODevice modes). Writes to a capacity-limited drive
    // fail with kErrorDiskFull once the drive is full. nullptr on failure.
    virtual std::unique_ptr<QIODevice> open(const QString& path, QIODevice::OpenMode mode) = 0;

    // GetFileAttributes plus size and time; false when the path does not exist.
    virtual bool stat(const QString& path, FileEntry* out) = 0;
    // FindFirstFile/FindNextFile: the entries matching a pattern whose last component may hold
    // "*" and "?" ("." and ".." are never returned).
    virtual QList<FileEntry> find(const QString& pattern) = 0;

    virtual bool createDirectory(const QString& path) = 0;
    // Creates every missing folder of the path up to its last "\" (MakeSureDirectoryPathExists:
    // a last component without a trailing "\" is a file name and is not created).
    virtual bool makeSurePath(const QString& path) = 0;
    virtual bool removeFile(const QString& path) = 0;
    virtual bool removeDirectory(const QString& path) = 0; // empty folders only
    virtual bool moveFile(const QString& from, const QString& to) = 0; // fails when "to" exists
    virtual bool copyFile(const QString& from, const QString& to, bool failIfExists) = 0;
    virtual bool setModified(const QString& path, const QDateTime& utc) = 0;
    // Sends a file or folder to the Recycle Bin (the desktop's trash).
    virtual bool moveToRecycleBin(const QString& path) = 0;

    // Drives: "C:\" style roots; a root without the trailing "\" is accepted.
    virtual QList<QChar> logicalDrives() = 0;
    virtual DriveType driveType(const QString& root) = 0;
    virtual bool diskSpace(const QString& root, DiskSpace* out) = 0;
    virtual bool volumeInformation(const QString& root, VolumeInfo* out) = 0;

    virtual WinError lastError() const = 0;
};

} // namespace kv::platform
