#include "shell/ProfileFile.h"
#include "shell/PrivateIni.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kv;
using kv::test::FaultInjectingFileSystem;
using kv::test::TempDir;

namespace {

const char kPreset[] = "; installation defaults\r\n"
                       "[Parameters]\r\n"
                       "InclWab = 0 \r\n"
                       "  LastSavePath=\"C:\\Backups\\%UserName%\"\r\n"
                       "Quoted1='single'\r\n"
                       "Mixed=\"half'\r\n"
                       "Lone=\"\r\n"
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
        {" Parameters ", " InclWab ", "d", "0"},
        {"Parameters", "LastSavePath", "d", "C:\\Backups\\%UserName%"},
        {"Parameters", "Quoted1", "d", "single"},
        {"Parameters", "Mixed", "d", "\"half'"}, // unmatched quotes stay
        {"Parameters", "Lone", "d", "\""},
        {"Parameters", "Empty", "d", ""}, // present but empty
        {"Parameters", "NoEquals", "d", "d"},
        {"Parameters", "RemindDays", "d", "7"},      // comment skipped, first wins
        {"Parameters", "Missing", "dflt  ", "dflt"}, // default trimmed right
        {"Parameters", "Missing", "\"q\"", "q"},
        {"Other", "InclWab", "d", "1"}, // section name trimmed
        {"Nowhere", "InclWab", "d", "d"},
        {"Parameters", "", "d", ""}};
    for (const auto& [section, key, defaultValue, expected] : cases)
        EXPECT_EQ(profile.getString(section, key, defaultValue), expected) << section << "/" << key;
}

TEST(ProfileFile, LongValuesAreCutToTheBufferAndIntegersReadTheLeadingNumber)
{
    ProfileFile profile("[S]\nA=12abc\nB=-3\nC=abc\nD=\"40\"\nK=" + QString(300, u'x') + "\n");
    EXPECT_EQ(profile.getString("S", "K", QString()).size(), 254); // a buffer of 255 characters
    EXPECT_EQ(profile.getString("S", "K", QString(), 10), "xxxxxxxxx");
    const std::pair<const char*, int> numbers[] = {
        {"A", 12}, {"B", -3}, {"C", 0}, {"D", 40}, {"Missing", 5}};
    for (const auto& [key, value] : numbers)
        EXPECT_EQ(profile.getInt("S", key, 5), value) << key;
}

TEST(ProfileFile, WritesChangeOnlyTheirLineAndKeepEverythingElse)
{
    ProfileFile profile(QString::fromLatin1(kPreset));
    // Replacing keeps the key's spelling and position; comments and blank lines stay.
    EXPECT_TRUE(profile.setString("PARAMETERS", "inclwab", " 1 "));
    EXPECT_FALSE(profile.setString("Parameters", "InclWab", "1"));
    // A new key goes at the end of its section, before the blank separator line.
    EXPECT_TRUE(profile.setString("Parameters", "New", "v"));
    // A new section goes at the end, separated by a blank line.
    EXPECT_TRUE(profile.setString("Added", "K", "w"));
    EXPECT_TRUE(profile.removeKey("Parameters", "Lone"));
    EXPECT_FALSE(profile.removeKey("Parameters", "Lone"));

    QString expected = QString::fromLatin1(kPreset);
    expected.replace("InclWab = 0 \r\n", "InclWab=1\r\n")
        .remove("Lone=\"\r\n")
        .replace("remindDAYS=8\r\n", "remindDAYS=8\r\nNew=v\r\n")
        .append("\r\n[Added]\r\nK=w\r\n");
    EXPECT_EQ(profile.text(), expected);
}

class PrivateIniTest : public testing::Test
{
protected:
    PrivateIniTest() { files.mapDrive(u'C', dir.file("drive_c")); }
    TempDir dir;
    FaultInjectingFileSystem files;
};

TEST_F(PrivateIniTest, AMissingFileIsCreatedByAWriteAndAnUnreadableOneNeverReplaced)
{
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

} // namespace
