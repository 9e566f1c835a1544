#include "msgstore/DbxFile.h"
#include "DbxBuilder.h"
#include "support/TempDir.h"

#include <QFile>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using kv::msgstore::DbxFile;
using namespace kv::test;

// Numbers follow the scan, not the tree: a node's own entries (empty slots skipped), its
// leading child, then the children of its entries, stopping at the first entry without one.
TEST(DbxFile, NumbersFollowTheScanOrder)
{
    // The sampleMessage number at each slot (0: empty, no error), and a layout of six messages.
    using Layout = std::function<void(DbxBuilder&, const QList<quint32>&)>;
    const std::tuple<const char*, QList<int>, Layout> cases[] = {
        {"empty slot and unreached child",
         {1, 2, 3, 4, 0},
         [](DbxBuilder& b, const QList<quint32>& m) {
             const quint32 lead = b.addNode({{m[2], 0, 0}});
             const quint32 child0 = b.addNode({{m[3], 0, 0}});
             const quint32 child1 = b.addNode({{0, 0, 0}, {m[4], 0, 0}}, 0, 1);
             b.setRoot(b.addNode({{m[0], child0, 1}, {0, 0, 0}, {m[1], child1, 1}}, lead, 2));
         }},
        {"children of every entry",
         {2, 6, 1, 3, 4, 5},
         [](DbxBuilder& b, const QList<quint32>& m) {
             const quint32 c0 = b.addNode({{m[2], 0, 0}, {m[3], 0, 0}});
             const quint32 c1 = b.addNode({{m[4], 0, 0}});
             const quint32 lead = b.addNode({{m[0], 0, 0}});
             b.setRoot(b.addNode({{m[1], c0, 2}, {m[5], c1, 1}}, lead));
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
    auto fullNode = [&](auto child) {
        QList<DbxBuilder::Entry> e;
        for (int i = 0; i < 51; ++i)
            e.append({object, child(), 0});
        return b.addNode(e, child());
    };
    auto mid = [&] { return fullNode([&] { return fullNode([] { return quint32(0); }); }); };
    QList<DbxBuilder::Entry> top;
    for (int i = 0; i < 14; ++i)
        top.append({object, mid(), 0});
    b.setRoot(b.addNode(top, mid()));
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
    EXPECT_TRUE(dbx.subject().isEmpty()) << "no header text before loadHeaders";
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

    // The same name again is not re-read, even when the file changed meanwhile.
    QFile::remove(first);
    dir.write(u"a.dbx"_s, DbxBuilder::withMessages({}).bytes());
    EXPECT_TRUE(dbx.open(first));
    EXPECT_EQ(dbx.messageCount(), 3);

    // Another name indexes afresh; closing keeps what was indexed and loaded, but reads no more.
    ASSERT_TRUE(dbx.open(second));
    EXPECT_EQ(dbx.message(2), sampleMessage(3));
    dbx.loadHeaders(1);
    dbx.close();
    EXPECT_FALSE(dbx.isOpen());
    EXPECT_EQ(dbx.messageCount(), 2);
    EXPECT_EQ(dbx.subject(), u"Message 2"_s);
    bool ok = true;
    EXPECT_TRUE(dbx.message(1, &ok).isEmpty());
    EXPECT_FALSE(ok);

    for (const QString& bad :
         {QString(), dir.file(u"*.dbx"_s), dir.file(u"missing.dbx"_s), dir.path()}) {
        EXPECT_FALSE(dbx.open(bad)) << bad.toStdString();
        EXPECT_FALSE(dbx.isOpen());
    }
}
