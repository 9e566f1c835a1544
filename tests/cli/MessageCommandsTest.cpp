#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QtEndian>

using kv::test::runCli;
using kv::test::TempDir;

TEST(MessageCommands, ExtractWritesEveryMessageNumbered)
{
    TempDir dir;
    const QString dbx = kv::test::copySample(dir, "dbx/iped_test_OutlookDBX.dbx");
    const auto r = runCli({"extract", dbx, dir.file("out")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "messages: 28\n");
    const QStringList files = QDir(dir.file("out")).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(files.size(), 28);
    EXPECT_EQ(files.first(), "000001.eml");
    EXPECT_EQ(files.last(), "000028.eml");
    QByteArrayList digests;
    for (const QString& f : files)
        digests << QCryptographicHash::hash(kv::test::readFile(dir.file("out/" + f)),
                                            QCryptographicHash::Md5)
                       .toHex()
                       .toUpper();
    std::sort(digests.begin(), digests.end());
    const QByteArray expected = kv::test::readFile(kv::test::samplePath("dbx/iped-md5.txt"));
    EXPECT_EQ(digests.join('\n'), expected.trimmed().replace("\r", ""));
}

TEST(MessageCommands, ExtractReadsMbxFiles)
{
    // Two records laid out as the version-4 client writes them.
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
    const auto r = runCli({"extract", path, dir.file("out")});
    EXPECT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, "messages: 2\n");
    EXPECT_EQ(kv::test::readFile(dir.file("out/000002.eml")), texts[1] + "\r\n");

    const auto h = runCli({"headers", path});
    EXPECT_EQ(h.out, "1\t\tone\t\t37\n2\t\ttwo\t\t40\n");
}

TEST(MessageCommands, HeadersListsTheReaderValues)
{
    TempDir dir;
    const auto r = runCli({"headers", kv::test::copySample(dir, "dbx/dzw_Inbox.dbx")});
    EXPECT_EQ(r.code, 0);
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
    struct Case
    {
        QStringList args;
        int code;
        const char* err;
    };
    const Case cases[] = {
        {{"extract", dir.file("missing.dbx"), dir.path()}, 1, "no such file"},
        {{"headers", notMail}, 1, "not a .dbx or .mbx message file"},
        {{"extract", truncated, dir.path()}, 1, "cannot read the message file"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const auto r = runCli(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}
