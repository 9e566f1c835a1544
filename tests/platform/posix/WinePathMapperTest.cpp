#include "support/TestPrefix.h"

#include "platform/posix/WinePathMapper.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace Qt::StringLiterals;
using platform::posix::WinePathMapper;

class WinePathMapperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        t.addWineDrives();
        t.write(u"drive_c/users/bob/Mail/folders.dbx"_s, "x");
        t.write(u"drive_c/users/bob/Mail/Inbox.dbx"_s, "x");
        t.write(u"drive_c/Data/report.TXT"_s, "x");
    }
    TestPrefix t;
    WinePathMapper mapper{t.prefix()};
};

TEST_F(WinePathMapperTest, WindowsPathsFindTheirHostFilesWhateverTheCase)
{
    const QString c = t.driveC();
    const std::pair<const char*, QString> cases[] = {
        {"C:\\users\\bob\\Mail\\Folders.dbx", c + "/users/bob/Mail/folders.dbx"},
        {"c:\\USERS\\BOB\\mail\\INBOX.DBX", c + "/users/bob/Mail/Inbox.dbx"},
        {"C:\\users\\\\bob\\.\\Mail\\..\\Mail\\Inbox.dbx", c + "/users/bob/Mail/Inbox.dbx"},
        // Missing components are kept as written, below the last one that exists.
        {"C:\\users\\BOB\\New Folder\\Sub\\x.eml", c + "/users/bob/New Folder/Sub/x.eml"},
        {"C:", c},
        {"a:\\Backup.eaz", t.file(u"floppy"_s) + "/Backup.eaz"},
        {"Q:\\x", QString()},
        {"\\\\server\\share\\x", QString()},
        {"relative\\x", QString()},
    };
    for (const auto& [windows, host] : cases)
        EXPECT_EQ(mapper.toHostPath(QLatin1String(windows)), host) << windows;
}

TEST_F(WinePathMapperTest, HostPathsGoBackThroughTheDrives)
{
    const QString c = t.driveC();
    const std::pair<QString, const char*> cases[] = {
        {c + "/users/bob/Mail/Inbox.dbx", "C:\\users\\bob\\Mail\\Inbox.dbx"},
        {c + "/not/yet/there.txt", "C:\\not\\yet\\there.txt"},
        // Reached through the prefix's own link: still C:, the longest drive target wins over Z:.
        {t.folder() + "/dosdevices/c:/Data", "C:\\Data"},
        {"/etc/passwd", "Z:\\etc\\passwd"},
    };
    for (const auto& [host, windows] : cases)
        EXPECT_EQ(mapper.toWindowsPath(host), QLatin1String(windows)) << host.toStdString();
}

TEST_F(WinePathMapperTest, DrivesAreTheLettersOfTheLinks)
{
    t.link(u"e:"_s, t.file(u"no-such-folder"_s));
    t.link(u"c::"_s, u"/dev/null"_s); // a raw device entry, not a drive
    EXPECT_EQ(mapper.driveLetters(), (QList<QChar>{u'a', u'c', u'd', u'e', u'z'}));
}

} // namespace
} // namespace kv::test
