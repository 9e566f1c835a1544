#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QDir>
#include <QtEndian>

using kv::test::runCli;
using kv::test::TempDir;

// The messages' bytes are the store generator's round trip's; here the command's numbering.
TEST(MessageCommands, ExtractWritesEveryMessageNumbered)
{
    TempDir dir;
    const QString dbx = kv::test::copySample(dir, "dbx/iped_test_OutlookDBX.dbx");
    const auto r = runCli({"extract", dbx, dir.file("out")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "messages: 28\n");
    const QStringList files = QDir(dir.file("out")).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 28);
    EXPECT_EQ(files.last(), "000028.eml");
}

// A version-4 file is read by its suffix: two records laid out as that client writes them.
TEST(MessageCommands, ExtractAndHeadersReadMbxFiles)
{
    QByteArray mbx(0x54, '\0');
    mbx.replace(0, 4, "JMF6");
    const QList<QByteArray> texts = {"Subject: one\r\n\r\nfirst", "Subject: two\r\n\r\nsecond!!"};
    for (const QByteArray& t : texts) {
        QByteArray rec(16, '\0');
        qToLittleEndian(quint32(16 + t.size()), rec.data() + 8);
        mbx += rec + t;
    }
    qToLittleEndian(quint32(2), mbx.data() + 8);
    qToLittleEndian(quint32(mbx.size()), mbx.data() + 0x10);
    TempDir dir;
    const QString path = dir.write("Inbox.mbx", mbx);
    EXPECT_EQ(runCli({"extract", path, dir.file("out")}).out, "messages: 2\n");
    EXPECT_EQ(kv::test::readFile(dir.file("out/000002.eml")), texts[1] + "\r\n");
    EXPECT_EQ(runCli({"headers", path}).out, "1\t\tone\t\t37\n2\t\ttwo\t\t40\n");
    const auto r = runCli({"headers", kv::test::copySample(dir, "dbx/dzw_Inbox.dbx")});
    EXPECT_EQ(r.out,
              "1\t\"Microsoft Outlook Express Team\" <msoe@microsoft.com>\tWelcome to Outlook "
              "Express 6\tSat, 11 Dec 2021 20:45:59 -0800\t10139\n");
}

TEST(MessageCommands, UnreadableFilesFailWithAMessage)
{
    TempDir dir;
    const QString notMail = dir.write("notes.txt", "hello");
    const QString truncated = dir.write(
        "cut.dbx", kv::test::readFile(kv::test::samplePath("dbx/dzw_Inbox.dbx")).left(0x24C0));
    const std::pair<QStringList, const char*> cases[] = {
        {{"extract", dir.file("missing.dbx"), dir.path()}, "no such file"},
        {{"headers", notMail}, "not a .dbx or .mbx message file"},
        {{"extract", truncated, dir.path()}, "cannot read the message file"},
    };
    for (const auto& [args, err] : cases) {
        const auto r = runCli(args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(err) && r.out.isEmpty()) << r.err.toStdString();
    }
}
