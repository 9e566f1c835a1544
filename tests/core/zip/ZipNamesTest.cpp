// Records where a slip would break other readers; zip64 fields are beyond the round trips.
#include "zip/ZipRecords.h"

#include <gtest/gtest.h>

using namespace kv::zip;
using namespace Qt::StringLiterals;

TEST(ZipRecords, CentralHeaderRoundTripsIncludingZip64Fields)
{
    const QDateTime time(QDate(2001, 5, 31), QTime(13, 45, 20));
    // size, compressed size, local header offset, disk
    const std::tuple<quint64, quint64, quint64, quint32> cases[] = {
        {10, 5, 0, 0},
        {0x1'0000'0000ull, 0xFFFF'FFFFull, 12, 3},
        {7, 7, 0x2'0000'0000ull, 0},
        {0x1'2345'6789ull, 0x1'0000'0001ull, 0x3'0000'0000ull, 70000}};
    for (const auto& [size, compressed, offset, disk] : cases) {
        CentralEntry e;
        quint16 flags = kFlagDescriptor;
        e.rawName = encodeName(u"Dir\\Bo\u00eete.dbx"_s, &flags);
        e.flags = flags;
        std::tie(e.size, e.compressedSize, e.localOffset, e.disk) =
            std::tie(size, compressed, offset, disk);
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
