// Name handling and records, where a slip would misplace files or break other readers.
#include "zip/ZipNames.h"
#include "zip/ChunkDeflater.h"
#include "zip/ZipRecords.h"

#include <gtest/gtest.h>

using namespace kv::zip;
using namespace Qt::StringLiterals;

TEST(ZipNames, MatchingAnEntryGivesThePartFromTheMatch)
{
    const QString entry = u"Program Files\\OE\\News\\acct\\g.nch"_s;
    EXPECT_EQ(matchEntry(entry, u"g.nch"_s), u"g.nch"_s);
    EXPECT_EQ(matchEntry(entry, u"acct\\*.*"_s), u"acct\\g.nch"_s);
    EXPECT_EQ(matchEntry(entry, u"Program Files\\*"_s), entry);
    EXPECT_EQ(matchEntry(entry, u"C:\\Program Files\\OE\\News\\acct\\g.nch"_s), entry);
    EXPECT_FALSE(matchEntry(entry, u"News"_s).has_value());
    EXPECT_FALSE(matchEntry(entry, u"cct\\*.*"_s).has_value());
}

TEST(ZipRecords, CentralHeaderRoundTripsIncludingZip64Fields)
{
    const QDateTime time(QDate(2001, 5, 31), QTime(13, 45, 20));
    // size, compressed size, local header offset, disk
    const std::tuple<quint64, quint64, quint64, quint32> cases[] = {
        {10, 5, 0, 0},
        {0x1'0000'0000ull, 0xFFFF'FFFFull, 12, 3},
        {7, 7, 0x2'0000'0000ull, 0},
        {0x1'2345'6789ull, 0x1'0000'0001ull, 0x3'0000'0000ull, 70000},
    };
    for (const auto& [size, compressed, offset, disk] : cases) {
        CentralEntry e;
        quint16 flags = kFlagDescriptor;
        e.rawName = encodeName(u"Dir\\Bo\u00eete.dbx"_s, &flags);
        e.flags = flags;
        e.size = size;
        e.compressedSize = compressed;
        e.localOffset = offset;
        e.disk = disk;
        e.crc = 0xDEADBEEF;
        e.dosDateTime = toDosDateTime(time.toUTC());
        const QByteArray rec = centralHeader(e);
        qsizetype used = 0;
        const std::optional<CentralEntry> back = parseCentral(rec.constData(), rec.size(), &used);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(used, rec.size());
        EXPECT_EQ(std::tuple(back->size, back->compressedSize, back->localOffset, back->disk),
                  std::tuple(size, compressed, offset, disk));
        EXPECT_EQ(back->crc, 0xDEADBEEF);
        EXPECT_EQ(back->name, u"Dir\\Bo\u00eete.dbx"_s);
        EXPECT_EQ(fromDosDateTime(back->dosDateTime), time);
        // Cut short anywhere, the record is refused rather than over-read.
        EXPECT_FALSE(parseCentral(rec.constData(), rec.size() - 1, &used).has_value());
    }
}

// The chunks deflated apart and joined are one stream: each ends on a byte boundary.
TEST(ZipDeflate, ChunksEndOnByteBoundariesAndTheLastEndsTheStream)
{
    std::vector<unsigned char> buffer;
    for (int level : {0, 1, 2, 3}) {
        QByteArray first;
        QByteArray last;
        ASSERT_TRUE(
            ChunkDeflater::deflateChunk(QByteArray(100000, 'a'), false, level, buffer, &first));
        ASSERT_TRUE(ChunkDeflater::deflateChunk(QByteArray(), true, level, buffer, &last));
        // A full flush ends with an empty stored block: 00 00 FF FF.
        EXPECT_TRUE(first.endsWith(QByteArray("\x00\x00\xff\xff", 4))) << level;
        EXPECT_FALSE(last.isEmpty());
    }
}

// Blocks end where base64 runs begin and end, in 4 KiB steps; the block headers of a message
// file inside an attachment do not end it.
TEST(ZipDeflate, BlocksEndAtTheEdgesOfBase64Runs)
{
    const QByteArray prose =
        QByteArray("the report is attached, see you on Monday\r\n").repeated(200);
    QByteArray base64 = QByteArray(12288, 'x').toBase64();
    for (qsizetype at = 0; at + 16 < base64.size(); at += 528)
        base64.replace(at, 16, QByteArray(16, '\0'));
    const QByteArray text = prose.left(8192);
    const QByteArray b64 = base64.left(16384);
    const std::tuple<QByteArray, std::vector<qsizetype>> cases[] = {
        {text + text, {}},
        {b64, {}},
        {text + b64 + text, {8192, 24576}},
        {b64 + text + text.left(100), {16384}},
    };
    for (const auto& [chunk, cuts] : cases)
        EXPECT_EQ(ChunkDeflater::contentBoundaries(chunk), cuts) << chunk.size();
}
