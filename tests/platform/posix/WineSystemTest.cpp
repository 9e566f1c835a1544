#include "platform/posix/WineSystem.h"
#include "support/FakeRegistry.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using namespace Qt::StringLiterals;
using platform::posix::WineSystem;

const QString kUserEnv = u"Environment"_s;
const QString kMachineEnv = u"System\\CurrentControlSet\\Control\\Session Manager\\Environment"_s;

class WineSystemTest : public ::testing::Test
{
protected:
    void setVersion(Hive hive, const QString& key, const char* name)
    {
        registry.setString(hive, key, u"Version"_s, QString::fromLatin1(name));
    }
    FakeRegistry registry;
    WineSystem system{registry, {}, {}, u"bob"_s};
};

TEST_F(WineSystemTest, FoldersFollowWinesLayout)
{
    EXPECT_EQ(system.userName(), u"bob"_s);
    EXPECT_EQ(system.windowsDirectory(), u"C:\\windows"_s);
    EXPECT_EQ(system.systemDirectory(), u"C:\\windows\\system32"_s);
    EXPECT_EQ(system.programFolder(), u"C:\\Program Files\\Korvane"_s);
    EXPECT_EQ(system.tempPath(), u"C:\\users\\bob\\Temp\\"_s);
    setVersion(Hive::CurrentUser, u"Software\\Wine"_s, "win98");
    EXPECT_EQ(system.systemDirectory(), u"C:\\windows\\system"_s);

    const QDateTime fixed(QDate(2000, 5, 3), QTime(14, 5));
    WineSystem configured(registry, u"D:\\Tools\\K2K\\"_s, [fixed] { return fixed; });
    EXPECT_EQ(configured.programFolder(), u"D:\\Tools\\K2K"_s);
    EXPECT_FALSE(configured.userName().isEmpty());
    EXPECT_EQ(configured.now(), fixed);
}

TEST_F(WineSystemTest, EnvironmentAndTempPathHaveWindowsSemantics)
{
    const auto expand = [](const QString& text) {
        return RegValue::fromString(text, kRegExpandSz);
    };
    registry.setValue(Hive::LocalMachine, kMachineEnv, u"TEMP"_s, expand(u"%SystemRoot%\\TEMP"_s));
    registry.setValue(Hive::LocalMachine, kMachineEnv, u"TMP"_s, expand(u"%SystemRoot%\\TEMP"_s));
    EXPECT_EQ(system.tempPath(), u"C:\\windows\\TEMP\\"_s);
    registry.setValue(Hive::CurrentUser, kUserEnv, u"Tmp"_s,
                      expand(u"%USERPROFILE%\\AppData\\Local\\Temp"_s));
    EXPECT_EQ(system.tempPath(), u"C:\\users\\bob\\AppData\\Local\\Temp\\"_s);

    registry.setString(Hive::LocalMachine, kMachineEnv, u"PATH"_s, u"C:\\windows"_s);
    registry.setString(Hive::LocalMachine, kMachineEnv, u"Shared"_s, u"machine"_s);
    registry.setString(Hive::CurrentUser, kUserEnv, u"Path"_s, u"C:\\bin"_s);
    registry.setString(Hive::CurrentUser, kUserEnv, u"SHARED"_s, u"user"_s);
    registry.setString(Hive::CurrentUser, kUserEnv, u"Literal"_s, u"%WINDIR%"_s);
    registry.setString(Hive::CurrentUser,
                       u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"_s,
                       u"AppData"_s, u"C:\\users\\bob\\Application Data"_s);
    const std::pair<const char*, const char*> cases[] = {
        {"USERPROFILE", "C:\\users\\bob"},
        {"userprofile", "C:\\users\\bob"},
        {"SystemRoot", "C:\\windows"},
        {"WINDIR", "C:\\windows"},
        {"SYSTEMDRIVE", "C:"},
        {"UserName", "bob"},
        {"TEMP", "C:\\windows\\TEMP"},
        {"TMP", "C:\\users\\bob\\AppData\\Local\\Temp"},
        {"APPDATA", "C:\\users\\bob\\Application Data"},
        {"path", "C:\\windows;C:\\bin"},
        {"shared", "user"},
        {"LITERAL", "%WINDIR%"}, // a REG_SZ value is not expanded
        {"NOT_SET", ""},
    };
    for (const auto& [name, value] : cases)
        EXPECT_EQ(system.environmentVariable(QLatin1String(name)), QLatin1String(value)) << name;
}

TEST_F(WineSystemTest, ExpansionKeepsWhatItCannotExpand)
{
    const std::pair<const char*, const char*> cases[] = {
        {"%SystemDrive%\\Mail", "C:\\Mail"},
        {"%userprofile%\\%UNKNOWN%\\x", "C:\\users\\bob\\%UNKNOWN%\\x"},
        {"100%", "100%"},
        {"%", "%"},
        {"%%", "%%"},
        {"a%%b", "a%%b"},
        {"%UNKNOWN%USERNAME%", "%UNKNOWNbob"}, // the unknown name's closing "%" opens the next
        {"%USERNAME%%USERNAME%", "bobbob"},
        {"%USERNAME", "%USERNAME"},
        {"", ""},
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(system.expandEnvironmentStrings(QLatin1String(text)), QLatin1String(expanded))
            << text;
}

TEST_F(WineSystemTest, VersionFollowsThePrefixsSettingsInWinesOrder)
{
    EXPECT_EQ(system.windowsVersion().major, 6u); // Windows 7 when nothing is set
    EXPECT_EQ(system.windowsVersion().minor, 1u);
    const std::tuple<const char*, quint32, quint32, quint32, quint32> cases[] = {
        {"win95", 4, 0, 950, 1},    {"win98", 4, 10, 2222, 1}, {"WinME", 4, 90, 3000, 1},
        {"nt40", 4, 0, 1381, 2},    {"win2k", 5, 0, 2195, 2},  {"win2000", 5, 0, 2195, 2},
        {"winxp", 5, 1, 2600, 2},   {"vista", 6, 0, 6002, 2},  {"win7", 6, 1, 7601, 2},
        {"win10", 10, 0, 19043, 2},
    };
    for (const auto& [name, major, minor, build, platform] : cases) {
        setVersion(Hive::CurrentUser, u"Software\\Wine"_s, name);
        const WindowsVersion v = system.windowsVersion();
        EXPECT_EQ(std::tuple(v.major, v.minor, v.build, v.platformId),
                  std::tuple(major, minor, build, platform))
            << name;
    }
    registry.deleteKeyTree(Hive::CurrentUser, u"Software\\Wine"_s);
    const QString appDefaults = u"Software\\Wine\\AppDefaults\\KV2000.exe"_s;
    // The machine's setting, the user's over it, the program's over both; an unknown name passes.
    const std::tuple<Hive, QString, const char*, quint32> steps[] = {
        {Hive::LocalMachine, u"Software\\Wine"_s, "winxp", 2600},
        {Hive::CurrentUser, u"Software\\Wine"_s, "win98", 2222},
        {Hive::CurrentUser, appDefaults, "win2k", 2195},
        {Hive::CurrentUser, appDefaults, "win3000", 2222},
    };
    for (const auto& [hive, key, name, build] : steps) {
        setVersion(hive, key, name);
        EXPECT_EQ(system.windowsVersion().build, build) << name;
    }
}

} // namespace
} // namespace kv::test
