// Name handling and records, where a slip would misplace files or break other readers.
#include "zip/ZipNames.h"
#include "zip/ChunkDeflater.h"
#include "zip/ZipRecords.h"

#include <gtest/gtest.h>

using namespace kv::zip;

TEST(ZipNames, MatchingAnEntryGivesThePartFromTheMatch)
{
    const QString entry = QStringLiteral("Program Files\\OE\\News\\acct\\g.nch");
    EXPECT_EQ(matchEntry(entry, QStringLiteral("g.nch")), QStringLiteral("g.nch"));
    EXPECT_EQ(matchEntry(entry, QStringLiteral("acct\\*.*")), QStringLiteral("acct\\g.nch"));
    EXPECT_EQ(matchEntry(entry, QStringLiteral("Program Files\\*")), entry);
    EXPECT_EQ(matchEntry(entry, QStringLiteral("C:\\Program Files\\OE\\News\\acct\\g.nch")), entry);
    EXPECT_FALSE(matchEntry(entry, QStringLiteral("News")).has_value());
    EXPECT_FALSE(matchEntry(entry, QStringLiteral("cct\\*.*")).has_value());
}

TEST(ZipRecords, CentralHeaderRoundTripsIncludingZip64Fields)
{
    struct Case
    {
        quint64 size;
        quint64 comp;
        quint64 offset;
        quint32 disk;
    };
    const Case cases[] = {
        {10, 5, 0, 0},
        {0x1'0000'0000ull, 0xFFFF'FFFFull, 12, 3},
        {7, 7, 0x2'0000'0000ull, 0},
        {0x1'2345'6789ull, 0x1'0000'0001ull, 0x3'0000'0000ull, 70000},
    };
    for (const Case& c : cases) {
        CentralEntry e;
        quint16 flags = kFlagDescriptor;
        e.rawName = encodeName(QStringLiteral("Dir\\Bo\u00eete.dbx"), &flags);
        e.flags = flags;
        e.size = c.size;
        e.compressedSize = c.comp;
        e.localOffset = c.offset;
        e.disk = c.disk;
        e.crc = 0xDEADBEEF;
        e.dosDateTime = toDosDateTime(QDateTime(QDate(2001, 5, 31), QTime(13, 45, 20)).toUTC());
        const QByteArray rec = centralHeader(e);
        qsizetype used = 0;
        const std::optional<CentralEntry> back = parseCentral(rec.constData(), rec.size(), &used);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(used, rec.size());
        EXPECT_EQ(back->size, c.size);
        EXPECT_EQ(back->compressedSize, c.comp);
        EXPECT_EQ(back->localOffset, c.offset);
        EXPECT_EQ(back->disk, c.disk);
        EXPECT_EQ(back->crc, 0xDEADBEEF);
        EXPECT_EQ(back->name, QStringLiteral("Dir\\Bo\u00eete.dbx"));
        EXPECT_EQ(fromDosDateTime(back->dosDateTime),
                  QDateTime(QDate(2001, 5, 31), QTime(13, 45, 20)));
        // Cut short anywhere, the record is refused rather than over-read.
        EXPECT_FALSE(parseCentral(rec.constData(), rec.size() - 1, &used).has_value());
    }
}

// The chunks deflated apart and joined are one stream: a known-size input inflates back.
TEST(ZipDeflate, ChunksEndOnByteBoundariesAndTheLastEndsTheStream)
{
    std::vector<unsigned char> buffer;
    QByteArray a(100000, 'a');
    for (int level : {0, 1, 2, 3}) {
        QByteArray first;
        QByteArray last;
        ASSERT_TRUE(ChunkDeflater::deflateChunk(a, false, level, buffer, &first));
        ASSERT_TRUE(ChunkDeflater::deflateChunk(QByteArray(), true, level, buffer, &last));
        // A full flush ends with an empty stored block: 00 00 FF FF.
        EXPECT_TRUE(first.endsWith(QByteArray("\x00\x00\xff\xff", 4))) << level;
        EXPECT_FALSE(last.isEmpty());
    }
}
