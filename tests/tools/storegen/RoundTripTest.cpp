// Generated and real message files through the program's readers and undbx, byte for byte.
#include "DbxMessageWriter.h"
#include "MbxWriter.h"
#include "MessageGenerator.h"
#include "Undbx.h"
#include "msgstore/DbxFile.h"
#include "msgstore/FoldersDbxReader.h"
#include "msgstore/MbxFile.h"
#include "support/TempDir.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace kv::storegen;
using namespace kv::msgstore;
using namespace kv::test;

namespace {

struct Case
{
    const char* name;
    bool mbx; // else .dbx
    int messages;
    bool indirect = false; // every first-block offset stored indirectly
    bool big = false;      // 96 KiB messages, so that offsets pass 16 MiB
};

// Every text with its size (plus the .mbx record header), the cursor walk, and a saved copy (the
// .mbx one with the line end it always added).
template <class Reader>
void readBack(Reader& reader, std::vector<QByteArray> texts, qint64 sizeExtra,
              const QByteArray& savedTail, const TempDir& dir)
{
    ASSERT_EQ(reader.messageCount(), qint32(texts.size()));
    std::vector<QByteArray> got;
    for (qint32 n = 1; n <= reader.messageCount(); ++n) {
        bool ok = false;
        got.push_back(reader.message(n, &ok));
        EXPECT_TRUE(ok);
        EXPECT_EQ(reader.messageSize(n), got.back().size() + sizeExtra) << n;
    }
    std::sort(texts.begin(), texts.end());
    std::sort(got.begin(), got.end());
    ASSERT_TRUE(got == texts) << "the messages differ";
    size_t walked = 0;
    for (reader.rewind(); !reader.atEnd(); reader.next())
        ++walked;
    EXPECT_EQ(walked, texts.size());
    // Saving replaces an older, longer file whole and makes missing folders, not through a file.
    const QString old = dir.write(u"out/1.eml"_s, QByteArray(200000, 'o'));
    EXPECT_EQ(reader.saveAs(1, dir.file(u"out/"_s), u"1.eml"_s), !texts.empty());
    if (texts.empty())
        return;
    const QByteArray saved = reader.message(1) + savedTail;
    EXPECT_EQ(readFile(old), saved);
    EXPECT_TRUE(reader.saveAs(1, dir.file(u"x/y"_s), u"2.eml"_s));
    EXPECT_EQ(readFile(dir.file(u"x/y/2.eml"_s)), saved);
    EXPECT_FALSE(reader.saveAs(1, old + u"/sub"_s, u"3.eml"_s));
    EXPECT_FALSE(reader.lastError().isEmpty());
}

// Each folder of a folder-list tree as "number parent name [file name] [root] [news]".
QStringList describe(const QString& path, quint32 countAt, quint32 rootAt)
{
    FoldersDbxReader reader;
    EXPECT_TRUE(reader.read(path, countAt, rootAt)) << reader.lastError().toStdString();
    QStringList out;
    for (const DbxFolderRecord& r : reader.folders()) {
        QStringList parts = {QString::number(r.folderNumber),
                             QString::number(r.parentNumber),
                             r.name,
                             r.fileName,
                             r.isStoreRoot() ? u"root"_s : QString(),
                             r.hasNewsMark() ? u"news"_s : QString()};
        parts.removeAll(QString());
        out << parts.join(QLatin1Char(' '));
    }
    return out;
}

using RoundTrip = ::testing::TestWithParam<Case>;

} // namespace

TEST_P(RoundTrip, EveryMessageComesBackExactly)
{
    const Case c = GetParam();
    MessageGenerator::Options options;
    if (c.big) {
        options.attachmentPercent = 100;
        options.minAttachmentBytes = options.maxAttachmentBytes = 96 * 1024;
    }
    const MessageGenerator gen(31, options);
    std::vector<MbxWriter::Entry> entries;
    std::vector<QByteArray> texts;
    for (int i = 0; i < c.messages; ++i) {
        const MailMessage& m = entries.emplace_back(gen.message(std::uint64_t(i))).message;
        // An .mbx record's text is the message and its zero fill to 16 bytes.
        texts.push_back(m.raw + QByteArray(c.mbx ? 15 - (m.raw.size() + 15) % 16 : 0, '\0'));
    }
    TempDir dir;
    if (c.mbx) {
        const QString path = dir.file(u"f.mbx"_s);
        ASSERT_TRUE(MbxWriter::write(path, dir.file(u"f.idx"_s), entries));
        MbxFile reader;
        ASSERT_TRUE(reader.open(path)) << reader.lastError().toStdString();
        return readBack(reader, texts, 16, "\r\n", dir);
    }
    const QString path = dir.file(u"f.dbx"_s);
    DbxMessageWriter writer({.indirectOffsets = c.indirect});
    ASSERT_TRUE(writer.open(path, "Inbox"));
    for (const MbxWriter::Entry& e : entries)
        ASSERT_TRUE(writer.add(e.message));
    ASSERT_TRUE(writer.finish());
    // Offsets past 16 MiB are indirect whatever the option says; the reader takes both forms.
    const auto indirect = int(writer.indirectCount());
    EXPECT_EQ(indirect > 0, c.indirect || c.big);
    EXPECT_EQ(indirect == c.messages, c.indirect || c.messages == 0);
    DbxFile reader;
    ASSERT_TRUE(reader.open(path)) << reader.lastError().toStdString();
    readBack(reader, texts, 0, {}, dir);

    if (!undbxAvailable())
        GTEST_SKIP() << "undbx not installed";
    EXPECT_EQ(undbxDigests(path, dir.file(u"undbx"_s)), digests(texts));
}

