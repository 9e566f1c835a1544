// The settings' stores: preset and private ini files, the registry section, the options' rule.
#include "shell/ProfileFile.h"
#include "shell/AppSettings.h"
#include "shell/Options.h"
#include "shell/PrivateIni.h"
#include "support/FakeRegistry.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kv;
using kv::platform::Hive;
using kv::test::FakeRegistry;
using kv::test::FaultInjectingFileSystem;
using kv::test::TempDir;

namespace {

const char kPreset[] = "; installation defaults\r\n"
                       "[Parameters]\r\n"
                       "InclWab = 0 \r\n"
                       "  LastSavePath=\"C:\\Backups\\%UserName%\"\r\n"
                       "Quoted1='single'\r\n"
                       "Mixed=\"half'\r\n"
                       "Empty=\r\n"
                       "NoEquals\r\n"
                       ";RemindDays=5\r\n"
                       "RemindDays=7\r\n"
                       "remindDAYS=8\r\n"
                       "\r\n"
                       "[ Other ]\r\n"
                       "InclWab=1\r\n";

TEST(ProfileFile, ReadsAsTheProfileCallsDo)
{
    const ProfileFile profile(QString::fromLatin1(kPreset));
    // Section, key, default, value read.
    const std::tuple<const char*, const char*, const char*, const char*> cases[] = {
        {"Parameters", "InclWab", "d", "0"}, // value trimmed
        {"parameters", "INCLWAB", "d", "0"}, // names without case
        {"Parameters", "LastSavePath", "d", "C:\\Backups\\%UserName%"},
        {"Parameters", "Quoted1", "d", "single"},
        {"Parameters", "Mixed", "d", "\"half'"}, // unmatched quotes stay
        {"Parameters", "Empty", "d", ""},        // present but empty
        {"Parameters", "NoEquals", "d", "d"},
        {"Parameters", "RemindDays", "d", "7"},      // comment skipped, first wins
        {"Parameters", "Missing", "dflt  ", "dflt"}, // default trimmed right
        {"Other", "InclWab", "d", "1"},              // section name trimmed
        {"Parameters", "", "d", ""}};
    for (const auto& [section, key, defaultValue, expected] : cases)
        EXPECT_EQ(profile.getString(section, key, defaultValue), expected) << section << "/" << key;
}

TEST(ProfileFile, WritesChangeOnlyTheirLineAndKeepEverythingElse)
{
    ProfileFile profile(QString::fromLatin1(kPreset));
    EXPECT_TRUE(profile.setString("PARAMETERS", "inclwab", " 1 "));
    EXPECT_FALSE(profile.setString("Parameters", "InclWab", "1"));
    EXPECT_TRUE(profile.setString("Parameters", "New", "v"));
    EXPECT_TRUE(profile.setString("Added", "K", "w"));
    EXPECT_TRUE(profile.removeKey("Parameters", "Mixed"));

    QString expected = QString::fromLatin1(kPreset);
    expected.replace("InclWab = 0 \r\n", "InclWab=1\r\n")
        .remove("Mixed=\"half'\r\n")
        .replace("remindDAYS=8\r\n", "remindDAYS=8\r\nNew=v\r\n")
        .append("\r\n[Added]\r\nK=w\r\n");
    EXPECT_EQ(profile.text(), expected);
}

TEST(PrivateIniTest, AMissingFileIsCreatedByAWriteAndAnUnreadableOneNeverReplaced)
{
    TempDir dir;
    FaultInjectingFileSystem files;
    files.mapDrive(u'C', dir.file("drive_c"));
    const QString path = "C:\\new.ini";
    PrivateIni ini(files);
    ini.setFileName(path);
    ini.setSectionName("S");
    EXPECT_EQ(ini.getString("K", "d"), "d");
    ini.clearEntry("K");
    EXPECT_TRUE(files.readFile(path).isEmpty());
    EXPECT_TRUE(ini.writeString("K", QString::fromUtf8("café")));
    EXPECT_EQ(files.readFile(path), QByteArray("[S]\r\nK=caf\xE9\r\n")); // ANSI on disk
    EXPECT_EQ(ini.getString("K", QString()), QString::fromUtf8("café"));

    // A folder where the file should be stands for a file that cannot be read.
    files.makeSurePath("C:\\locked.ini\\");
    EXPECT_NE(ProfileFile::write(files, "C:\\locked.ini", "S", "K", "v"), platform::kErrorSuccess);
    ini.setFileName("C:\\locked.ini");
    EXPECT_FALSE(ini.writeString("K", "v"));
}

TEST(AppSettings, EmptyOrForeignValuesGiveTheDefaultAndNoDeleteTakesTheWholeKey)
{
    const QString app = "Software\\Tarnworks\\Korvane";
    FakeRegistry reg;
    AppSettings settings{reg};
    settings.setAppName("Korvane");
    ASSERT_TRUE(settings.saveSetting(QString(), "Empty", QString()));
    EXPECT_EQ(settings.getSetting(QString(), "Empty", "d"), "d");
    reg.setValue(Hive::CurrentUser, app, "Bin", platform::RegValue::fromBinary("\x01"));
    EXPECT_EQ(settings.getSetting(QString(), "Bin", "d"), "d");
    reg.setDword(Hive::CurrentUser, app, "Num", 42);
    EXPECT_EQ(settings.getSetting(QString(), "Num", "d"), "42");

    settings.saveSetting("{ID-1}", "A", "1");
    reg.setString(Hive::CurrentUser, app + "\\{ID-1}\\Sub", "C", "3");
    settings.saveSetting("{ID-2}", "A", "kept");
    EXPECT_TRUE(settings.deleteSetting("{ID-1}", QString()));
    EXPECT_NE(reg.openKey(Hive::CurrentUser, app + "\\{ID-1}"), 0);
    EXPECT_EQ(settings.getSetting("{ID-2}", "A", QString()), "kept");
    // An empty section never takes the whole application key with it.
    EXPECT_FALSE(settings.deleteSetting(QString(), QString()));
    EXPECT_EQ(reg.openKey(Hive::CurrentUser, app), 0);
}

// The one table of the rule: how a typed text is read, and what each option stores for it.
TEST(Options, TypedTextBecomesTheStoredValue)
{
    using namespace kv::options;
    // On, typed text, then the reminder's and the purge's stored value.
    const std::tuple<bool, const char*, int, int> cases[] = {
        {true, "45", 31, 45},
        {true, "0", 1, -1},
        {true, "32", 31, 32},
        {true, "12abc", 12, 12},
        {true, "abc", 1, -1},
        {true, "-5", 1, -1},
        {true, "123456789012345678901234567890", 31, 32767},
        {false, "5", -1, -1}};
    for (const auto& [on, text, reminder, purge] : cases) {
        const OptionsAnswer answer{on, QString::fromLatin1(text)};
        EXPECT_EQ(valueFor(Mode::Reminder, answer), reminder) << on << " " << text;
        EXPECT_EQ(valueFor(Mode::Purge, answer), purge) << on << " " << text;
    }
}

} // namespace
