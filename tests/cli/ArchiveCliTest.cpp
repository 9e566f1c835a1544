// The archive command end to end, on a prefix made in a scratch folder.
#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

using namespace kv::test;

namespace {

class ArchiveCliTest : public ::testing::Test
{
protected:
    ArchiveCliTest()
    {
        QDir().mkpath(m_dir.file(QStringLiteral("pfx/drive_c/Mail")));
        QDir().mkpath(m_dir.file(QStringLiteral("pfx/dosdevices")));
        QFile::link(QStringLiteral("../drive_c"), m_dir.file(QStringLiteral("pfx/dosdevices/c:")));
        m_inbox = QByteArray("From: a\r\nSubject: b\r\n\r\n").repeated(40000);
        m_dir.write(QStringLiteral("pfx/drive_c/Mail/Inbox.dbx"), m_inbox);
        m_dir.write(QStringLiteral("pfx/drive_c/Mail/Sent.dbx"), "sent");
    }

    // The prefix is named relative to the working folder, as a user in a shell names it.
    ProgramRun cli(const QStringList& args)
    {
        ProgramRun r = runCli(QStringList{"archive", "--prefix", "pfx"} + args, m_dir.path());
        r.out += r.err;
        return r;
    }
    QString c(const QString& rel) const { return m_dir.file(QStringLiteral("pfx/drive_c/") + rel); }

    TempDir m_dir;
    QByteArray m_inbox;
};

TEST_F(ArchiveCliTest, CreateListTestExtract)
{
    ProgramRun r =
        cli({QStringLiteral("create"), QStringLiteral("C:\\b.eaz"), QStringLiteral("--temp"),
             QStringLiteral("C:\\Temp"), QStringLiteral("C:\\Mail\\*")});
    ASSERT_EQ(r.code, 0) << r.out.toStdString();
    r = cli({QStringLiteral("list"), QStringLiteral("C:\\b.eaz")});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.contains(QLatin1String("Mail\\Inbox.dbx"))) << r.out.toStdString();
    EXPECT_TRUE(r.out.contains(QLatin1String("2 entries"))) << r.out.toStdString();
    r = cli({QStringLiteral("test"), QStringLiteral("C:\\b.eaz")});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    r = cli({QStringLiteral("extract"), QStringLiteral("C:\\b.eaz"), QStringLiteral("C:\\Out")});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    EXPECT_EQ(readFile(c(QStringLiteral("Out/Mail/Inbox.dbx"))), m_inbox);
    r = cli({QStringLiteral("extract"), QStringLiteral("C:\\b.eaz"), QStringLiteral("C:\\One"),
             QStringLiteral("sent.dbx")});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    EXPECT_EQ(readFile(c(QStringLiteral("One/Sent.dbx"))), QByteArray("sent"));
}

TEST_F(ArchiveCliTest, FailuresExitNonZeroWithTheResultCode)
{
    ProgramRun r =
        cli({QStringLiteral("create"), QStringLiteral("C:\\b.eaz"),
             QStringLiteral("C:\\Mail\\Inbox.dbx"), QStringLiteral("C:\\Mail\\gone.dbx")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QLatin1String("result 40"))) << r.out.toStdString();

    QByteArray bytes = readFile(c(QStringLiteral("b.eaz")));
    ASSERT_GT(bytes.size(), 1000);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0xff);
    m_dir.write(QStringLiteral("pfx/drive_c/b.eaz"), bytes);
    r = cli({QStringLiteral("test"), QStringLiteral("C:\\b.eaz")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QLatin1String("result 40"))) << r.out.toStdString();

    r = cli({QStringLiteral("test"), QStringLiteral("C:\\none.eaz")});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.contains(QLatin1String("result 420"))) << r.out.toStdString();

    // A backup's items need an archive that holds an item list.
    r = cli({QStringLiteral("items"), QStringLiteral("C:\\none.eaz")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.contains(QLatin1String("result 420"))) << r.out.toStdString();
    r = cli({QStringLiteral("create"), QStringLiteral("C:\\s.eaz"),
             QStringLiteral("C:\\Mail\\Sent.dbx")});
    ASSERT_EQ(r.code, 0) << r.out.toStdString();
    r = cli({QStringLiteral("items"), QStringLiteral("C:\\s.eaz")});
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.out.contains(QLatin1String("holds no item list"))) << r.out.toStdString();
}

} // namespace
