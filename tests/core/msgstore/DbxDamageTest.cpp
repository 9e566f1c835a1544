#include "DbxBuilder.h"
#include "msgstore/DbxFile.h"
#include "support/TempDir.h"

#include <QFile>

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using kv::msgstore::DbxFile;
using namespace kv::test;

namespace {

// Three messages: m1 and m2 in the root, m3 in the child below the root's first entry. The root
// comes last, so the file can end inside its table.
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
        b.setRoot(root);
        b.setCount(3);
    }
};

enum class Expect
{
    OpenFails,
    Message2Damaged,
    Message2HeadDamaged,
    Opens // every message reads as one of the three
};

using Case = std::tuple<const char*, Expect, std::function<void(Folder&)>>;

} // namespace

TEST(DbxDamage, HostileFilesFailCleanly)
{
    const QList<Case> cases = {
        {"root past the end", Expect::OpenFails, [](Folder& f) { f.b.setRoot(f.b.size() + 100); }},
        // One message more in the count than in the tree makes the whole tree walked.
        {"leading child is the node itself", Expect::OpenFails,
         [](Folder& f) {
             f.b.put32(f.child + 8, f.child);
             f.b.setCount(4);
         }},
        {"child points back to the root", Expect::OpenFails,
         [](Folder& f) {
             f.b.put32(f.child + 24 + 4, f.root);
             f.b.setCount(4);
         }},
        {"two entries share one child", Expect::OpenFails,
         [](Folder& f) { f.b.put32(f.root + 24 + 12 + 4, f.child); }},
        {"tree nests deeper than any real file", Expect::OpenFails,
         [](Folder& f) {
             quint32 node = f.b.addNode({{f.objects[2], 0, 0}});
             for (int i = 0; i < 100; ++i)
                 node = f.b.addNode({}, node);
             f.b.put32(f.root + 24 + 4, node);
         }},
        {"object past the end", Expect::OpenFails,
         [](Folder& f) { f.b.put32(f.root + 24, f.b.size() + 4); }},
        {"indirect offset word past the end", Expect::OpenFails,
         [](Folder& f) {
             const quint32 o = f.b.addObject(f.blocks[1]);
             f.b.put8(o + 0x0A, 255);
             f.b.put8(o + 0x18, 0x04);
             f.b.put32(f.root + 24 + 12, o);
         }},
        {"more messages in the tree than the count", Expect::OpenFails,
         [](Folder& f) {
             f.b.setNode(f.root,
                         {{f.objects[0], 0, 0}, {f.objects[1], 0, 0}, {f.objects[2], 0, 0}});
             f.b.setCount(2);
         }},
        {"count of 0xFFFFFFFF", Expect::OpenFails, [](Folder& f) { f.b.setCount(0xFFFFFFFFu); }},
        {"count of 0x7FFFFFFF", Expect::OpenFails, [](Folder& f) { f.b.setCount(0x7FFFFFFFu); }},
        {"entry count beyond the table, every slot with a child", Expect::OpenFails,
         [](Folder& f) {
             QList<DbxBuilder::Entry> e;
             for (int i = 0; i < 65; ++i)
                 e.append({0, f.b.addNode({}), 0});
             const quint32 wide = f.b.addNode({});
             f.b.addNode({}); // room for entries 51..64
             f.b.setNode(wide, e, 0, 200);
             f.b.setRoot(wide);
         }},
        {"entry count 0xFF stops after 65 entries", Expect::Opens,
         [](Folder& f) {
             const quint32 wide = f.b.addNode({});
             f.b.addNode({});
             f.b.setNode(wide, QList<DbxBuilder::Entry>(65, {f.objects[0], 0, 0}), 0, 0xFF);
             f.b.setRoot(wide);
             f.b.setCount(65);
         }},
        {"first block past the end", Expect::Message2HeadDamaged,
         [](Folder& f) { f.b.put32(f.objects[1] + 0x18, 0x84 | (0xFFFFF0u << 8)); }},
        {"block loops to itself", Expect::Message2Damaged,
         [](Folder& f) { f.b.put32(f.blocks[1] + 12, f.blocks[1]); }},
        {"block loops back to an earlier block", Expect::Message2Damaged,
         [](Folder& f) {
             const quint32 second = f.b.get32(f.blocks[1] + 12);
             f.b.put32(f.b.get32(second + 12) + 12, second);
         }},
        {"empty blocks loop", Expect::Message2HeadDamaged,
         [](Folder& f) {
             f.b.put32(f.blocks[1] + 8, 0);
             f.b.put32(f.blocks[1] + 12, f.blocks[1]);
         }},
        {"block length past the end", Expect::Message2HeadDamaged,
         [](Folder& f) { f.b.put32(f.blocks[1] + 8, 0x7FFFFFF0u); }},
        {"next block past the end", Expect::Message2Damaged,
         [](Folder& f) { f.b.put32(f.blocks[1] + 12, 0xFFFFFF00u); }},
        // Only the counted entries of a node are read: the last node of a file may be short.
        {"file ends after the root's counted entries", Expect::Opens,
         [](Folder& f) { f.keep = f.root + 24 + 2 * 12; }},
        {"file ends inside the root's counted entries", Expect::OpenFails,
         [](Folder& f) { f.keep = f.root + 24 + 23; }},
    };
    for (const auto& [name, expect, damage] : cases) {
        SCOPED_TRACE(name);
        Folder f;
        damage(f);
        TempDir dir;
        DbxFile dbx;
        const bool opened = dbx.open(dir.write(u"f.dbx"_s, f.b.bytes().left(f.keep)));
        EXPECT_EQ(opened, expect != Expect::OpenFails) << dbx.lastError().toStdString();
        EXPECT_EQ(dbx.isOpen(), opened);
        EXPECT_EQ(dbx.lastError().isEmpty(), opened);
        if (!opened || expect == Expect::OpenFails)
            continue;
        if (expect == Expect::Opens) {
            for (qint32 n = 1; n <= dbx.messageCount(); ++n)
                EXPECT_TRUE((QList{f.text(1), f.text(2), f.text(3)}.contains(dbx.message(n)))) << n;
            continue;
        }
        EXPECT_EQ(dbx.message(1), f.text(1));
        EXPECT_EQ(dbx.message(3), f.text(3));
        bool ok = true;
        EXPECT_EQ(dbx.message(2, &ok), QByteArray());
        EXPECT_FALSE(ok);
        EXPECT_FALSE(dbx.lastError().isEmpty());
        EXPECT_EQ(dbx.messageSize(2), 0);
        // The header lines end in the first block; a chain damaged only after it still has them.
        dbx.loadHeaders(2);
        const bool headLost = expect == Expect::Message2HeadDamaged;
        EXPECT_EQ(dbx.headerText(), headLost ? QByteArray() : f.text(2).left(0x200));
        EXPECT_FALSE(dbx.saveAs(2, dir.file(u"out"_s), u"m.eml"_s));
        EXPECT_FALSE(QFile::exists(dir.file(u"out/m.eml"_s)))
            << "no half-written file is left behind";
    }
}

// Index first and message data last, so that cuts fall in the header fields, the node, the
// objects and on both sides of every block boundary.
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
    b.setRoot(root);
    b.setCount(3);
    for (quint32 len = 0; len <= b.size(); len += 97)
        cuts << len;
    for (quint32 len = 0xC0; len < 0xEC; ++len)
        cuts << len;
    for (quint32 len = root - 2; len <= indexEnd + 2; ++len)
        cuts << len;
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
        }
    }
}
