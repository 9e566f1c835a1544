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

TEST_F(WineSystemTest, FoldersAndEnvironmentFollowThePrefixWithWindowsSemantics)
{
    EXPECT_EQ(system.tempPath(), u"C:\\users\\bob\\Temp\\"_s);
    setVersion(Hive::CurrentUser, u"Software\\Wine"_s, "win98");
    EXPECT_EQ(system.systemDirectory(), u"C:\\windows\\system"_s);

    const auto expand = [](const char* text) {
        return RegValue::fromString(QLatin1String(text), kRegExpandSz);
    };
    registry.setValue(Hive::LocalMachine, kMachineEnv, u"TEMP"_s, expand("%SystemRoot%\\TEMP"));
    registry.setValue(Hive::LocalMachine, kMachineEnv, u"TMP"_s, expand("%SystemRoot%\\TEMP"));
    EXPECT_EQ(system.tempPath(), u"C:\\windows\\TEMP\\"_s);
    registry.setValue(Hive::CurrentUser, kUserEnv, u"Tmp"_s, expand("%USERPROFILE%\\Local"));
    EXPECT_EQ(system.tempPath(), u"C:\\users\\bob\\Local\\"_s);

    registry.setString(Hive::LocalMachine, kMachineEnv, u"PATH"_s, u"C:\\windows"_s);
    registry.setString(Hive::CurrentUser, kUserEnv, u"Path"_s, u"C:\\bin"_s);
    registry.setString(Hive::CurrentUser, kUserEnv, u"Literal"_s, u"%WINDIR%"_s);
    registry.setString(Hive::CurrentUser,
                       u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"_s,
                       u"AppData"_s, u"C:\\users\\bob\\Application Data"_s);
    const std::pair<const char*, const char*> cases[] = {
        {"userprofile", "C:\\users\\bob"},
        {"TEMP", "C:\\windows\\TEMP"},
        {"APPDATA", "C:\\users\\bob\\Application Data"},
        {"path", "C:\\windows;C:\\bin"},
        {"LITERAL", "%WINDIR%"}, // a REG_SZ value is not expanded
        {"NOT_SET", ""},
    };
    for (const auto& [name, value] : cases)
        EXPECT_EQ(system.environmentVariable(QLatin1String(name)), QLatin1String(value)) << name;
}

TEST_F(WineSystemTest, ExpansionKeepsWhatItCannotExpand)
{
    const std::pair<const char*, const char*> cases[] = {
        {"%userprofile%\\%UNKNOWN%\\x", "C:\\users\\bob\\%UNKNOWN%\\x"},
        {"100%", "100%"},
        {"%UNKNOWN%USERNAME%", "%UNKNOWNbob"}, // the unknown name's closing "%" opens the next
    };
    for (const auto& [text, expanded] : cases)
        EXPECT_EQ(system.expandEnvironmentStrings(QLatin1String(text)), QLatin1String(expanded))
            << text;
}

TEST_F(WineSystemTest, VersionFollowsThePrefixsSettingsInWinesOrder)
{
    EXPECT_EQ(system.windowsVersion().build, 7601u); // Windows 7 when nothing is set
    const QString appDefaults = u"Software\\Wine\\AppDefaults\\KV2000.exe"_s;
    // The machine's setting, the user's over it, the program's over both.
    const std::tuple<Hive, QString, const char*, quint32, quint32> steps[] = {
        {Hive::LocalMachine, u"Software\\Wine"_s, "winxp", 2600, 2},
        {Hive::CurrentUser, u"Software\\Wine"_s, "WinME", 3000, 1},
        {Hive::CurrentUser, appDefaults, "win2000", 2195, 2},
    };
    for (const auto& [hive, key, name, build, platformId] : steps) {
        setVersion(hive, key, name);
        EXPECT_EQ(system.windowsVersion().build, build) << name;
        EXPECT_EQ(system.windowsVersion().platformId, platformId) << name;
    }
}

} // namespace
} // namespace kv::test
