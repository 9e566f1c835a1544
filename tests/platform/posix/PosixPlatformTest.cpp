#include "support/TestPrefix.h"

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WineRegistry.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::PosixPlatform;
using platform::posix::WineRegistry;

TEST(PosixPlatformTest, ServicesShareTheRegistryTheyWereGiven)
{
    TestPrefix t;
    t.addWineDrives();
    t.write(QStringLiteral("drive_c/Program Files/Tools/K2K/KV2000.exe"), "MZ");
    auto registry = std::make_unique<FakeRegistry>();
    FakeRegistry* raw = registry.get();
    raw->setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                   QStringLiteral("a:"), QStringLiteral("floppy"));
    PosixPlatform::Options options;
    options.programFolder = QStringLiteral("C:\\Program Files\\Tools\\K2K");
    PosixPlatform platform(t.prefix(), std::move(registry), options);
    Platform services = platform.services();

    EXPECT_EQ(&services.registry, raw);
    EXPECT_EQ(services.files.driveType(QStringLiteral("A:\\")), DriveType::Removable);
    raw->setString(Hive::CurrentUser, QStringLiteral("Software\\Wine"), QStringLiteral("Version"),
                   QStringLiteral("win98"));
    EXPECT_EQ(services.system.systemDirectory(), QStringLiteral("C:\\windows\\system"));
    FileEntry entry;
    EXPECT_TRUE(services.files.stat(
        services.system.programFolder() + QStringLiteral("\\kv2000.EXE"), &entry));
    EXPECT_EQ(entry.size, 2u);
}

// The prefix's own registry files, as Wine writes them, drive the services.
TEST(PosixPlatformTest, APrefixsRegistryFilesConfigureDrivesVersionAndEnvironment)
{
    TestPrefix t;
    t.addWineDrives();
    t.write(
        QStringLiteral("system.reg"),
        "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n"
        "[Software\\\\Wine\\\\Drives] 1796572508\n\"a:\"=\"floppy\"\n\"d:\"=\"cdrom\"\n\n"
        "[Software\\\\Korvane\\\\Emulation\\\\Drives] 1796572508\n\"a:\"=dword:00000800\n\n"
        "[System\\\\CurrentControlSet\\\\Control\\\\Session Manager\\\\Environment] 1796572508\n"
        "\"TEMP\"=str(2):\"%SystemRoot%\\\\TEMP\"\n\"windir\"=str(2):\"%SystemRoot%\"\n");
    t.write(QStringLiteral("user.reg"),
            "WINE REGISTRY Version 2\n;; All keys relative to "
            "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n\n"
            "[Environment] 1796572508\n\"TEMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n"
            "\"TMP\"=str(2):\"%USERPROFILE%\\\\Temp\"\n\n"
            "[Software\\\\Wine] 1796572508\n\"Version\"=\"winxp\"\n");
    PosixPlatform platform(t.prefix(), std::make_unique<WineRegistry>(t.prefix()));
    Platform services = platform.services();

    EXPECT_EQ(services.files.driveType(QStringLiteral("a:\\")), DriveType::Removable);
    EXPECT_EQ(services.files.driveType(QStringLiteral("D:\\")), DriveType::CdRom);
    DiskSpace space;
    ASSERT_TRUE(services.files.diskSpace(QStringLiteral("A:\\"), &space));
    EXPECT_EQ(space.totalBytes, 2048u);
    const WindowsVersion version = services.system.windowsVersion();
    EXPECT_EQ(version.build, 2600u);
    EXPECT_TRUE(version.isNt());
    EXPECT_EQ(services.system.tempPath(), QStringLiteral("C:\\users\\") +
                                              services.system.userName() +
                                              QStringLiteral("\\Temp\\"));
}

} // namespace
} // namespace kv::test
