#include "DbxWalk.h"

#include "FoldersDbxWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace kv::storegen;
using kv::test::DbxWalk;

namespace {

// The folders of the real folder index in the samples, described as a caller would.
std::vector<DbxFolder> sampleFolders()
{
    std::vector<DbxFolder> v = FoldersDbxWriter::standardFolders();
    for (DbxFolder& f : v) {
        if (f.name == "Inbox")
            f.messageCount = 1;
        if (f.special >= 3)
            f.fileName.clear(); // Sent Items, Deleted Items, Drafts: never opened
    }
    DbxFolder hotmail;
    hotmail.id = 9;
    hotmail.name = "Hotmail";
    hotmail.accountId = "00000001";
    hotmail.flags = 0x10040029;
    hotmail.type = DbxFolder::HttpMail;
    v.push_back(hotmail);
    return v;
}

// The used part of a record's data area: up to the end of its last indirect value. What
// follows is fill, which the client leaves holding stale bytes.
QByteArray usedData(const DbxWalk::Record& r)
{
    qsizetype end = 0;
    for (const DbxWalk::Attr& a : r.attrs) {
        if (a.id & 0x80)
            continue;
        const bool isInt = a.id == 0x00 || a.id == 0x01 || (a.id >= 0x06 && a.id <= 0x0A);
        const qsizetype size = isInt ? 4 : r.data.indexOf('\0', a.value) + 1 - qsizetype(a.value);
        end = std::max(end, qsizetype(a.value) + size);
    }
    return r.data.left(end);
}

std::string describe(const DbxWalk::Record& r)
{
    std::string s;
    for (const DbxWalk::Attr& a : r.attrs)
        s += QStringLiteral("%1:%2 ").arg(a.id, 2, 16, QLatin1Char('0')).arg(a.value, 0, 16).toStdString();
    return s + "| " + usedData(r).toHex(' ').toStdString();
}

} // namespace

// Regenerating the folders of the real index must give the same records in the same order in
// all three trees: the same attributes, direct and indirect alike, the same data areas.
TEST(FoldersDbx, RegeneratedSampleIndexMatchesTheRealOne)
{
    kv::test::TempDir dir;
    DbxWalk real = DbxWalk::load(kv::test::copySample(dir, QStringLiteral("dbx/dzw_Folders.dbx")));
    const std::uint64_t created = (std::uint64_t(real.u32(0x24BC + 4)) << 32) | real.u32(0x24BC);
    const QString path = dir.file(QStringLiteral("Folders.dbx"));
    QString err;
    ASSERT_TRUE(FoldersDbxWriter::write(path, sampleFolders(), created, &err)) << err.toStdString();
    DbxWalk ours = DbxWalk::load(path);

    for (int tree = 0; tree < 3; ++tree) {
        SCOPED_TRACE(tree);
        EXPECT_EQ(ours.count(tree), real.count(tree));
        const auto a = ours.walk(tree);
        const auto b = real.walk(tree);
        ASSERT_TRUE(ours.error().isEmpty()) << ours.error().toStdString();
        ASSERT_EQ(a.size(), b.size());
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(describe(ours.record(a[i])), describe(real.record(b[i]))) << "entry " << i;
    }
    // Header words that describe the file rather than its history.
    for (std::uint32_t at : {0x00u, 0x04u, 0x08u, 0x0Cu, 0x10u, 0x14u, 0x18u, 0x1Cu, 0x24u, 0x28u,
                             0x34u, 0x5Cu, 0x64u, 0x80u, 0x8Cu, 0x108u, 0x10Cu, 0x22F0u, 0x22F4u})
        EXPECT_EQ(ours.u32(at), real.u32(at)) << "header word " << std::hex << at;
    EXPECT_EQ(ours.bytes().mid(0x24BC, 0x108), real.bytes().mid(0x24BC, 0x108)) << "file-info block";
    EXPECT_EQ(ours.bytes().mid(0x25C4, 0x2C), real.bytes().mid(0x25C4, 0x2C)) << "tree filter text";
}

// Nested folders, a news account with its groups and more folders than one node holds:
// every folder reaches every tree it belongs to, the subscribed tree filters on flag bit 0.
TEST(FoldersDbx, ManyNestedFoldersAndNewsKeepTheirTrees)
{
    std::vector<DbxFolder> v = FoldersDbxWriter::standardFolders();
    std::uint32_t id = 9;
    for (int i = 0; i < 70; ++i) {
        DbxFolder f;
        f.id = id++;
        f.parent = i % 2 ? std::int32_t(f.id - 1) : 1;
        f.name = "Folder " + QByteArray::number(i);
        f.fileName = f.name + ".dbx";
        f.messageCount = std::uint32_t(i);
        v.push_back(f);
    }
    DbxFolder server;
    server.id = 100;
    server.name = "news.example.com";
    server.accountId = "00000002";
    server.flags = 0x00040029;
    server.type = DbxFolder::News;
    v.push_back(server);
    DbxFolder group;
    group.id = 101;
    group.parent = 100;
    group.name = "alt.test";
    group.type = DbxFolder::News;
    group.flags = 0; // listed, not subscribed
    v.push_back(group);

    kv::test::TempDir dir;
    const QString path = dir.file(QStringLiteral("Folders.dbx"));
    ASSERT_TRUE(FoldersDbxWriter::write(path, v, 0));
    DbxWalk w = DbxWalk::load(path);
    int depth = 0;
    const auto byId = w.walk(0, &depth);
    ASSERT_TRUE(w.error().isEmpty()) << w.error().toStdString();
    EXPECT_EQ(depth, 2);
    ASSERT_EQ(byId.size(), v.size());
    std::uint32_t last = 0;
    for (size_t i = 0; i < byId.size(); ++i) {
        const DbxWalk::Record r = w.record(byId[i]);
        EXPECT_TRUE(i == 0 || r.intValue(0x00) > last);
        last = r.intValue(0x00);
        if (last == 101) {
            EXPECT_EQ(r.intValue(0x01), 100u);
            EXPECT_FALSE(r.has(0x8A)) << "news nodes carry no store type word";
            EXPECT_FALSE(r.find(0x03)) << "a group never opened has no file name";
        }
        if (last == 100) {
            EXPECT_EQ(r.text(0x05), "00000002");
        }
    }
    EXPECT_EQ(w.walk(1).size(), v.size());
    // All but the store root and the unsubscribed group.
    EXPECT_EQ(w.walk(2).size(), v.size() - 2);
    EXPECT_EQ(w.u32(0x5C), 101u);
}
