#include "TestPrefix.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace kv::test {

using platform::Hive;

TestPrefix::TestPrefix()
{
    QDir().mkpath(driveC() + QStringLiteral("/windows/system32"));
    QDir().mkpath(prefixFolder() + QStringLiteral("/dosdevices"));
    QDir().mkpath(floppy());
    QDir().mkpath(cdrom());
    link(QStringLiteral("c:"), QStringLiteral("../drive_c"));
    link(QStringLiteral("z:"), QStringLiteral("/"));
    link(QStringLiteral("a:"), floppy());
    link(QStringLiteral("d:"), cdrom());
    registry.setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                       QStringLiteral("a:"), QStringLiteral("floppy"));
    registry.setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                       QStringLiteral("d:"), QStringLiteral("cdrom"));
}

void TestPrefix::link(const QString& name, const QString& target) const
{
    const QString path = prefixFolder() + QStringLiteral("/dosdevices/") + name;
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(target, path)) << path.toStdString();
}

} // namespace kv::test
