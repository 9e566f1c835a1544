#include "msgstore/DbxFile.h"
#include "DbxBuilder.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using kv::msgstore::DbxFile;
using kv::test::DbxBuilder;
using kv::test::sampleMessage;
using kv::test::TempDir;

namespace {

QByteArray md5Hex(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex().toUpper();
}

QList<QByteArray> allMessages(DbxFile& dbx)
{
    QList<QByteArray> out;
    for (qint32 n = 1; n <= dbx.MessageCount(); ++n) {
        bool ok = false;
        out.append(dbx.FullMessage(n, &ok));
        EXPECT_TRUE(ok) << "message " << n;
    }
    return out;
}

} // namespace

TEST(DbxMsgFile, RealFolderMatchesKnownDigests)
{
    TempDir dir;
    const QString path = kv::test::copySample(dir, QStringLiteral("dbx/iped_test_OutlookDBX.dbx"));
    QList<QByteArray> expected =
        kv::test::readFile(kv::test::samplePath(QStringLiteral("dbx/iped-md5.txt")))
            .trimmed()
            .split('\n');
    for (QByteArray& e : expected)
        e = e.trimmed();

    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(path));
    ASSERT_EQ(dbx.MessageCount(), 28);
    QList<QByteArray> viaFull;
    QList<QByteArray> viaSave;
    for (qint32 n = 1; n <= 28; ++n) {
        const QByteArray text = dbx.FullMessage(n);
        viaFull.append(md5Hex(text));
        EXPECT_EQ(dbx.MsgSize(n), text.size());
        const QString name = QStringLiteral("%1.eml").arg(n);
        ASSERT_TRUE(dbx.SaveAsFile(n, dir.file(QStringLiteral("out")), name)) << n;
        viaSave.append(md5Hex(kv::test::readFile(dir.file(QStringLiteral("out/") + name))));
    }
    std::sort(viaFull.begin(), viaFull.end());
    std::sort(viaSave.begin(), viaSave.end());
    EXPECT_EQ(viaFull, expected);
    EXPECT_EQ(viaSave, expected);

    dbx.MessageHeaders(2);
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("Mensagem teste"));
    EXPECT_EQ(dbx.MsgFrom(), QStringLiteral("\"Oliver\" <olivergiovannifuzati@outlook.com>"));
    EXPECT_EQ(dbx.MsgDateStr(), QStringLiteral("Mon, 10 Feb 2025 15:45:24 -0300"));
    EXPECT_TRUE(dbx.HeaderText().contains("\r\n\r\n"));
}

TEST(DbxMsgFile, StaleMessageInFreeSpaceIsNotReturned)
{
    TempDir dir;
    const QString path = kv::test::copySample(dir, QStringLiteral("dbx/mtdbx_t_test.dbx"));
    // The stale copy is really there, so a reader scanning the free space would find it.
    ASSERT_TRUE(kv::test::readFile(path).contains("centericq 4.7.5"));
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(path));
    ASSERT_EQ(dbx.MessageCount(), 1);
    const QList<QByteArray> messages = allMessages(dbx);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_FALSE(messages[0].contains("centericq"));
    dbx.MessageHeaders(1);
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("Please read you won't be sorry........"));
}

TEST(DbxMsgFile, EmptyFoldersOpenWithNoMessages)
{
    for (const char* sample : {"dbx/dzw_Outbox.dbx", "dbx/dzw_Offline.dbx"}) {
        SCOPED_TRACE(sample);
        TempDir dir;
        DbxFile dbx;
        ASSERT_TRUE(dbx.FileOpen(kv::test::copySample(dir, QString::fromLatin1(sample))));
        EXPECT_EQ(dbx.MessageCount(), 0);
        EXPECT_TRUE(dbx.Eof());
        EXPECT_TRUE(dbx.FirstMsg().isEmpty());
        EXPECT_TRUE(dbx.Eof());
        EXPECT_EQ(dbx.MsgSize(1), 0);
        EXPECT_FALSE(dbx.SaveAsFile(1, dir.file(QStringLiteral("out")), QStringLiteral("1.eml")));
        EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral("out/1.eml"))));
    }
}

