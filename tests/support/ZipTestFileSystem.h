#pragma once

#include "platform/IFileSystem.h"

#include <QHash>
#include <QSet>
#include <QString>

namespace kv::test {

// A small Windows file system over host folders for the zip tests: each drive letter maps to a
// folder; a drive may be removable and limited to a capacity (writes past it fail as a full
// disk does); single files can be made unopenable, as a file held open by another program is.
// Names are matched as given (the tests keep their case).
class ZipTestFileSystem : public platform::IFileSystem
{
public:
    void mapDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed, quint64 capacity = 0);
    void denyOpen(const QString& windowsPath) { m_denied.insert(windowsPath.toLower()); }
    // Bytes used below a drive's folder.
    quint64 usedBytes(QChar letter) const;

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
    bool moveToRecycleBin(const QString& path) override { return removeFile(path); }
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
    };
    const Drive* driveOf(const QString& windowsPath) const;
    bool fail(platform::WinError error)
    {
        m_lastError = error;
        return false;
    }

    QHash<QChar, Drive> m_drives;
    QSet<QString> m_denied;
    platform::WinError m_lastError = 0;
};

} // namespace kv::test
