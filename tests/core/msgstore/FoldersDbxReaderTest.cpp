#include "DbxBuilder.h"
#include "msgstore/FoldersDbxReader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using kv::msgstore::DbxFolderRecord;
using kv::msgstore::FoldersDbxReader;
using kv::test::DbxBuilder;
using kv::test::TempDir;

namespace {

// A folder object: properties id/value, then its data area (name, NUL, file name, NUL).
quint32 addFolder(DbxBuilder& b, const QList<QPair<quint8, quint32>>& props, const QByteArray& data)
{
    QByteArray rec(12 + 4 * props.size(), '\0');
    rec[10] = char(props.size());
    for (int i = 0; i < props.size(); ++i) {
        const quint32 v = props[i].first | props[i].second << 8;
        for (int k = 0; k < 4; ++k)
            rec[12 + 4 * i + k] = char(v >> (8 * k));
    }
    return b.addRaw(rec + data);
}

} // namespace

TEST(FoldersDbxReader, RealFolderListReadsSubscribedFolders)
{
    TempDir dir;
    FoldersDbxReader reader;
    ASSERT_TRUE(reader.read(kv::test::copySample(dir, QStringLiteral("dbx/dzw_Folders.dbx"))));
    EXPECT_EQ(reader.folderCount(), 7);
    ASSERT_EQ(reader.folders().size(), 7);

    struct Expected
    {
        const char* name;
        const char* fileName;
        quint16 number, parent;
        quint8 p1, p2, newsMark;
    };
    const Expected expected[] = {
        {"Hotmail", "", 9, 0, 0x02, 0x05, 0x11},
        {"Local Folders", "", 1, 0, 0x02, 0x05, 0x19},
        {"Deleted Items", "", 7, 1, 0x81, 0x02, 0x01},
        {"Drafts", "", 8, 1, 0x81, 0x02, 0x01},
        {"Inbox", "Inbox.dbx", 4, 1, 0x81, 0x02, 0x06},
        {"Outbox", "Outbox.dbx", 5, 1, 0x81, 0x02, 0x07},
        {"Sent Items", "", 6, 1, 0x81, 0x02, 0x01},
    };
    for (int i = 0; i < 7; ++i) {
        const DbxFolderRecord& r = reader.folders()[i];
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(r.name, QString::fromLatin1(expected[i].name));
        EXPECT_EQ(r.fileName, QString::fromLatin1(expected[i].fileName));
        EXPECT_EQ(r.folderNumber, expected[i].number);
        EXPECT_EQ(r.parentNumber, expected[i].parent);
        EXPECT_EQ(r.property1Id, expected[i].p1);
        EXPECT_EQ(r.property2Id, expected[i].p2);
        EXPECT_EQ(r.newsMark, expected[i].newsMark);
        EXPECT_FALSE(r.isStoreRoot());
        // The Inbox's fourth property is its file name's place in the data area, 6, which the
        // news test takes for a news mark.
        EXPECT_EQ(r.hasNewsMark(), r.name == QLatin1String("Inbox"));
    }

    // The tree of all objects holds the store's own object too.
    FoldersDbxReader all;
    ASSERT_TRUE(all.read(dir.file(QStringLiteral("dzw_Folders.dbx")), 0xC4, 0xE4));
    ASSERT_EQ(all.folders().size(), 8);
    int roots = 0;
    for (const DbxFolderRecord& r : all.folders())
        roots += r.isStoreRoot() ? 1 : 0;
    EXPECT_EQ(roots, 1);
    EXPECT_TRUE(all.folders()[0].isStoreRoot());
}

TEST(FoldersDbxReader, WalksLeadingChildRootThenOneLevelOfChildren)
{
    DbxBuilder b;
    auto folder = [&](quint16 number, const QByteArray& name) {
        return addFolder(b, {{0x80, number}, {0x81, 1}, {0x02, 0}, {0x03, quint32(name.size() + 1)}},
                         name + '\0' + name + ".dbx" + '\0');
    };
    const quint32 a = folder(10, "A"), c = folder(11, "C"), d = folder(12, "D"),
                  e = folder(13, "E"), deep = folder(14, "Deep");
    const quint32 grandChild = b.addNode({{deep, 0, 0}});
    const quint32 lead = b.addNode({{a, 0, 0}});
    const quint32 child = b.addNode({{d, grandChild, 1}});
    const quint32 root = b.addNode({{c, child, 2}, {e, 0, 0}}, lead);
    b.put32(0xEC, root);
    b.put32(0xCC, 5);
    TempDir dir;
    FoldersDbxReader reader;
    ASSERT_TRUE(reader.read(dir.write(QStringLiteral("folders.dbx"), b.bytes())));
    QStringList names;
    for (const DbxFolderRecord& r : reader.folders())
        names << r.name;
    EXPECT_EQ(names, (QStringList{"A", "C", "E", "D"})) << "children are read one level deep";
    EXPECT_EQ(reader.folders()[0].fileName, QStringLiteral("A.dbx"));
    EXPECT_EQ(reader.folders()[0].folderNumber, 10);
}

TEST(FoldersDbxReader, DamagedListsFail)
{
    DbxBuilder b;
    const quint32 f = addFolder(b, {{0x80, 4}, {0x81, 1}, {0x02, 0}}, QByteArray("Inbox\0", 6));
    const quint32 child = b.addNode({{f, 0, 0}});
    const quint32 root = b.addNode({{f, child, 1}});
    b.put32(0xEC, root);
    b.put32(0xCC, 9);
    struct Case
    {
        const char* name;
        quint32 at, value;
        int keep;
        bool ok;
    };
    const Case cases[] = {
        {"intact, name without a file name", 0, 0, -1, true},
        {"root past the end", 0xEC, 0x7FFFFFF0, -1, false},
        {"record past the end", root + 24, 0xFFFFFF00, -1, false},
        {"child is the root", root + 28, root, -1, false},
        {"leading child past the end", root + 8, 0xFFFFFF00, -1, false},
        {"cut inside the root", 0, 0, int(root + 30), false},
        {"cut inside the header", 0, 0, 0xD0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DbxBuilder d = b;
        if (c.at)
            d.put32(c.at, c.value);
        TempDir dir;
        FoldersDbxReader reader;
        const QByteArray bytes = c.keep < 0 ? d.bytes() : d.bytes().left(c.keep);
        EXPECT_EQ(reader.read(dir.write(QStringLiteral("folders.dbx"), bytes)), c.ok);
        if (c.ok) {
            ASSERT_EQ(reader.folders().size(), 2);
            EXPECT_EQ(reader.folders()[0].name, QStringLiteral("Inbox"));
            EXPECT_TRUE(reader.folders()[0].fileName.isEmpty());
        } else {
            EXPECT_FALSE(reader.lastError().isEmpty());
        }
    }
}
