// How the prefix's drive links and registry settings become Windows paths and environment.
#include "support/FakeRegistry.h"
#include "support/TestPrefix.h"

#include "platform/posix/WindowsCommandLine.h"
#include "platform/posix/WinePathMapper.h"
#include "platform/posix/WineSystem.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using namespace Qt::StringLiterals;
using platform::posix::WindowsCommandLine;
using platform::posix::WinePathMapper;
using platform::posix::WineSystem;

// Name case alone is the file-system contract's; here, what the drive links make of paths.
TEST(WinePathMapperTest, PathsMapBothWaysThroughTheDrives)
{
    TestPrefix t;
    t.addWineDrives();
    t.write(u"drive_c/users/bob/Mail/Inbox.dbx"_s, "x");
    const WinePathMapper mapper{t.prefix()};
    const QString c = t.driveC();
    const std::pair<const char*, QString> toHost[] = {
        {"C:\\users\\\\bob\\.\\Mail\\..\\MAIL\\Inbox.dbx", c + "/users/bob/Mail/Inbox.dbx"},
        // Missing components are kept as written, below the last one that exists.
        {"C:\\users\\BOB\\New Folder\\Sub\\x.eml", c + "/users/bob/New Folder/Sub/x.eml"},
        {"C:", c},
        {"a:\\Backup.eaz", t.file(u"floppy"_s) + "/Backup.eaz"},
        {"Q:\\x", QString()},
        {"\\\\server\\share\\x", QString()},
        {"relative\\x", QString()},
    };
    for (const auto& [windows, host] : toHost)
        EXPECT_EQ(mapper.toHostPath(QLatin1String(windows)), host) << windows;
    const std::pair<QString, const char*> toWindows[] = {
        {c + "/not/yet/there.txt", "C:\\not\\yet\\there.txt"},
        // Reached through the prefix's own link: still C:, the longest drive target wins over Z:.
        {t.folder() + "/dosdevices/c:/Data", "C:\\Data"},
        {"/etc/passwd", "Z:\\etc\\passwd"},
    };
    for (const auto& [host, windows] : toWindows)
        EXPECT_EQ(mapper.toWindowsPath(host), QLatin1String(windows)) << host.toStdString();
}

const QString kUserEnv = u"Environment"_s;
const QString kMachineEnv = u"System\\CurrentControlSet\\Control\\Session Manager\\Environment"_s;

class WineSystemTest : public ::testing::Test
{
protected:
    FakeRegistry registry;
    WineSystem system{registry, {}, {}, u"bob"_s};
};

TEST_F(WineSystemTest, FoldersAndEnvironmentFollowThePrefixWithWindowsSemantics)
{
    EXPECT_EQ(system.tempPath(), u"C:\\users\\bob\\Temp\\"_s);
    const auto expand = [](const char* text) {
        return RegValue::fromString(QLatin1String(text), kRegExpandSz);
    };
    registry.setValue(Hive::LocalMachine, kMachineEnv, u"TEMP"_s, expand("%SystemRoot%\\TEMP"));
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
    // Expansion keeps what it cannot expand; an unknown name's closing "%" opens the next.
    for (const auto& [text, expanded] :
         {std::pair{"%userprofile%\\%UNKNOWN%\\x", "C:\\users\\bob\\%UNKNOWN%\\x"},
          {"100%", "100%"},
          {"%UNKNOWN%USERNAME%", "%UNKNOWNbob"}})
        EXPECT_EQ(system.expandEnvironmentStrings(QLatin1String(text)), QLatin1String(expanded));
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
        registry.setString(hive, key, u"Version"_s, QString::fromLatin1(name));
        EXPECT_EQ(system.windowsVersion().build, build) << name;
        EXPECT_EQ(system.windowsVersion().platformId, platformId) << name;
    }
}

TEST(WindowsCommandLineTest, QuotedArgumentsSplitBackAsTheRuntimeSplitsThem)
{
    const QStringList arguments = {"with space", "", "C:\\dir\\", "quote\"inside", "a\\\"b"};
    QStringList quoted;
    for (const QString& a : arguments)
        quoted.append(WindowsCommandLine::quote(a));
    EXPECT_EQ(WindowsCommandLine::arguments(quoted.join(' ')), arguments);
}

} // namespace
} // namespace kv::test
