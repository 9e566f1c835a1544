#include "platform/posix/WineSystem.h"
#include "support/FakeRegistry.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::WineSystem;

const QString kUserEnv = QStringLiteral("Environment");
const QString kMachineEnv =
    QStringLiteral("System\\CurrentControlSet\\Control\\Session Manager\\Environment");

class WineSystemTest : public ::testing::Test
{
protected:
    FakeRegistry registry;
    WineSystem system{registry, {}, {}, QStringLiteral("bob")};
};

TEST_F(WineSystemTest, FoldersFollowWinesLayout)
{
    EXPECT_EQ(system.userName(), QStringLiteral("bob"));
    EXPECT_EQ(system.windowsDirectory(), QStringLiteral("C:\\windows"));
    EXPECT_EQ(system.systemDirectory(), QStringLiteral("C:\\windows\\system32"));
    EXPECT_EQ(system.programFolder(), QStringLiteral("C:\\Program Files\\Korvane"));
    EXPECT_EQ(system.tempPath(), QStringLiteral("C:\\users\\bob\\Temp\\"));

    registry.setString(Hive::CurrentUser, QStringLiteral("Software\\Wine"),
                       QStringLiteral("Version"), QStringLiteral("win98"));
    EXPECT_EQ(system.systemDirectory(), QStringLiteral("C:\\windows\\system"));

    WineSystem configured(registry, QStringLiteral("D:\\Tools\\K2K\\"));
    EXPECT_EQ(configured.programFolder(), QStringLiteral("D:\\Tools\\K2K"));
    EXPECT_FALSE(configured.userName().isEmpty());
}

TEST_F(WineSystemTest, TempPathComesFromTheUsersEnvironment)
{
    registry.setValue(Hive::LocalMachine, kMachineEnv, QStringLiteral("TEMP"),
                      RegValue::fromString(QStringLiteral("%SystemRoot%\\TEMP"), kRegExpandSz));
    registry.setValue(Hive::LocalMachine, kMachineEnv, QStringLiteral("TMP"),
                      RegValue::fromString(QStringLiteral("%SystemRoot%\\TEMP"), kRegExpandSz));
    EXPECT_EQ(system.tempPath(), QStringLiteral("C:\\windows\\TEMP\\"));
    registry.setValue(
        Hive::CurrentUser, kUserEnv, QStringLiteral("Tmp"),
        RegValue::fromString(QStringLiteral("%USERPROFILE%\\AppData\\Local\\Temp"), kRegExpandSz));
    EXPECT_EQ(system.tempPath(), QStringLiteral("C:\\users\\bob\\AppData\\Local\\Temp\\"));
}

