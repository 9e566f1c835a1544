#include "DbxWalk.h"
#include "Undbx.h"

#include "DbxFileWriter.h"
#include "DbxMessageWriter.h"
#include "MessageGenerator.h"
#include "Pop3UidlWriter.h"
#include "support/TempDir.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv::storegen;
using kv::test::DbxWalk;

namespace {

std::vector<MailMessage> generate(int count, std::uint64_t seed, MessageGenerator::Options o = {})
{
    const MessageGenerator gen(seed, o);
    std::vector<MailMessage> v;
    for (int i = 0; i < count; ++i)
        v.push_back(gen.message(std::uint64_t(i)));
    return v;
}

std::vector<QByteArray> raws(const std::vector<MailMessage>& v)
{
    std::vector<QByteArray> out;
    for (const MailMessage& m : v)
        out.push_back(m.raw);
    return out;
}

struct Shape
{
    const char* name;
    int messages;
    int depth;
};

class DbxShapes : public ::testing::TestWithParam<Shape>
{
};

} // namespace

// The index tree grows as the client grows it: one node up to 51 messages, a second level
// from the 52nd, a third one past the capacity of two levels of half-full nodes. Every
// message must come back, byte for byte, through our strict walker and through undbx.
TEST_P(DbxShapes, IndexAndBlocksReadBackExactly)
{
    const Shape s = GetParam();
    kv::test::TempDir dir;
    const auto messages = generate(s.messages, 7);
    const QString path = dir.file(QStringLiteral("f.dbx"));
    ASSERT_TRUE(DbxMessageWriter::write(path, "Inbox", messages));

    DbxWalk w = DbxWalk::load(path);
    EXPECT_EQ(w.count(0), std::uint32_t(s.messages));
    int depth = 0;
    const auto records = w.walk(0, &depth);
    ASSERT_TRUE(w.error().isEmpty()) << w.error().toStdString();
    EXPECT_EQ(depth, s.depth);
    ASSERT_EQ(records.size(), size_t(s.messages));
    for (size_t i = 0; i < records.size(); ++i) {
        const DbxWalk::Record r = w.record(records[i]);
        // Key order is the message id, given from 2 in writing order.
        EXPECT_EQ(r.intValue(0x00), i + 2);
        ASSERT_EQ(w.message(r), messages[i].raw) << "message " << i;
        EXPECT_EQ(r.intValue(0x11), std::uint32_t(messages[i].raw.size()));
        EXPECT_EQ(r.text(0x08), messages[i].subject);
        EXPECT_EQ(r.attrs.at(3).id, 0x84) << "the first-block offset is the fourth attribute";
    }
    EXPECT_TRUE(w.error().isEmpty()) << w.error().toStdString();

    // Logical end in the header, the file grown in 64 KiB steps after the header.
    const std::uint32_t end = w.u32(0x7C);
    const qint64 size = QFileInfo(path).size();
    EXPECT_LE(end, size);
    EXPECT_EQ((size - 0x2AD4) % 0x10000, 0);
    EXPECT_LT(size - end, 0x10000);
    // Allocated bytes: the sum of the per-type totals.
    std::uint32_t sum = 0;
    for (std::uint32_t t = 0; t < 6; ++t)
        sum += w.u32(0x27C + 4 * t);
    EXPECT_EQ(w.u32(0x54), sum);
    EXPECT_EQ(w.u32(0x5C), std::uint32_t(s.messages + 1));

    if (!kv::test::undbxAvailable())
        GTEST_SKIP() << "undbx not installed";
    QString err;
    EXPECT_EQ(kv::test::undbxDigests(path, dir.file(QStringLiteral("out")), &err),
              kv::test::digests(raws(messages)))
        << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Shapes, DbxShapes,
                         ::testing::Values(Shape{"one", 1, 1}, Shape{"fullNode", 51, 1},
                                           Shape{"split", 52, 2}, Shape{"twoLevels", 700, 2},
                                           Shape{"threeLevels", 1500, 3}),
                         [](const auto& info) { return std::string(info.param.name); });

// A folder never written to is what the client writes for a new folder: byte for byte the
// real empty Outbox.
TEST(DbxWriter, EmptyFolderEqualsTheClientsEmptyOutbox)
{
    kv::test::TempDir dir;
    const QString path = dir.file(QStringLiteral("Outbox.dbx"));
    DbxMessageWriter::Options o;
    o.specialFolder = 2;
    ASSERT_TRUE(DbxMessageWriter::write(path, "Outbox", {}, o));
    EXPECT_EQ(kv::test::readFile(path), kv::test::readFile(kv::test::samplePath(QStringLiteral("dbx/dzw_Outbox.dbx"))));
    DbxWalk w = DbxWalk::load(path);
    EXPECT_EQ(w.count(0), 0u);
    EXPECT_EQ(w.root(0), 0u);
}

TEST(DbxWriter, EmptyOfflineStoreEqualsTheClients)
{
    kv::test::TempDir dir;
    const QString path = dir.file(QStringLiteral("Offline.dbx"));
    ASSERT_TRUE(Pop3UidlWriter::writeEmptyOffline(path));
    EXPECT_EQ(kv::test::readFile(path), kv::test::readFile(kv::test::samplePath(QStringLiteral("dbx/dzw_Offline.dbx"))));
}

