#include "msgstore/FoldersNchReader.h"
#include "support/TempDir.h"

#include <QtEndian>

#include <gtest/gtest.h>

using kv::msgstore::FoldersNchReader;
using kv::msgstore::NchFolderRecord;
using kv::test::TempDir;

namespace {

constexpr int kRecord = 558;

void put32(QByteArray& b, qsizetype at, quint32 v) { qToLittleEndian(v, b.data() + at); }
void put16(QByteArray& b, qsizetype at, quint16 v) { qToLittleEndian(v, b.data() + at); }

struct Folder
{
    quint16 number;
    QByteArray name;
    QByteArray file;
    quint16 parent;
    quint16 order;
};

// A "folders.nch": the 24-byte header, then the records in the order given, chained in the
// order of `chain` (indexes into the records).
QByteArray makeNch(const QList<Folder>& folders, const QList<int>& chain)
{
    QByteArray b(24, '\0');
    b.replace(0, 16, "JMF6 folder list");
    for (const Folder& f : folders) {
        QByteArray r(kRecord, '\0');
        put32(r, 0, quint32(b.size()));
        put32(r, 4, kRecord);
        put16(r, 16, f.number);
        r.replace(20, f.name.size(), f.name);
        r.replace(279, f.file.size(), f.file);
        put16(r, 540, f.parent);
        put16(r, 552, f.order);
        b += r;
    }
    auto at = [](int i) { return quint32(24 + i * kRecord); };
    for (int k = 0; k + 1 < chain.size(); ++k)
        put32(b, at(chain[k]) + 12, at(chain[k + 1]));
    put32(b, 20, at(chain.first()));
    put32(b, 16, at(chain.last()));
    return b;
}

} // namespace

TEST(FoldersNchReader, ReadsTheChainInItsOrder)
{
    const QList<Folder> folders = {
        {1, "Inbox", "Inbox", 0, 1},
        {2, "Sub folder   ", QByteArray("sub\0old-long-name", 17), 1, 65535},
        {0, "", "", 0, 0},
        {3, QByteArray("Caf\xe9"), "Cafe", 0, 3},
    };
    TempDir dir;
    FoldersNchReader reader;
    ASSERT_TRUE(reader.read(dir.write(QStringLiteral("folders.nch"), makeNch(folders, {3, 0, 2, 1}))));
    const QList<NchFolderRecord>& got = reader.folders();
    ASSERT_EQ(got.size(), 4);
    EXPECT_EQ(got[0].name, QStringLiteral(u"Caf\u00e9"));
    EXPECT_EQ(got[1].name, QStringLiteral("Inbox"));
    EXPECT_EQ(got[1].fileName, QStringLiteral("Inbox"));
    EXPECT_EQ(got[2].folderNumber, 0);
    EXPECT_EQ(got[3].name, QStringLiteral("Sub folder")) << "trailing blanks removed";
    EXPECT_EQ(got[3].fileName, QStringLiteral("sub")) << "cut at the first NUL";
    EXPECT_EQ(got[3].parentNumber, 1);
    EXPECT_EQ(got[3].order, 4) << "65535 reads as 4";
    EXPECT_EQ(got[0].order, 3);
}

TEST(FoldersNchReader, ChainEndsAndDamage)
{
    const QList<Folder> three = {{1, "A", "A", 0, 1}, {2, "B", "B", 0, 2}, {3, "C", "C", 0, 3}};
    QByteArray lastInMiddle = makeNch(three, {0, 1, 2});
    put32(lastInMiddle, 16, 24 + kRecord); // the header names B as the last record
    QByteArray loop = makeNch(three, {0, 1, 2});
    put32(loop, 16, 0);
    put32(loop, 24 + 2 * kRecord + 12, 24);
    QByteArray pastEnd = makeNch(three, {0, 1, 2});
    put32(pastEnd, 16, 0);
    put32(pastEnd, 24 + 2 * kRecord + 12, 0x7FFFFF00);
    QByteArray noLast = makeNch(three, {0, 1, 2});
    put32(noLast, 16, 0);
    QByteArray empty(24, '\0');

    struct Case
    {
        const char* name;
        QByteArray bytes;
        int folders; // -1: the read fails
    };
    const Case cases[] = {
        {"whole chain", makeNch(three, {0, 1, 2}), 3},
        {"stops at the header's last record", lastInMiddle, 2},
        {"next offset 0 ends the chain", noLast, 3},
        {"one record, first and last", makeNch(three, {1}), 1},
        {"no first record", empty, 0},
        {"chain loops", loop, -1},
        {"next record past the end", pastEnd, -1},
        {"cut inside the last record", makeNch(three, {0, 1, 2}).left(24 + 2 * kRecord + 500), -1},
        {"cut inside the header", makeNch(three, {0, 1, 2}).left(20), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        FoldersNchReader reader;
        const bool ok = reader.read(dir.write(QStringLiteral("folders.nch"), c.bytes));
        EXPECT_EQ(ok, c.folders >= 0);
        if (ok)
            EXPECT_EQ(reader.folders().size(), c.folders);
        else
            EXPECT_FALSE(reader.lastError().isEmpty());
    }
}
