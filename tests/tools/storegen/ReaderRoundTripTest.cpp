// The program's readers against generated files: every message we wrote comes back, byte for
// byte, with the header values a message list shows; folder lists name our folders.
#include "DbxMessageWriter.h"
#include "MbxWriter.h"
#include "MessageGenerator.h"
#include "StoreBuilder.h"
#include "msgstore/DbxFile.h"
#include "msgstore/FoldersDbxReader.h"
#include "msgstore/FoldersNchReader.h"
#include "msgstore/MbxFile.h"
#include "platform/Ansi.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kv::storegen;
using namespace kv::msgstore;

namespace {

std::vector<MailMessage> generate(int count, std::uint64_t seed)
{
    const MessageGenerator gen(seed);
    std::vector<MailMessage> v;
    for (int i = 0; i < count; ++i)
        v.push_back(gen.message(std::uint64_t(i)));
    return v;
}

// The first line of a header's value in a raw message, "" when absent.
QString headerLine(const QByteArray& raw, const QByteArray& name)
{
    const qsizetype at = raw.indexOf("\r\n" + name);
    if (at < 0)
        return {};
    const qsizetype from = at + 2 + name.size();
    return kv::ansi::toUnicode(raw.mid(from, raw.indexOf('\r', from) - from));
}

struct DbxCase
{
    const char* name;
    int messages;
    bool indirect;
};

class ReaderDbx : public ::testing::TestWithParam<DbxCase>
{
};

} // namespace

TEST_P(ReaderDbx, ReturnsEveryMessageWithItsHeaderValues)
{
    const DbxCase c = GetParam();
    kv::test::TempDir dir;
    const auto messages = generate(c.messages, 31);
    DbxMessageWriter::Options o;
    o.indirectOffsets = c.indirect;
    const QString path = dir.file(QStringLiteral("f.dbx"));
    ASSERT_TRUE(DbxMessageWriter::write(path, "Inbox", messages, o));

    DbxFile reader;
    ASSERT_TRUE(reader.FileOpen(path)) << reader.lastError().toStdString();
    ASSERT_EQ(reader.MessageCount(), c.messages);
    std::vector<QByteArray> expected, got;
    for (const MailMessage& m : messages)
        expected.push_back(m.raw);
    for (qint32 n = 1; n <= reader.MessageCount(); ++n) {
        const QByteArray raw = reader.FullMessage(n);
        got.push_back(raw);
        EXPECT_EQ(reader.MsgSize(n), raw.size());
        reader.MessageHeaders(n);
        // Headers within the first block or two are always within the reader's reach.
        if (raw.indexOf("\r\n\r\n") < 1500) {
            EXPECT_EQ(reader.MsgSubject(), headerLine(raw, "Subject: ")) << n;
            EXPECT_EQ(reader.MsgFrom(), headerLine(raw, "From: ")) << n;
            EXPECT_EQ(reader.MsgDateStr(), headerLine(raw, "Date: ")) << n;
        }
    }
    std::sort(expected.begin(), expected.end());
    std::sort(got.begin(), got.end());
    EXPECT_TRUE(expected == got) << "messages differ";

    if (c.messages > 0) {
        ASSERT_TRUE(reader.SaveAsFile(1, dir.file(QStringLiteral("out")), QStringLiteral("1.eml")));
        EXPECT_EQ(kv::test::readFile(dir.file(QStringLiteral("out/1.eml"))), reader.FullMessage(1));
    }
}

INSTANTIATE_TEST_SUITE_P(Shapes, ReaderDbx,
                         ::testing::Values(DbxCase{"empty", 0, false}, DbxCase{"one", 1, false},
                                           DbxCase{"split", 52, false},
                                           DbxCase{"threeLevels", 1500, false},
                                           DbxCase{"indirect", 60, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// An .mbx record's text is the message followed by the record's zero fill.
TEST(ReaderMbx, ReturnsEveryRecordInFileOrder)
{
    kv::test::TempDir dir;
    const auto messages = generate(30, 32);
    std::vector<MbxWriter::Entry> entries;
    for (const MailMessage& m : messages)
        entries.push_back({m, false});
    const QString path = dir.file(QStringLiteral("Inbox.mbx"));
    ASSERT_TRUE(MbxWriter::write(path, dir.file(QStringLiteral("Inbox.idx")), entries));
    MbxFile reader;
    ASSERT_TRUE(reader.FileOpen(path)) << reader.lastError().toStdString();
    ASSERT_EQ(reader.MessageCount(), 30);
    for (qint32 n = 1; n <= 30; ++n) {
        const QByteArray raw = messages[size_t(n - 1)].raw;
        const qint64 recLen = (16 + raw.size() + 15) / 16 * 16;
        EXPECT_EQ(reader.MsgSize(n), recLen);
        EXPECT_EQ(reader.FullMessage(n), raw + QByteArray(recLen - 16 - raw.size(), '\0'));
    }
}

TEST(ReaderFolders, FolderListsNameTheGeneratedFolders)
{
    kv::test::TempDir dir;
    StoreSummary oe5, oe4;
    ASSERT_TRUE(StoreBuilder(33).writeOe5(dir.file(QStringLiteral("oe5")), &oe5));
    ASSERT_TRUE(StoreBuilder(33).writeOe4(dir.file(QStringLiteral("oe4")), &oe4));

    FoldersDbxReader dbx;
    ASSERT_TRUE(dbx.read(dir.file(QStringLiteral("oe5/Folders.dbx"))))
        << dbx.lastError().toStdString();
    for (const StoreFolder& f : oe5.folders) {
        const auto it =
            std::find_if(dbx.folders().begin(), dbx.folders().end(),
                         [&](const DbxFolderRecord& r) { return r.folderNumber == f.number; });
        ASSERT_NE(it, dbx.folders().end()) << f.name.toStdString();
        EXPECT_EQ(it->name, f.name);
        if (!f.news) {
            EXPECT_EQ(it->fileName, f.fileName);
        }
    }

    FoldersNchReader nch;
    ASSERT_TRUE(nch.read(dir.file(QStringLiteral("oe4/Mail/folders.nch"))))
        << nch.lastError().toStdString();
    for (const StoreFolder& f : oe4.folders) {
        if (f.news)
            continue;
        const auto it =
            std::find_if(nch.folders().begin(), nch.folders().end(),
                         [&](const NchFolderRecord& r) { return r.folderNumber == f.number; });
        ASSERT_NE(it, nch.folders().end()) << f.name.toStdString();
        EXPECT_EQ(it->name, f.name);
        EXPECT_EQ(it->parentNumber, f.parentNumber);
    }
}
