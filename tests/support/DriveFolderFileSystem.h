#pragma once

#include "platform/IFileSystem.h"

#include <QHash>

namespace kv::test {

// A file system for tests whose drives are host folders ("C:" -> <root>/drive_c). Windows
// paths resolve component by component without regard to case. Only what the logic under test
// needs is real: open, stat, find, folders and file removal; the rest fails with
// kErrorNotSupported.
class DriveFolderFileSystem : public platform::IFileSystem
{
public:
    // Maps a drive letter onto a host folder (created when missing).
    void mapDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed);

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

    // Convenience for arranging tests: writes a file (creating its folders) at a Windows path.
    bool writeFile(const QString& windowsPath, const QByteArray& bytes);
    QByteArray readFile(const QString& windowsPath);

private:
    bool fail(platform::WinError error)
    {
        m_lastError = error;
        return false;
    }

    QHash<QChar, QString> m_drives; // upper-case letter -> host folder
    QHash<QChar, platform::DriveType> m_types;
    platform::WinError m_lastError = platform::kErrorSuccess;
};

} // namespace kv::test
