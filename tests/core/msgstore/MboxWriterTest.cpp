#include "msgstore/MboxWriter.h"

#include "support/RequiredPrograms.h"
#include "support/TempDir.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

using kv::msgstore::MboxWriter;
using kv::test::TempDir;

namespace {

const QDateTime kFallback(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);

// Python's own mbox reader; mboxrd quoting is undone line by line as the convention says.
const char* kReadBack = R"(
import mailbox, re, sys
box = mailbox.mbox(sys.argv[1], create=False)
for key in box.iterkeys():
    data = re.sub(rb'(?m)^>(>*From )', rb'\1', box.get_bytes(key))
    print(box.get_message(key).get_from() + '\t' + data.hex())
)";

} // namespace

TEST(MboxWriter, SeparatorCarriesSenderAndDate)
{
    const std::pair<const char*, const char*> cases[] = {
        {"From: Ann Lee <ann@example.com>\r\nDate: Mon, 7 Dec 2026 10:00:00 +0100\r\n\r\nx",
         "From ann@example.com Mon Dec  7 09:00:00 2026\n"},
        {"Date: Sun, 20 Dec 2026 23:59:59 -0000 (GMT)\nfrom: \"Bob\" bob@example.com\n\nx",
         "From bob@example.com Sun Dec 20 23:59:59 2026\n"},
        // No address and no date to read: the placeholder sender and the fallback date.
        {"From: Undisclosed\r\nDate: someday\r\n\r\nFrom: <x@y.z> in the body\r\n",
         "From MAILER-DAEMON Sat Feb  3 04:05:06 2001\n"},
        {"X-Original-From: <no@example.com>\r\n\r\n",
         "From MAILER-DAEMON Sat Feb  3 04:05:06 2001\n"},
    };
    for (const auto& [message, line] : cases)
        EXPECT_EQ(MboxWriter::separatorLine(message, kFallback), QByteArray(line)) << message;
}

// A mail client's importer (Python's mailbox module standing in) finds every message again,
// byte for byte, "From " lines in bodies included.
TEST(MboxWriter, ReadBackByAnIndependentReader)
{
    KV_REQUIRE_PROGRAMS("python3");
    const QList<QByteArray> messages = {
        "From: Ann <ann@example.com>\r\nSubject: one\r\n\r\nFrom the start\r\n>From quoted\r\n"
        ">>From twice\r\nFromage is not a separator\r\n\r\n",
        "From: bob@example.com\nSubject: bare LF\n\nFrom here\n\n\nFrom there\n",
        "Subject: no sender\r\n\r\n\x80\xff 8-bit\r\n",
    };
    const TempDir dir;
    const QString path = dir.file(QStringLiteral("export.mbox"));
    MboxWriter writer;
    ASSERT_TRUE(writer.open(path, kFallback));
    for (const QByteArray& m : messages)
        ASSERT_TRUE(writer.add(m));
    ASSERT_TRUE(writer.finish()) << writer.error().toStdString();

    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral("-c"), QLatin1String(kReadBack), path});
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QList<QByteArray> lines = python.readAllStandardOutput().trimmed().split('\n');
    ASSERT_EQ(lines.size(), messages.size());
    const char* senders[] = {"ann@example.com", "bob@example.com", "MAILER-DAEMON"};
    for (int i = 0; i < messages.size(); ++i) {
        const QList<QByteArray> fields = lines[i].split('\t');
        ASSERT_EQ(fields.size(), 2);
        EXPECT_TRUE(fields[0].startsWith(senders[i])) << fields[0].toStdString();
        EXPECT_EQ(QByteArray::fromHex(fields[1]), messages[i]) << i;
    }
}

TEST(MboxWriter, FileAppearsOnlyWhenFinished)
{
    const TempDir dir;
    const QString path = dir.write(QStringLiteral("old.mbox"), "old");
    MboxWriter writer;
    ASSERT_TRUE(writer.open(path));
    ASSERT_TRUE(writer.add("Subject: a\r\n\r\nFrom b\r\n"));
    writer.abandon();
    EXPECT_EQ(kv::test::readFile(path), QByteArray("old"));
    EXPECT_FALSE(writer.add("x")); // nothing open any more

    ASSERT_TRUE(writer.open(path, kFallback));
    ASSERT_TRUE(writer.add("Subject: a\r\n\r\nFrom b"));
    ASSERT_TRUE(writer.finish());
    EXPECT_EQ(kv::test::readFile(path), QByteArray("From MAILER-DAEMON Sat Feb  3 04:05:06 2001\n"
                                                   "Subject: a\r\n\r\n>From b\n\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.mbox")});

    EXPECT_FALSE(writer.open(dir.file(QStringLiteral("missing/x.mbox"))));
    EXPECT_FALSE(writer.error().isEmpty());
}