TEST(DbxMsgFile, NumbersFollowTheScanOrderNotTheTree)
{
    // Root: own entries (m1, m2, an empty slot between them that does not count), leading child
    // (m3), then the children of the entries (m4 below entry 0).
    DbxBuilder b;
    QList<quint32> obj;
    for (int i = 1; i <= 5; ++i)
        obj.append(b.addMessage(sampleMessage(i)));
    const quint32 lead = b.addNode({{obj[2], 0, 0}});
    const quint32 child0 = b.addNode({{obj[3], 0, 0}});
    const quint32 child1 = b.addNode({{0, 0, 0}, {obj[4], 0, 0}}, 0, 1);
    b.setRoot(b.addNode({{obj[0], child0, 1}, {0, 0, 0}, {obj[1], child1, 1}}, lead, 2));
    b.setCount(5);
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), b.bytes())));
    ASSERT_EQ(dbx.MessageCount(), 5);
    // The walk over the entries' children stops at the first entry without one (here the empty
    // slot), so m5, below entry 2, is not reached.
    const QList<QByteArray> got = allMessages(dbx);
    EXPECT_EQ(got[0], sampleMessage(1));
    EXPECT_EQ(got[1], sampleMessage(2));
    EXPECT_EQ(got[2], sampleMessage(3));
    EXPECT_EQ(got[3], sampleMessage(4));
    EXPECT_TRUE(got[4].isEmpty()) << "a slot the index does not fill is an empty message";
}

TEST(DbxMsgFile, ChildrenOfEveryEntryAreWalkedInOrder)
{
    DbxBuilder b;
    QList<quint32> obj;
    for (int i = 1; i <= 6; ++i)
        obj.append(b.addMessage(sampleMessage(i), i == 4));
    const quint32 c0 = b.addNode({{obj[2], 0, 0}, {obj[3], 0, 0}});
    const quint32 c1 = b.addNode({{obj[4], 0, 0}});
    const quint32 lead = b.addNode({{obj[5], 0, 0}});
    b.setRoot(b.addNode({{obj[1], c0, 2}, {obj[0], c1, 1}}, lead));
    b.setCount(6);
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), b.bytes())));
    const QList<QByteArray> got = allMessages(dbx);
    const QList<int> order = {2, 1, 6, 3, 4, 5};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(got[i], sampleMessage(order[i])) << "slot " << i + 1;
}

TEST(DbxMsgFile, FirstBlockOffsetFollowsTheAttributeIdentifier)
{
    // 0x04 takes the third word of the data area (object offset 0x28 with five attributes).
    DbxBuilder b;
    const quint32 block = b.addBlocks(sampleMessage(7));
    const quint32 indirect = b.addObject(block, true);
    EXPECT_EQ(b.bytes().mid(indirect + 0x28, 4),
              QByteArray::fromRawData(reinterpret_cast<const char*>(&block), 4));
    const quint32 direct = b.addObject(b.addBlocks(sampleMessage(8)), false);
    b.setRoot(b.addNode({{indirect, 0, 0}, {direct, 0, 0}}));
    b.setCount(2);
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), b.bytes())));
    EXPECT_EQ(dbx.FullMessage(1), sampleMessage(7));
    EXPECT_EQ(dbx.FullMessage(2), sampleMessage(8));
}

TEST(DbxMsgFile, CountWithoutIndexGivesEmptyMessages)
{
    DbxBuilder b;
    b.setCount(3);
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), b.bytes())));
    EXPECT_EQ(dbx.MessageCount(), 3);
    bool ok = false;
    EXPECT_TRUE(dbx.FullMessage(2, &ok).isEmpty());
    EXPECT_TRUE(ok);
    EXPECT_EQ(dbx.MsgSize(2), 0);
}

TEST(DbxMsgFile, LargeCountIsNotCutToSixteenBits)
{
    // A three-level tree of 40 559 entries that all name one small message: the count field is
    // what overflowed, so a count above 32 767 with a tree that matches it is enough.
    DbxBuilder b;
    const quint32 object = b.addObject(b.addBlocks("x"));
    auto fullNode = [&](auto child) {
        QList<DbxBuilder::Entry> e;
        for (int i = 0; i < 51; ++i)
            e.append({object, child(), 0});
        return b.addNode(e, child());
    };
    auto leaf = [&] { return fullNode([] { return quint32(0); }); };
    auto mid = [&] { return fullNode(leaf); };
    QList<DbxBuilder::Entry> top;
    for (int i = 0; i < 14; ++i)
        top.append({object, mid(), 0});
    b.setRoot(b.addNode(top, mid()));
    const quint32 count = 15 * (51 + 52 * 51) + 14;
    b.setCount(count);
    b.addRaw(QByteArray(count * 16, '\0')); // the room so many messages would take
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), b.bytes())));
    EXPECT_EQ(dbx.MessageCount(), qint32(count));
    EXPECT_EQ(dbx.FullMessage(qint32(count)), QByteArray("x"));
}

