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
        QDir().mkpath(m_dir.file("pfx/dosdevices"));
        QFile::link("../drive_c", m_dir.file("pfx/dosdevices/c:"));
        m_dir.write("pfx/drive_c/Mail/Inbox.dbx", m_inbox);
        m_dir.write("pfx/drive_c/Mail/Sent.dbx", "sent");
    }

    // The prefix is named relative to the working folder, as a user in a shell names it.
    ProgramRun cli(const QStringList& args, int code, const char* says = "")
    {
        ProgramRun r = runCli(QStringList{"archive", "--prefix", "pfx"} + args, m_dir.path());
        EXPECT_EQ(r.code, code) << args.join(' ').toStdString();
        EXPECT_TRUE((r.out + r.err).contains(says)) << (r.out + r.err).toStdString();
        return r;
    }
    QByteArray c(const QString& rel) const { return readFile(m_dir.file("pfx/drive_c/" + rel)); }

    TempDir m_dir;
    const QByteArray m_inbox = QByteArray("From: a\r\nSubject: b\r\n\r\n").repeated(40000);
};

TEST_F(ArchiveCliTest, CreateListTestExtract)
{
    ASSERT_EQ(cli({"create", "C:\\b.eaz", "--temp", "C:\\Temp", "C:\\Mail\\*"}, 0).code, 0);
    EXPECT_TRUE(cli({"list", "C:\\b.eaz"}, 0, "Mail\\Inbox.dbx").out.contains("2 entries"));
    cli({"test", "C:\\b.eaz"}, 0);
    cli({"extract", "C:\\b.eaz", "C:\\Out"}, 0);
    EXPECT_EQ(c("Out/Mail/Inbox.dbx"), m_inbox);
    cli({"extract", "C:\\b.eaz", "C:\\One", "sent.dbx"}, 0);
    EXPECT_EQ(c("One/Sent.dbx"), QByteArray("sent"));
}

TEST_F(ArchiveCliTest, FailuresExitNonZeroWithTheResultCode)
{
    cli({"create", "C:\\b.eaz", "C:\\Mail\\Inbox.dbx", "C:\\Mail\\gone.dbx"}, 1, "result 40");
    QByteArray bytes = c("b.eaz");
    ASSERT_GT(bytes.size(), 1000);
    bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 0xff);
    m_dir.write("pfx/drive_c/b.eaz", bytes);
    cli({"test", "C:\\b.eaz"}, 1, "result 40");
    // A backup's items need an archive that holds an item list.
    cli({"items", "C:\\none.eaz"}, 2, "result 420");
    ASSERT_EQ(cli({"create", "C:\\s.eaz", "C:\\Mail\\Sent.dbx"}, 0).code, 0);
    cli({"items", "C:\\s.eaz"}, 2, "holds no item list");
}

} // namespace
