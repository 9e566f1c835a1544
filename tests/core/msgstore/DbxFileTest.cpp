// The .dbx reader on files laid out piece by piece: numbering, headers, hostile and cut files.
#include "msgstore/DbxFile.h"
#include "DbxBuilder.h"
#include "support/TempDir.h"

#include <QFile>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using kv::msgstore::DbxFile;
using namespace kv::test;

// Numbers follow the scan: a node's own entries (empty slots skipped), its leading child, then
// its entries' children up to the first entry without one.
TEST(DbxFile, NumbersFollowTheScanOrder)
{
    // The sampleMessage at each number (0: empty, no error), and a layout of six messages.
    using Layout = std::function<void(DbxBuilder&, const QList<quint32>&)>;
    const std::tuple<const char*, QList<int>, Layout> cases[] = {
        {"empty slot and unreached child",
         {1, 2, 3, 4, 0},
         [](DbxBuilder& b, const QList<quint32>& m) {
             const quint32 child0 = b.addNode({{m[3], 0, 0}});
             const quint32 child1 = b.addNode({{0, 0, 0}, {m[4], 0, 0}}, 0, 1);
             b.setRoot(b.addNode({{m[0], child0, 1}, {0, 0, 0}, {m[1], child1, 1}},
                                 b.addNode({{m[2], 0, 0}}), 2));
         }},
        {"children of every entry",
         {2, 6, 1, 3, 4, 5},
         [](DbxBuilder& b, const QList<quint32>& m) {
             const quint32 c0 = b.addNode({{m[2], 0, 0}, {m[3], 0, 0}});
             const quint32 c1 = b.addNode({{m[4], 0, 0}});
             b.setRoot(b.addNode({{m[1], c0, 2}, {m[5], c1, 1}}, b.addNode({{m[0], 0, 0}})));
         }},
        {"count without an index", {0, 0, 0}, [](DbxBuilder&, const QList<quint32>&) {}},
    };
    for (const auto& [name, order, layout] : cases) {
        SCOPED_TRACE(name);
        DbxBuilder b;
        QList<quint32> objects;
        for (int i = 1; i <= 6; ++i)
            objects.append(b.addMessage(sampleMessage(i)));
        layout(b, objects);
        b.setCount(quint32(order.size()));
        TempDir dir;
        DbxFile dbx;
        ASSERT_TRUE(dbx.open(dir.write(u"f.dbx"_s, b.bytes())));
        ASSERT_EQ(dbx.messageCount(), order.size());
        for (qint32 n = 1; n <= dbx.messageCount(); ++n) {
            const QByteArray expected = order[n - 1] ? sampleMessage(order[n - 1]) : QByteArray();
            bool ok = false;
            EXPECT_EQ(dbx.message(n, &ok), expected) << n;
            EXPECT_TRUE(ok) << n;
            EXPECT_EQ(dbx.messageSize(n), expected.size()) << n;
        }
    }
}

// A count above 32 767 once overflowed: a three-level tree of 40 559 entries naming one message.
TEST(DbxFile, LargeCountIsNotCutToSixteenBits)
{
    DbxBuilder b;
    const quint32 object = b.addMessage("x");
    auto node = [&](int entries, auto child) {
        QList<DbxBuilder::Entry> e;
        for (int i = 0; i < entries; ++i)
            e.append({object, child(), 0});
        return b.addNode(e, child());
    };
    auto mid = [&] { return node(51, [&] { return node(51, [] { return quint32(0); }); }); };
    b.setRoot(node(14, mid));
    const quint32 count = 15 * (51 + 52 * 51) + 14;
    b.setCount(count);
    b.addRaw(QByteArray(count * 16, '\0')); // the room so many messages would take
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.open(dir.write(u"f.dbx"_s, b.bytes())));
    EXPECT_EQ(dbx.messageCount(), qint32(count));
    EXPECT_EQ(dbx.message(qint32(count)), QByteArray("x"));
}

