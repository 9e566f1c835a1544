#pragma once

#include "platform/IFileSystem.h"
#include "platform/posix/WinePrefix.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

#include <QString>

#include <memory>

namespace kv::test {

// A Wine prefix laid out as Wine lays it out: <folder>/drive_c is C: (dosdevices/c: ->
// ../drive_c), further drives link to folders of the test's choosing, and their types live in
// the drive configuration of a registry. While it exists, the desktop's data folder (and with
// it the trash the Recycle Bin stands for) is <folder>/xdg-data, so that no test touches the
// user's own trash.
class TestPrefix
{
public:
    // In `folder` (a scratch folder of its own when empty); the drive configuration goes into
    // `registry`, or into a registry of its own.
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

    // Writes a file below the prefix's folder (creating its parents); returns its host path.
    QString write(const QString& relative, const QByteArray& bytes) const
    {
        return TempDir::writeHostFile(file(relative), bytes);
    }
    // Adds (or replaces) the link dosdevices/<name> -> target.
    void link(const QString& name, const QString& target) const;
    // Maps a drive onto a host folder (created when missing). Only diskettes (Removable) have a
    // capacity, as only they do in the prefix: 0 leaves the emulated default.
    void addDrive(QChar letter, const QString& hostFolder,
                  platform::DriveType type = platform::DriveType::Fixed, quint64 capacity = 0);

    // The drives of a full prefix beside C:: Z: (the host's root), A: a diskette in
    // <folder>/floppy, D: a CD in <folder>/cdrom.
    void addWineDrives();

private:
    std::unique_ptr<TempDir> m_scratch;
    QString m_folder;
    std::unique_ptr<FakeRegistry> m_ownRegistry;
    FakeRegistry* m_registry;
    QByteArray m_oldDataHome;
};

} // namespace kv::test