// The client's one-message folder rebuilt from its own message and record: segments, block
// chain, index node and the header's words land where the client put them. The sample also
// holds one freed chunk, which accounts for the only differences in the counts of used bytes.
TEST(DbxWriter, OneMessageFolderLaysOutAsTheClientDid)
{
    kv::test::TempDir dir;
    DbxWalk real = DbxWalk::load(kv::test::copySample(dir, QStringLiteral("dbx/mtdbx_t_test1.dbx")));
    const auto records = real.walk(0);
    ASSERT_EQ(records.size(), 1u);
    const DbxWalk::Record rec = real.record(records[0]);
    const QByteArray text = real.message(rec);

    const QString path = dir.file(QStringLiteral("rebuilt.dbx"));
    DbxFileWriter w(DbxFileWriter::Kind::Messages);
    w.setFileInfo(real.bytes().mid(0x24BC, 0x618));
    ASSERT_TRUE(w.open(path));
    EXPECT_EQ(w.writeBlocks(text), rec.intValue(0x04));
    const std::uint32_t bodyLen = real.u32(rec.offset + 4);
    EXPECT_EQ(w.writeRecord(real.bytes().mid(rec.offset + 12, bodyLen), int(rec.attrs.size())), rec.offset);
    w.writeTree(0, {rec.offset});
    w.setLastId(real.u32(0x5C));
    ASSERT_TRUE(w.finish());
    DbxWalk ours = DbxWalk::load(path);

    const std::uint32_t freed = real.u32(0x58);
    for (std::uint32_t at = 0; at < 0x24BC + 0x618; at += 4) {
        if (at == 0x2C || at == 0x54) {
            EXPECT_EQ(ours.u32(at) + freed, real.u32(at)) << std::hex << at;
        } else if (at != 0x58 && (at < 0x294 || at >= 0x494)) { // free-list heads
            EXPECT_EQ(ours.u32(at), real.u32(at)) << "header word " << std::hex << at;
        }
    }
    const std::uint32_t node = real.u32(0xE4);
    EXPECT_EQ(ours.bytes().mid(node, 0x27C), real.bytes().mid(node, 0x27C)) << "index node";
    // The data blocks, but for the unused end of the last one, where the client left old bytes.
    std::uint32_t last = rec.intValue(0x04);
    while (real.u32(last + 12))
        last = real.u32(last + 12);
    const std::uint32_t blocks = real.u32(0x3C);
    const std::uint32_t usedEnd = last + 16 + real.u32(last + 8);
    EXPECT_EQ(ours.bytes().mid(blocks, usedEnd - blocks), real.bytes().mid(blocks, usedEnd - blocks));
    EXPECT_EQ(real.u32(0x44), last + DbxFileWriter::kBlockSize - blocks);
    EXPECT_EQ(ours.bytes().mid(usedEnd, last + DbxFileWriter::kBlockSize - usedEnd),
              QByteArray(int(last + DbxFileWriter::kBlockSize - usedEnd), '\0'));
    EXPECT_EQ(ours.bytes().mid(rec.offset, 12 + bodyLen).mid(12), real.bytes().mid(rec.offset + 12, bodyLen));
}

// Past 16 MiB a first-block offset no longer fits the 24-bit attribute value: those records
// switch to the indirect form, whose value readers take from the third word of the data area.
TEST(DbxWriter, OffsetsBeyond16MiBAreStoredIndirectly)
{
    kv::test::TempDir dir;
    MessageGenerator::Options big;
    big.attachmentPercent = 100;
    big.minAttachmentBytes = 96 * 1024;
    big.maxAttachmentBytes = 96 * 1024;
    const auto messages = generate(140, 11, big);
    const QString path = dir.file(QStringLiteral("big.dbx"));
    DbxMessageWriter writer;
    ASSERT_TRUE(writer.open(path, "Big"));
    for (const MailMessage& m : messages)
        ASSERT_TRUE(writer.add(m));
    ASSERT_TRUE(writer.finish());
    ASSERT_GT(QFileInfo(path).size(), 16 << 20);
    EXPECT_GT(writer.indirectCount(), 0u);

    DbxWalk w = DbxWalk::load(path);
    const auto records = w.walk(0);
    ASSERT_EQ(records.size(), messages.size());
    int direct = 0, indirect = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const DbxWalk::Record r = w.record(records[i]);
        const std::uint32_t first = r.intValue(0x04);
        ASSERT_EQ(r.attrs.at(3).id & 0x7F, 0x04);
        if (r.attrs.at(3).id == 0x04) {
            ++indirect;
            EXPECT_GE(first, 1u << 24);
            EXPECT_EQ(r.attrs.at(3).value, 8u);
            EXPECT_EQ(w.u32(records[i] + 12 + 4 * std::uint32_t(r.attrs.size()) + 8), first);
        } else {
            ++direct;
            EXPECT_LT(first, 1u << 24);
        }
        ASSERT_EQ(w.message(r), messages[i].raw);
    }
    EXPECT_GT(direct, 0);
    EXPECT_EQ(std::uint32_t(indirect), writer.indirectCount());

    if (!kv::test::undbxAvailable())
        GTEST_SKIP() << "undbx not installed";
    QString err;
    EXPECT_EQ(kv::test::undbxDigests(path, dir.file(QStringLiteral("out")), &err),
              kv::test::digests(raws(messages)));
}

TEST(DbxWriter, UnwritableTargetFailsWithAMessage)
{
    kv::test::TempDir dir;
    DbxMessageWriter w;
    EXPECT_FALSE(w.open(dir.file(QStringLiteral("missing/folder/x.dbx")), "X"));
    EXPECT_FALSE(w.error().isEmpty());
}
