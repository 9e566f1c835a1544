#pragma once

#include "platform/IFileSystem.h"
#include "platform/posix/WinePrefix.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

#include <QString>

#include <memory>

namespace kv::test {

// A Wine prefix laid out as Wine lays it out, drive types in a registry's drive configuration.
// While it exists, the desktop's data folder (and trash) is <folder>/xdg-data, not the user's.
class TestPrefix
{
public:
    // Empty `folder`: a scratch folder; no `registry`: one of its own.
    explicit TestPrefix(const QString& folder = {}, FakeRegistry* registry = nullptr);
    ~TestPrefix();
    TestPrefix(const TestPrefix&) = delete;
    TestPrefix& operator=(const TestPrefix&) = delete;

    const QString& folder() const { return m_folder; }
    QString file(const QString& relative) const { return m_folder + QLatin1Char('/') + relative; }
    QString driveC() const { return file(QStringLiteral("drive_c")); }
    QString trashFolder() const { return file(QStringLiteral("xdg-data/Trash/files")); }
    platform::posix::WinePrefix prefix() const { return platform::posix::WinePrefix(m_folder); }
    FakeRegistry& registry() const { return *m_registry; }

    QString write(const QString& relative, const QByteArray& bytes) const
    {
        return TempDir::writeHostFile(file(relative), bytes);
    }
    void link(const QString& name, const QString& target) const;
    // Only diskettes have a capacity; 0 leaves the emulated default.
    void addDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed, quint64 capacity = 0);

    // Z: the host's root, A: a diskette in <folder>/floppy, D: a CD in <folder>/cdrom.
    void addWineDrives();

private:
    std::unique_ptr<TempDir> m_scratch;
    QString m_folder;
    std::unique_ptr<FakeRegistry> m_ownRegistry;
    FakeRegistry* m_registry;
    QByteArray m_oldDataHome;
};

} // namespace kv::test