TEST(DbxMsgFile, HeaderTextStopsAtBlankLineOrLimit)
{
    const QByteArray shortHead = "Subject: short\r\n\r\n" + QByteArray(3000, 'b');
    QByteArray longHead = "X-Pad: " + QByteArray(2100, 'p') + "\r\nSubject: far\r\n\r\nbody";
    QByteArray folded = "Subject: first\r\n second\r\nFrom: a\r\n\r\n";
    DbxBuilder b = DbxBuilder::withMessages({shortHead, longHead, folded});
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), b.bytes())));
    EXPECT_TRUE(dbx.MsgFrom().isEmpty()) << "no header text before MessageHeaders";

    dbx.MessageHeaders(1);
    EXPECT_EQ(dbx.HeaderText(), shortHead.left(0x200)) << "the first block completes the header";
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("short"));

    dbx.MessageHeaders(2);
    EXPECT_EQ(dbx.HeaderText().size(), 4 * 0x200) << "stops at the block that passes 2000";
    EXPECT_TRUE(dbx.MsgSubject().isEmpty()) << "Subject lies beyond the text read";

    dbx.MessageHeaders(3);
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("first"));
    dbx.MessageHeaders(0);
    dbx.MessageHeaders(4);
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("first")) << "out-of-range keeps the last header";
}

TEST(DbxMsgFile, OpenCloseLifeCycle)
{
    TempDir dir;
    const QString first =
        dir.write(QStringLiteral("a.dbx"), DbxBuilder::withMessages({sampleMessage(1)}).bytes());
    const QString second =
        dir.write(QStringLiteral("b.dbx"),
                  DbxBuilder::withMessages({sampleMessage(2), sampleMessage(3)}).bytes());
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(first));
    dbx.MessageHeaders(1);

    // The same name again is not re-read, even when the file changed meanwhile.
    QFile::remove(first);
    dir.write(QStringLiteral("a.dbx"), DbxBuilder::withMessages({}).bytes());
    EXPECT_TRUE(dbx.FileOpen(first));
    EXPECT_EQ(dbx.MessageCount(), 1);
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("Message 1"));

    // Another name closes and indexes afresh.
    ASSERT_TRUE(dbx.FileOpen(second));
    EXPECT_EQ(dbx.MessageCount(), 2);
    EXPECT_EQ(dbx.FullMessage(2), sampleMessage(3));

    // Closing keeps what was indexed and loaded, but no more reading.
    dbx.MessageHeaders(1);
    dbx.FileClose();
    EXPECT_FALSE(dbx.IsOpen());
    EXPECT_EQ(dbx.MessageCount(), 2);
    EXPECT_EQ(dbx.MsgSubject(), QStringLiteral("Message 2"));
    bool ok = true;
    EXPECT_TRUE(dbx.FullMessage(1, &ok).isEmpty());
    EXPECT_FALSE(ok);

    // Bad names fail and leave the reader closed.
    for (const QString& bad : {QString(), dir.file(QStringLiteral("*.dbx")),
                               dir.file(QStringLiteral("missing.dbx")), dir.path()}) {
        EXPECT_FALSE(dbx.FileOpen(bad)) << bad.toStdString();
        EXPECT_FALSE(dbx.IsOpen());
    }
}

TEST(DbxMsgFile, CursorWalksAllMessages)
{
    TempDir dir;
    DbxFile dbx;
    ASSERT_TRUE(dbx.FileOpen(dir.write(
        QStringLiteral("f.dbx"),
        DbxBuilder::withMessages({sampleMessage(1), sampleMessage(2), sampleMessage(3)}).bytes())));
    QList<QByteArray> walked;
    for (QByteArray m = dbx.FirstMsg(); !m.isEmpty(); m = dbx.NextMsg())
        walked.append(m);
    EXPECT_EQ(walked, (QList<QByteArray>{sampleMessage(1), sampleMessage(2), sampleMessage(3)}));
    EXPECT_TRUE(dbx.Eof());
    dbx.Bof();
    EXPECT_FALSE(dbx.Eof());
    EXPECT_EQ(dbx.NextMsg(), sampleMessage(1));
}

TEST(DbxMsgFile, SaveAsFileReplacesAndCreatesFolders)
{
    TempDir dir;
    const QByteArray text = sampleMessage(1, 1500);
    DbxFile dbx;
    ASSERT_TRUE(
        dbx.FileOpen(dir.write(QStringLiteral("f.dbx"), DbxBuilder::withMessages({text}).bytes())));
    const QString existing = dir.write(QStringLiteral("out/a.eml"), QByteArray(5000, 'o'));
    ASSERT_TRUE(dbx.SaveAsFile(1, dir.file(QStringLiteral("out/")), QStringLiteral("a.eml")));
    EXPECT_EQ(kv::test::readFile(existing), text) << "no old bytes past the new end";

    const QString deep = dir.file(QStringLiteral("x/y/z"));
    ASSERT_TRUE(dbx.SaveAsFile(1, deep, QStringLiteral("b.eml")));
    EXPECT_EQ(kv::test::readFile(deep + QStringLiteral("/b.eml")), text);

    // A folder that cannot be made: nothing is written, and the caller is told.
    dir.write(QStringLiteral("file"), "x");
    EXPECT_FALSE(dbx.SaveAsFile(1, dir.file(QStringLiteral("file/sub")), QStringLiteral("c.eml")));
    EXPECT_FALSE(dbx.lastError().isEmpty());
}
