#include "support/TestPrefix.h"

#include "platform/posix/WinePathMapper.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using platform::posix::WinePathMapper;

class WinePathMapperTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        t.addWineDrives();
        t.write(QStringLiteral("drive_c/users/bob/Mail/folders.dbx"), "x");
        t.write(QStringLiteral("drive_c/users/bob/Mail/Inbox.dbx"), "x");
        t.write(QStringLiteral("drive_c/Data/report.TXT"), "x");
    }
    TestPrefix t;
    WinePathMapper mapper{t.prefix()};
};

TEST_F(WinePathMapperTest, WindowsPathsFindTheirHostFilesWhateverTheCase)
{
    const QString c = t.driveC();
    const struct
    {
        const char* windows;
        QString host;
    } cases[] = {
        {"C:\\users\\bob\\Mail\\Folders.dbx", c + "/users/bob/Mail/folders.dbx"},
        {"c:\\USERS\\BOB\\mail\\INBOX.DBX", c + "/users/bob/Mail/Inbox.dbx"},
        {"C:/users/bob/Mail/inbox.dbx", c + "/users/bob/Mail/Inbox.dbx"},
        {"C:\\users\\\\bob\\.\\Mail\\..\\Mail\\Inbox.dbx", c + "/users/bob/Mail/Inbox.dbx"},
        // Missing components are kept as written, below the last one that exists.
        {"C:\\users\\BOB\\New Folder\\Sub\\x.eml", c + "/users/bob/New Folder/Sub/x.eml"},
        {"C:\\", c},
        {"C:", c},
        {"a:\\Backup.eaz", t.file(QStringLiteral("floppy")) + "/Backup.eaz"},
        {"Z:\\tmp", "/tmp"},
        {"Z:\\", "/"},
        // Not a drive we have, not a drive path at all.
        {"Q:\\x", QString()},
        {"\\\\server\\share\\x", QString()},
        {"relative\\x", QString()},
        {"C:relative", QString()},
    };
    for (const auto& test : cases)
        EXPECT_EQ(mapper.toHostPath(QString::fromUtf8(test.windows)), test.host) << test.windows;
}

TEST_F(WinePathMapperTest, AnAmbiguousNamePrefersTheExactSpelling)
{
    // Only a case-sensitive host can hold both spellings.
    t.write(QStringLiteral("drive_c/Data/Report.txt"), "y");
    t.write(QStringLiteral("drive_c/Data/REPORT.TXT"), "z");
    EXPECT_EQ(mapper.toHostPath(QStringLiteral("C:\\Data\\Report.txt")),
              t.driveC() + "/Data/Report.txt");
    EXPECT_EQ(mapper.toHostPath(QStringLiteral("C:\\Data\\REPORT.TXT")),
              t.driveC() + "/Data/REPORT.TXT");
    // No exact spelling: one of the matches, the same one every time.
    const QString any = mapper.toHostPath(QStringLiteral("C:\\data\\report.txt"));
    EXPECT_TRUE(QFileInfo::exists(any)) << any.toStdString();
    EXPECT_EQ(mapper.toHostPath(QStringLiteral("C:\\data\\report.txt")), any);
}

TEST_F(WinePathMapperTest, HostPathsGoBackThroughTheDrives)
{
    const QString c = t.driveC();
    const struct
    {
        QString host;
        const char* windows;
    } cases[] = {
        {c + "/users/bob/Mail/Inbox.dbx", "C:\\users\\bob\\Mail\\Inbox.dbx"},
        {c, "C:\\"},
        {c + "/not/yet/there.txt", "C:\\not\\yet\\there.txt"},
        {t.file(QStringLiteral("floppy")) + "/x.eaz", "A:\\x.eaz"},
        // Reached through the prefix's own link: still C:, the longest drive target wins over Z:.
        {t.folder() + "/dosdevices/c:/Data", "C:\\Data"},
        {"/etc/passwd", "Z:\\etc\\passwd"},
        {"/", "Z:\\"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(mapper.toWindowsPath(test.host), QString::fromUtf8(test.windows))
            << test.host.toStdString();
}

TEST_F(WinePathMapperTest, WithoutAZDriveHostPathsStillGetOne)
{
    QFile::remove(t.folder() + "/dosdevices/z:");
    EXPECT_EQ(mapper.toWindowsPath(QStringLiteral("/etc/hosts")), QStringLiteral("Z:\\etc\\hosts"));
    EXPECT_EQ(mapper.toHostPath(QStringLiteral("Z:\\etc\\hosts")), QString());
}

TEST_F(WinePathMapperTest, DrivesAreTheLettersOfTheLinks)
{
    t.link(QStringLiteral("e:"), t.file(QStringLiteral("no-such-folder")));
    t.link(QStringLiteral("c::"), QStringLiteral("/dev/null")); // a raw device entry, not a drive
    const QList<QChar> letters = mapper.driveLetters();
    EXPECT_EQ(letters, (QList<QChar>{u'a', u'c', u'd', u'e', u'z'}));
}

} // namespace
} // namespace kv::test