TEST(DbxFile, HeadersAndLifeCycle)
{
    const QByteArray shortHead = "Subject: short\r\n\r\n" + QByteArray(3000, 'b');
    const QByteArray longHead = "X-Pad: " + QByteArray(2100, 'p') + "\r\nSubject: far\r\n\r\nb";
    TempDir dir;
    const QString first = dir.write(
        u"a.dbx"_s,
        DbxBuilder::withMessages({shortHead, longHead, "Subject: 1st\r\n 2nd\r\n\r\n"}).bytes());
    const QString second = dir.write(
        u"b.dbx"_s, DbxBuilder::withMessages({sampleMessage(2), sampleMessage(3)}).bytes());
    DbxFile dbx;
    ASSERT_TRUE(dbx.open(first));
    dbx.loadHeaders(1);
    EXPECT_EQ(dbx.headerText(), shortHead.left(0x200)) << "the first block completes the header";
    EXPECT_EQ(dbx.subject(), u"short"_s);
    dbx.loadHeaders(2);
    EXPECT_EQ(dbx.headerText().size(), 4 * 0x200) << "stops at the block that passes 2000";
    EXPECT_TRUE(dbx.subject().isEmpty()) << "Subject lies beyond the text read";
    dbx.loadHeaders(3);
    dbx.loadHeaders(0);
    dbx.loadHeaders(4);
    EXPECT_EQ(dbx.subject(), u"1st"_s) << "out-of-range keeps the last header";
    // Another name indexes afresh; a closed reader reads no more.
    ASSERT_TRUE(dbx.open(second));
    EXPECT_EQ(dbx.message(2), sampleMessage(3));
    dbx.close();
    bool ok = true;
    EXPECT_TRUE(dbx.message(1, &ok).isEmpty() && !ok && !dbx.isOpen());
    for (const QString& bad :
         {QString(), dir.file(u"*.dbx"_s), dir.file(u"missing.dbx"_s), dir.path()})
        EXPECT_FALSE(dbx.open(bad) || dbx.isOpen()) << bad.toStdString();
}

namespace {

// m1 and m2 in the root, m3 in the child below its first entry; the root last, so a cut can fall
// in its table.
struct Folder
{
    DbxBuilder b;
    QList<quint32> objects, blocks;
    quint32 root = 0, child = 0;
    quint32 keep = 0xFFFFFFFF; // the file's length
    static QByteArray text(int i) { return sampleMessage(i, 1200); }
    Folder()
    {
        for (int i = 1; i <= 3; ++i)
            objects.append(b.addObject(blocks.emplace_back(b.addBlocks(text(i)))));
        child = b.addNode({{objects[2], 0, 0}});
        root = b.addNode({{objects[0], child, 1}, {objects[1], 0, 0}});
        b.setRoot(root), b.setCount(3);
    }
};

enum class Expect
{
    OpenFails,
    Message2Damaged,
    Message2HeadDamaged,
    Opens
};

using Case = std::tuple<const char*, Expect, std::function<void(Folder&)>>;

} // namespace

TEST(DbxDamage, HostileFilesFailCleanly)
{
    // A count one above the tree's messages makes the whole tree walked.
    const QList<Case> cases = {
        {"leading child is the node itself", Expect::OpenFails,
         [](Folder& f) { f.b.put32(f.child + 8, f.child), f.b.setCount(4); }},
        {"two entries share one child", Expect::OpenFails,
         [](Folder& f) { f.b.put32(f.root + 24 + 12 + 4, f.child); }},
        {"tree nests deeper than any real file", Expect::OpenFails,
         [](Folder& f) {
             quint32 node = f.b.addNode({{f.objects[2], 0, 0}});
             for (int i = 0; i < 100; ++i)
                 node = f.b.addNode({}, node);
             f.b.put32(f.root + 24 + 4, node);
         }},
        {"indirect offset word past the end", Expect::OpenFails,
         [](Folder& f) {
             const quint32 o = f.b.addObject(f.blocks[1]);
             f.b.put8(o + 0x0A, 255), f.b.put8(o + 0x18, 0x04), f.b.put32(f.root + 24 + 12, o);
         }},
        {"more messages in the tree than the count", Expect::OpenFails,
         [](Folder& f) {
             f.b.setNode(f.root,
                         {{f.objects[0], 0, 0}, {f.objects[1], 0, 0}, {f.objects[2], 0, 0}});
             f.b.setCount(2);
         }},
        {"count beyond what the file holds", Expect::OpenFails,
         [](Folder& f) { f.b.setCount(0x7FFFFFFFu); }},
        {"entry count beyond the table, every slot with a child", Expect::OpenFails,
         [](Folder& f) {
             QList<DbxBuilder::Entry> e;
             for (int i = 0; i < 65; ++i)
                 e.append({0, f.b.addNode({}), 0});
             const quint32 wide = f.b.addNode({});
             f.b.addNode({}); // room for entries 51..64
             f.b.setNode(wide, e, 0, 200), f.b.setRoot(wide);
         }},
        {"entry count 0xFF stops after 65 entries", Expect::Opens,
         [](Folder& f) {
             const quint32 wide = f.b.addNode({});
             f.b.addNode({});
             f.b.setNode(wide, QList<DbxBuilder::Entry>(65, {f.objects[0], 0, 0}), 0, 0xFF);
             f.b.setRoot(wide), f.b.setCount(65);
         }},
        {"block loops back to an earlier block", Expect::Message2Damaged,
         [](Folder& f) {
             const quint32 second = f.b.get32(f.blocks[1] + 12);
             f.b.put32(f.b.get32(second + 12) + 12, second);
         }},
        {"empty blocks loop", Expect::Message2HeadDamaged,
         [](Folder& f) {
             f.b.put32(f.blocks[1] + 8, 0), f.b.put32(f.blocks[1] + 12, f.blocks[1]);
         }},
        {"block length past the end", Expect::Message2HeadDamaged,
         [](Folder& f) { f.b.put32(f.blocks[1] + 8, 0x7FFFFFF0u); }},
        {"next block past the end", Expect::Message2Damaged,
         [](Folder& f) { f.b.put32(f.blocks[1] + 12, 0xFFFFFF00u); }},
        // Only the counted entries of a node are read: the last node of a file may be short.
        {"file ends after the root's counted entries", Expect::Opens,
         [](Folder& f) { f.keep = f.root + 24 + 2 * 12; }},
    };
    for (const auto& [name, expect, damage] : cases) {
        SCOPED_TRACE(name);
        Folder f;
        damage(f);
        TempDir dir;
        DbxFile dbx;
        const bool opened = dbx.open(dir.write(u"f.dbx"_s, f.b.bytes().left(f.keep)));
        EXPECT_EQ(opened, expect != Expect::OpenFails) << dbx.lastError().toStdString();
        EXPECT_EQ(dbx.lastError().isEmpty(), opened);
        if (!opened)
            continue;
        if (expect == Expect::Opens) {
            for (qint32 n = 1; n <= dbx.messageCount(); ++n)
                EXPECT_TRUE((QList{f.text(1), f.text(2), f.text(3)}.contains(dbx.message(n)))) << n;
            continue;
        }
        EXPECT_EQ(dbx.message(1) + dbx.message(3), f.text(1) + f.text(3));
        bool ok = true;
        EXPECT_EQ(dbx.message(2, &ok), QByteArray());
        EXPECT_FALSE(ok || dbx.lastError().isEmpty());
        EXPECT_EQ(dbx.messageSize(2), 0);
        // The header lines end in the first block; a chain damaged only after it still has them.
        dbx.loadHeaders(2);
        const bool headLost = expect == Expect::Message2HeadDamaged;
        EXPECT_EQ(dbx.headerText(), headLost ? QByteArray() : f.text(2).left(0x200));
        EXPECT_FALSE(dbx.saveAs(2, dir.file(u"out"_s), u"m.eml"_s));
        EXPECT_FALSE(QFile::exists(dir.file(u"out/m.eml"_s))) << "no half-written file is left";
    }
}