INSTANTIATE_TEST_SUITE_P(
    Files, RoundTrip,
    // One index node up to 51 messages, a second level from the 52nd, a third past 1 400.
    ::testing::Values(Case{"dbxEmpty", false, 0}, Case{"dbxOne", false, 1},
                      Case{"dbxFullNode", false, 51}, Case{"dbxSplit", false, 52},
                      Case{"dbxThreeLevels", false, 1500}, Case{"dbxIndirect", false, 60, true},
                      Case{"dbxBeyond16MiB", false, 140, false, true}, Case{"mbxEmpty", true, 0},
                      Case{"mbxThirty", true, 30}),
    [](const auto& info) { return std::string(info.param.name); });

// The client's own files as undbx and a published MD5 list read them.
TEST(RoundTripSamples, RealFoldersReadAsOthersReadThem)
{
    // File, messages, and one whose subject is known.
    const std::tuple<const char*, qint32, qint32, QString> samples[] = {
        {"iped_test_OutlookDBX.dbx", 28, 2, u"Mensagem teste"_s},
        {"mtdbx_t_test.dbx", 1, 1, u"Please read you won't be sorry........"_s},
        {"mtdbx_t_test1.dbx", 1, 0, {}},
        {"dzw_Inbox.dbx", 1, 0, {}},
        {"dzw_Outbox.dbx", 0, 0, {}},
        {"dzw_Offline.dbx", 0, 0, {}}};
    for (const auto& [file, count, n, subject] : samples) {
        SCOPED_TRACE(file);
        TempDir dir;
        const QString path = copySample(dir, u"dbx/"_s + QLatin1String(file));
        DbxFile reader;
        ASSERT_TRUE(reader.open(path));
        ASSERT_EQ(reader.messageCount(), count);
        std::vector<QByteArray> ours;
        QList<QByteArray> md5s;
        for (qint32 i = 1; i <= count; ++i) {
            ours.push_back(reader.message(i));
            md5s
                << QCryptographicHash::hash(ours.back(), QCryptographicHash::Md5).toHex().toUpper();
        }
        reader.loadHeaders(n);
        EXPECT_EQ(reader.subject(), subject);
        if (count == 28) {
            std::sort(md5s.begin(), md5s.end());
            EXPECT_EQ(md5s, readFile(samplePath(u"dbx/iped-md5.txt"_s)).trimmed().split('\n'));
            EXPECT_EQ(reader.from(), u"\"Oliver\" <olivergiovannifuzati@outlook.com>"_s);
            EXPECT_EQ(reader.dateText(), u"Mon, 10 Feb 2025 15:45:24 -0300"_s);
        }
        EXPECT_TRUE(!undbxAvailable() || undbxDigests(path, dir.file(u"undbx"_s)) == digests(ours));
    }
}

// The client's folder list from the subscribed folders' tree and from the tree of all objects.
// The Inbox's file name starts at 6, which an older reading took for a news mark.
TEST(ClientSamples, FolderListReadsAsTheClientsOwn)
{
    const QString real = samplePath(u"dbx/dzw_Folders.dbx"_s);
    EXPECT_EQ(describe(real, 0xCC, 0xEC),
              QStringList({"9 0 Hotmail news", "1 0 Local Folders news", "7 1 Deleted Items news",
                           "8 1 Drafts news", "4 1 Inbox Inbox.dbx", "5 1 Outbox Outbox.dbx",
                           "6 1 Sent Items news"}));
    const QStringList all = describe(real, 0xC4, 0xE4);
    ASSERT_EQ(all.size(), 8);
    EXPECT_EQ(all.filter(u" root"_s), QStringList{all[0]});
}
