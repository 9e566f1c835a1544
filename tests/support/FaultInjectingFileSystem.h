#pragma once

#include "platform/posix/WineFileSystem.h"
#include "support/TestPrefix.h"

#include <QHash>
#include <QStringList>

namespace kv::test {

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
    VolumeInformation
};

// WineFileSystem on a TestPrefix, plus what real files cannot arrange: a chosen call on a chosen
// path fails with a chosen Win32 error, and a drive reports any disk space. Calls are recorded.
class FaultInjectingFileSystem : public platform::IFileSystem
{
    using FileEntry = platform::FileEntry;

public:
    explicit FaultInjectingFileSystem(const QString& folder = {}, FakeRegistry* registry = nullptr)
        : m_prefix(folder, registry), m_fs(m_prefix.prefix(), m_prefix.registry())
    {
    }

    TestPrefix& prefix() { return m_prefix; }
    void mapDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed, quint64 capacity = 0)
    {
        m_prefix.addDrive(letter, hostFolder, type, capacity);
    }
    QString driveRoot() const { return m_prefix.driveC(); }
    // "dir/file.txt" below C:\ on the host.
    QString host(const QString& relative) const { return driveRoot() + u'/' + relative; }
    QString trashFolder() const { return m_prefix.trashFolder(); }

    // `call` with `windowsPath` (any case) as its first path fails with `error`.
    void failOn(FileCall call, const QString& windowsPath,
                platform::WinError error = platform::kErrorAccessDenied)
    {
        m_faults.insert({int(call), windowsPath.toLower()}, error);
    }
    void clearFaults() { m_faults.clear(); }
    void setDiskSpace(quint64 freeBytes, quint64 totalBytes, QChar letter = u'C')
    {
        m_diskSpace.insert(letter.toUpper(), {freeBytes, totalBytes});
    }
    // "call path" per call made, e.g. "diskSpace C:\".
    const QStringList& calls() const { return m_calls; }

    // For arranging tests, past the faults.
    bool writeFile(const QString& windowsPath, const QByteArray& bytes);
    QByteArray readFile(const QString& windowsPath);

    QString toHostPath(const QString& path) const override { return m_fs.toHostPath(path); }
    QString toWindowsPath(const QString& host) const override { return m_fs.toWindowsPath(host); }
    std::unique_ptr<QIODevice> open(const QString& path, QIODevice::OpenMode mode) override
    {
        return pass(FileCall::Open, path) ? m_fs.open(path, mode) : nullptr;
    }
    bool stat(const QString& path, FileEntry* out) override
    {
        return pass(FileCall::Stat, path) && m_fs.stat(path, out);
    }
    QList<FileEntry> find(const QString& pattern) override
    {
        return pass(FileCall::Find, pattern) ? m_fs.find(pattern) : QList<FileEntry>();
    }
    bool createDirectory(const QString& path) override
    {
        return pass(FileCall::CreateDirectory, path) && m_fs.createDirectory(path);
    }
    bool makeSurePath(const QString& path) override
    {
        return pass(FileCall::MakeSurePath, path) && m_fs.makeSurePath(path);
    }
    bool removeFile(const QString& path) override
    {
        return pass(FileCall::RemoveFile, path) && m_fs.removeFile(path);
    }
    bool removeDirectory(const QString& path) override
    {
        return pass(FileCall::RemoveDirectory, path) && m_fs.removeDirectory(path);
    }
    bool moveFile(const QString& from, const QString& to) override
    {
        return pass(FileCall::MoveFile, from) && m_fs.moveFile(from, to);
    }
    bool copyFile(const QString& from, const QString& to, bool failIfExists) override
    {
        return pass(FileCall::CopyFile, from) && m_fs.copyFile(from, to, failIfExists);
    }
    bool setModified(const QString& path, const QDateTime& utc) override
    {
        return pass(FileCall::SetModified, path) && m_fs.setModified(path, utc);
    }
    bool moveToRecycleBin(const QString& path) override
    {
        return pass(FileCall::MoveToRecycleBin, path) && m_fs.moveToRecycleBin(path);
    }
    QList<QChar> logicalDrives() override { return m_fs.logicalDrives(); }
    platform::DriveType driveType(const QString& root) override { return m_fs.driveType(root); }
    bool diskSpace(const QString& root, platform::DiskSpace* out) override;
    bool volumeInformation(const QString& root, platform::VolumeInfo* out) override
    {
        return pass(FileCall::VolumeInformation, root) && m_fs.volumeInformation(root, out);
    }
    platform::WinError lastError() const override
    {
        return m_injected != platform::kErrorSuccess ? m_injected : m_fs.lastError();
    }

private:
    bool pass(FileCall call, const QString& path);

    TestPrefix m_prefix;
    platform::posix::WineFileSystem m_fs;
    QHash<std::pair<int, QString>, platform::WinError> m_faults; // lower-case paths
    QHash<QChar, platform::DiskSpace> m_diskSpace;
    QStringList m_calls;
    platform::WinError m_injected = platform::kErrorSuccess;
};

} // namespace kv::test