// Index first and data last, so that cuts fall in the header fields, the node, the objects and
// on both sides of every block boundary.
TEST(DbxDamage, TruncatedAnywhereNeverReadsPastTheEnd)
{
    DbxBuilder b;
    const quint32 root = b.addNode({});
    const QList<quint32> objects = {b.addObject(0), b.addObject(0), b.addObject(0)};
    const quint32 indexEnd = objects[2] + 29, dataStart = b.size();
    QList<quint32> chainEnd, cuts;
    for (int i = 1; i <= 3; ++i) {
        const QByteArray text = sampleMessage(i, 700 * i);
        b.put32(objects[i - 1] + 0x18, 0x84 | (b.addBlocks(text) << 8));
        chainEnd << b.size() - 0x200 + (text.size() - 1) % 0x200 + 1;
        cuts << chainEnd.back() - 1 << chainEnd.back();
    }
    b.setNode(root, {{objects[0], 0, 0}, {objects[1], 0, 0}, {objects[2], 0, 0}});
    b.setRoot(root), b.setCount(3);
    auto range = [&](quint32 from, quint32 to, quint32 step) {
        for (quint32 len = from; len <= to; len += step)
            cuts << len;
    };
    range(0, b.size(), 97), range(0xC0, 0xEC, 1), range(root - 2, indexEnd + 2, 1);
    for (quint32 at = dataStart; at + 16 <= b.size(); at += 16 + 0x200)
        cuts << at - 1 << at << at + 1 << at + 15 << at + 16 << at + 17;
    cuts << b.size();
    TempDir dir;
    const QString path = dir.file(u"cut.dbx"_s);
    for (quint32 len : cuts) {
        QFile::remove(path);
        dir.write(u"cut.dbx"_s, b.bytes().left(len));
        DbxFile dbx;
        ASSERT_EQ(dbx.open(path), len >= indexEnd) << "cut at " << len;
        for (qint32 n = 1; dbx.isOpen() && n <= 3; ++n) {
            bool ok = false;
            const QByteArray text = dbx.message(n, &ok);
            ASSERT_EQ(ok, len >= chainEnd[n - 1]) << "cut at " << len << " message " << n;
            EXPECT_EQ(text, ok ? sampleMessage(n, 700 * n) : QByteArray());
            EXPECT_EQ(dbx.messageSize(n), text.size());
        }
    }
}
