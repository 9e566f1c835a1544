#include "support/TestPrefix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <gtest/gtest.h>

namespace kv::test {

using namespace kv::platform;

TestPrefix::TestPrefix(const QString& folder, FakeRegistry* registry)
    : m_scratch(folder.isEmpty() ? std::make_unique<TempDir>() : nullptr),
      m_folder(m_scratch ? m_scratch->path() : QDir::cleanPath(folder)),
      m_ownRegistry(registry ? nullptr : std::make_unique<FakeRegistry>()),
      m_registry(registry ? registry : m_ownRegistry.get()), m_oldDataHome(qgetenv("XDG_DATA_HOME"))
{
    QDir().mkpath(driveC());
    QDir().mkpath(file(QStringLiteral("dosdevices")));
    link(QStringLiteral("c:"), QStringLiteral("../drive_c"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(file(QStringLiteral("xdg-data"))));
}

TestPrefix::~TestPrefix()
{
    if (m_oldDataHome.isEmpty())
        qunsetenv("XDG_DATA_HOME");
    else
        qputenv("XDG_DATA_HOME", m_oldDataHome);
}

void TestPrefix::link(const QString& name, const QString& target) const
{
    const QString path = file(QStringLiteral("dosdevices/") + name);
    QFile::remove(path);
    EXPECT_TRUE(QFile::link(target, path)) << path.toStdString();
}

void TestPrefix::addDrive(QChar letter, const QString& hostFolder, DriveType type, quint64 capacity)
{
    EXPECT_TRUE(capacity == 0 || type == DriveType::Removable) << "only diskettes are limited";
    const QString drives = QStringLiteral("Software\\Wine\\Drives");
    const QString capacities = QStringLiteral("Software\\Korvane\\Emulation\\Drives");
    const QString name = QString(letter.toLower()) + QLatin1Char(':');
    QDir().mkpath(hostFolder);
    link(name, QFileInfo(hostFolder).absoluteFilePath());
    m_registry->deleteValue(Hive::LocalMachine, drives, name);
    m_registry->deleteValue(Hive::LocalMachine, capacities, name);
    // Wine's names for the drive types it knows; any other drive is a fixed disk.
    const std::pair<DriveType, const char*> wineTypes[] = {{DriveType::Removable, "floppy"},
                                                           {DriveType::CdRom, "cdrom"},
                                                           {DriveType::Remote, "network"},
                                                           {DriveType::RamDisk, "ramdisk"}};
    for (const auto& [known, kind] : wineTypes)
        if (known == type)
            m_registry->setString(Hive::LocalMachine, drives, name, QLatin1String(kind));
    if (capacity > 0) {
        const quint64 le = qToLittleEndian(capacity);
        const QByteArray qword(reinterpret_cast<const char*>(&le), sizeof le);
        m_registry->setValue(Hive::LocalMachine, capacities, name,
                             RegValue::fromBinary(qword, kRegQword));
    }
}

void TestPrefix::addWineDrives()
{
    link(QStringLiteral("z:"), QStringLiteral("/"));
    addDrive(u'a', file(QStringLiteral("floppy")), DriveType::Removable);
    addDrive(u'd', file(QStringLiteral("cdrom")), DriveType::CdRom);
}

} // namespace kv::test
