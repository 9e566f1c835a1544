#include "DbxWalk.h"
#include "Undbx.h"

#include "MessageGenerator.h"
#include "StoreBuilder.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kv::storegen;
using kv::test::DbxWalk;

namespace {

std::uint32_t u32(const QByteArray& b, qsizetype at)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | std::uint8_t(b.at(at + i));
    return v;
}

QStringList filesBelow(const QString& root)
{
    QStringList out;
    QDir d(root);
    for (const QFileInfo& fi : d.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        if (fi.isDir())
            for (const QString& f : filesBelow(fi.filePath()))
                out << fi.fileName() + QLatin1Char('/') + f;
        else
            out << fi.fileName();
    }
    return out;
}

} // namespace

// The whole OE5 store: the folder index names every folder with its parent, file and counts,
// each message file holds its folder's messages, and undbx reads the whole store folder.
TEST(StoreBuilder, Oe5StoreIsConsistentAndReadable)
{
    kv::test::TempDir dir;
    StoreShape shape;
    shape.messagesPerFolder = 6;
    StoreBuilder b(21, shape);
    StoreSummary sum;
    ASSERT_TRUE(b.writeOe5(dir.path(), &sum)) << b.error().toStdString();

    DbxWalk index = DbxWalk::load(dir.file(QStringLiteral("Folders.dbx")));
    const auto records = index.walk(0);
    ASSERT_TRUE(index.error().isEmpty()) << index.error().toStdString();
    // Store root and Local Folders come on top of the listed folders.
    ASSERT_EQ(records.size(), size_t(sum.folders.size() + 2));
    int withoutFile = 0, news = 0;
    for (const StoreFolder& f : sum.folders) {
        SCOPED_TRACE(f.name.toStdString());
        const DbxWalk::Record* rec = nullptr;
        std::vector<DbxWalk::Record> all;
        for (std::uint32_t off : records)
            all.push_back(index.record(off));
        for (const auto& r : all)
            if (r.intValue(0x00) == std::uint32_t(f.number))
                rec = &r;
        ASSERT_TRUE(rec);
        EXPECT_EQ(rec->text(0x02), f.name.toLatin1());
        EXPECT_EQ(rec->intValue(0x01), std::uint32_t(f.parentNumber));
        EXPECT_EQ(rec->text(0x03), f.fileName.toLatin1());
        EXPECT_EQ(rec->intValue(0x07), std::uint32_t(f.messages));
        news += f.news;
        if (f.fileName.isEmpty()) {
            ++withoutFile;
            continue;
        }
        DbxWalk msgs = DbxWalk::load(dir.file(f.fileName));
        EXPECT_EQ(msgs.count(0), std::uint32_t(f.messages));
        EXPECT_EQ(msgs.walk(0).size(), size_t(f.messages));
        EXPECT_EQ(msgs.bytes().mid(0x24BC + 0x105, f.name.size()), f.name.toLatin1());
    }
    EXPECT_EQ(withoutFile, 3) << "a mail folder and a newsgroup never opened, the news account";
    EXPECT_EQ(news, 1 + shape.newsgroups + 1);
    EXPECT_EQ(DbxWalk::load(dir.file(QStringLiteral("pop3uidl.dbx"))).count(0),
              std::uint32_t(2 * shape.messagesPerFolder));

    if (!kv::test::undbxAvailable())
        GTEST_SKIP() << "undbx not installed";
    // undbx takes only lower-case "*.dbx" names in folder mode; give it a copy so named.
    const QString lower = dir.file(QStringLiteral("lower"));
    QDir().mkpath(lower);
    std::vector<QByteArray> expected;
    const MessageGenerator gen(21);
    std::uint64_t index2 = 0;
    for (const StoreFolder& f : sum.folders) {
        if (!f.fileName.isEmpty())
            QFile::copy(dir.file(f.fileName), lower + QLatin1Char('/') + QString::number(f.number) + QStringLiteral(".dbx"));
        for (int i = 0; i < f.messages; ++i)
            expected.push_back(gen.message(index2++).raw);
    }
    QString err;
    EXPECT_EQ(kv::test::undbxDigests(lower, dir.file(QStringLiteral("out")), &err), kv::test::digests(expected));
}

TEST(StoreBuilder, SameSeedWritesIdenticalStores)
{
    kv::test::TempDir a, b, c;
    ASSERT_TRUE(StoreBuilder(5).writeOe5(a.path()));
    ASSERT_TRUE(StoreBuilder(5).writeOe5(b.path()));
    ASSERT_TRUE(StoreBuilder(6).writeOe5(c.path()));
    const QStringList files = filesBelow(a.path());
    ASSERT_EQ(files, filesBelow(b.path()));
    for (const QString& f : files)
        EXPECT_EQ(kv::test::readFile(a.file(f)), kv::test::readFile(b.file(f))) << f.toStdString();
    EXPECT_NE(kv::test::readFile(a.file(QStringLiteral("Inbox.dbx"))),
              kv::test::readFile(c.file(QStringLiteral("Inbox.dbx"))));

    kv::test::TempDir d, e;
    ASSERT_TRUE(StoreBuilder(5).writeOe4(d.path()));
    ASSERT_TRUE(StoreBuilder(5).writeOe4(e.path()));
    for (const QString& f : filesBelow(d.path()))
        EXPECT_EQ(kv::test::readFile(d.file(f)), kv::test::readFile(e.file(f))) << f.toStdString();
}

// The OE4 store: folders.nch lists each folder with its .mbx name; the message files hold
// the counts; one folder lost its .idx; news lives in its own folder.
TEST(StoreBuilder, Oe4StoreMatchesItsIndex)
{
    kv::test::TempDir dir;
    StoreBuilder b(8);
    StoreSummary sum;
    ASSERT_TRUE(b.writeOe4(dir.path(), &sum)) << b.error().toStdString();
    const QByteArray nch = kv::test::readFile(dir.file(QStringLiteral("Mail/folders.nch")));
    ASSERT_GE(nch.size(), 24);
    QStringList names;
    int freeSlots = 0;
    for (std::uint32_t at = u32(nch, 20), guard = 0; guard < 100; ++guard) {
        const int number = std::uint8_t(nch[at + 16]) | (std::uint8_t(nch[at + 17]) << 8);
        if (number == 0)
            ++freeSlots;
        else
            names << QString::fromLatin1(nch.mid(at + 20, 259).constData());
        if (at == u32(nch, 16))
            break;
        at = u32(nch, at + 12);
    }
    EXPECT_EQ(freeSlots, 1);
    int mailFolders = 0, missingIdx = 0;
    for (const StoreFolder& f : sum.folders) {
        if (f.news) {
            EXPECT_TRUE(QFileInfo::exists(dir.file(f.fileName))) << f.fileName.toStdString();
            continue;
        }
        ++mailFolders;
        EXPECT_TRUE(names.contains(f.name)) << f.name.toStdString();
        if (f.fileName.isEmpty())
            continue;
        const QByteArray mbx = kv::test::readFile(dir.file(QStringLiteral("Mail/") + f.fileName));
        ASSERT_GE(mbx.size(), 0x54);
        EXPECT_EQ(u32(mbx, 8), std::uint32_t(f.messages));
        const QString idx = dir.file(QStringLiteral("Mail/") + f.fileName.chopped(4) + QStringLiteral(".idx"));
        EXPECT_EQ(QFileInfo::exists(idx), f.hasIndex);
        missingIdx += !f.hasIndex;
    }
    EXPECT_EQ(names.size(), mailFolders);
    EXPECT_EQ(missingIdx, 1);
    EXPECT_FALSE(sum.newsDirectory.isEmpty());
}
