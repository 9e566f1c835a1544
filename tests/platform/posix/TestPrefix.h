#pragma once

#include "platform/posix/WinePrefix.h"
#include "support/FakeRegistry.h"
#include "support/TempDir.h"

#include <QString>

namespace kv::test {

// A Wine prefix laid out in a scratch folder:
//   prefix/drive_c/            C: (dosdevices/c: -> ../drive_c, relative as Wine makes it)
//   prefix/dosdevices/z:       Z: -> /
//   floppy/                    A: ("floppy" in the drive configuration)
//   cdrom/                     D: ("cdrom")
// plus a FakeRegistry holding that drive configuration.
class TestPrefix
{
public:
    TestPrefix();

    QString prefixFolder() const { return m_dir.path() + QStringLiteral("/prefix"); }
    QString driveC() const { return prefixFolder() + QStringLiteral("/drive_c"); }
    QString floppy() const { return m_dir.path() + QStringLiteral("/floppy"); }
    QString cdrom() const { return m_dir.path() + QStringLiteral("/cdrom"); }
    QString scratch(const QString& relative) const { return m_dir.file(relative); }
    platform::posix::WinePrefix prefix() const
    {
        return platform::posix::WinePrefix(prefixFolder());
    }

    // Adds (or replaces) the link dosdevices/<name> -> target.
    void link(const QString& name, const QString& target) const;
    // Writes a file below the scratch folder and returns its host path.
    QString write(const QString& relative, const QByteArray& bytes) const
    {
        return m_dir.write(relative, bytes);
    }

    FakeRegistry registry;

private:
    TempDir m_dir;
};

} // namespace kv::test