TEST_F(WineSystemTest, EnvironmentHasWindowsSemantics)
{
    registry.setString(Hive::LocalMachine, kMachineEnv, QStringLiteral("PATH"),
                       QStringLiteral("C:\\windows"));
    registry.setString(Hive::LocalMachine, kMachineEnv, QStringLiteral("Shared"),
                       QStringLiteral("machine"));
    registry.setString(Hive::CurrentUser, kUserEnv, QStringLiteral("Path"),
                       QStringLiteral("C:\\bin"));
    registry.setString(Hive::CurrentUser, kUserEnv, QStringLiteral("SHARED"),
                       QStringLiteral("user"));
    registry.setString(Hive::CurrentUser, kUserEnv, QStringLiteral("Literal"),
                       QStringLiteral("%WINDIR%"));
    registry.setString(
        Hive::CurrentUser,
        QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"),
        QStringLiteral("AppData"), QStringLiteral("C:\\users\\bob\\Application Data"));
    const struct
    {
        const char* name;
        const char* value;
    } cases[] = {
        {"USERPROFILE", "C:\\users\\bob"},
        {"userprofile", "C:\\users\\bob"},
        {"SystemRoot", "C:\\windows"},
        {"WINDIR", "C:\\windows"},
        {"SYSTEMDRIVE", "C:"},
        {"UserName", "bob"},
        {"TEMP", "C:\\users\\bob\\Temp"},
        {"TMP", "C:\\users\\bob\\Temp"},
        {"APPDATA", "C:\\users\\bob\\Application Data"},
        {"path", "C:\\windows;C:\\bin"},
        {"shared", "user"},
        {"LITERAL", "%WINDIR%"}, // a REG_SZ value is not expanded
        {"NOT_SET", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(system.environmentVariable(QString::fromLatin1(test.name)),
                  QString::fromUtf8(test.value))
            << test.name;
}

TEST_F(WineSystemTest, ExpansionKeepsWhatItCannotExpand)
{
    const struct
    {
        const char* text;
        const char* expanded;
    } cases[] = {
        {"%SystemDrive%\\Mail", "C:\\Mail"},
        {"%userprofile%\\%UNKNOWN%\\x", "C:\\users\\bob\\%UNKNOWN%\\x"},
        {"100%", "100%"},
        {"%", "%"},
        {"%%", "%%"},
        {"a%%b", "a%%b"},
        {"%UNKNOWN%USERNAME%", "%UNKNOWNbob"}, // the unknown name's closing "%" opens the next
        {"%USERNAME%%USERNAME%", "bobbob"},
        {"%USERNAME", "%USERNAME"},
        {"no variables", "no variables"},
        {"", ""},
    };
    for (const auto& test : cases)
        EXPECT_EQ(system.expandEnvironmentStrings(QString::fromUtf8(test.text)),
                  QString::fromUtf8(test.expanded))
            << test.text;
}

TEST_F(WineSystemTest, VersionFollowsThePrefixsSetting)
{
    const struct
    {
        const char* name;
        quint32 major, minor, build, platform;
    } cases[] = {
        {"win95", 4, 0, 950, 1},    {"win98", 4, 10, 2222, 1}, {"WinME", 4, 90, 3000, 1},
        {"nt40", 4, 0, 1381, 2},    {"win2k", 5, 0, 2195, 2},  {"win2000", 5, 0, 2195, 2},
        {"winxp", 5, 1, 2600, 2},   {"vista", 6, 0, 6002, 2},  {"win7", 6, 1, 7601, 2},
        {"win10", 10, 0, 19043, 2},
    };
    for (const auto& test : cases) {
        registry.setString(Hive::CurrentUser, QStringLiteral("Software\\Wine"),
                           QStringLiteral("Version"), QString::fromLatin1(test.name));
        const WindowsVersion v = system.windowsVersion();
        EXPECT_EQ(v.major, test.major) << test.name;
        EXPECT_EQ(v.minor, test.minor) << test.name;
        EXPECT_EQ(v.build, test.build) << test.name;
        EXPECT_EQ(v.platformId, test.platform) << test.name;
    }
}

TEST_F(WineSystemTest, VersionSettingsTakeWinesOrder)
{
    EXPECT_EQ(system.windowsVersion().major, 6u); // Windows 7 when nothing is set
    EXPECT_EQ(system.windowsVersion().minor, 1u);

    registry.setString(Hive::LocalMachine, QStringLiteral("Software\\Wine"),
                       QStringLiteral("Version"), QStringLiteral("winxp"));
    EXPECT_EQ(system.windowsVersion().build, 2600u);
    registry.setString(Hive::CurrentUser, QStringLiteral("Software\\Wine"),
                       QStringLiteral("Version"), QStringLiteral("win98"));
    EXPECT_EQ(system.windowsVersion().build, 2222u);
    registry.setString(Hive::CurrentUser, QStringLiteral("Software\\Wine\\AppDefaults\\KV2000.exe"),
                       QStringLiteral("Version"), QStringLiteral("win2k"));
    EXPECT_EQ(system.windowsVersion().build, 2195u);
    // A name Wine does not know is passed over.
    registry.setString(Hive::CurrentUser, QStringLiteral("Software\\Wine\\AppDefaults\\KV2000.exe"),
                       QStringLiteral("Version"), QStringLiteral("win3000"));
    EXPECT_EQ(system.windowsVersion().build, 2222u);
}

TEST_F(WineSystemTest, ClockIsInjectable)
{
    const QDateTime fixed(QDate(2000, 5, 3), QTime(14, 5));
    WineSystem fixedSystem(registry, {}, [fixed] { return fixed; });
    EXPECT_EQ(fixedSystem.now(), fixed);
    EXPECT_LE(qAbs(system.now().secsTo(QDateTime::currentDateTime())), 5);
}

} // namespace
} // namespace kv::test
