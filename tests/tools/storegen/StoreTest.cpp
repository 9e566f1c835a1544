// Generated stores through the folder-list readers and undbx; damaged files, read as far as whole.
#include "FoldersDbxWriter.h"
#include "MbxWriter.h"
#include "MessageGenerator.h"
#include "NchWriter.h"
#include "StoreBuilder.h"
#include "Undbx.h"
#include "msgstore/FoldersDbxReader.h"
#include "msgstore/FoldersNchReader.h"
#include "msgstore/MbxFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace kv::storegen;
using namespace kv::msgstore;
using namespace kv::test;

namespace {

// Words written over a generated file, which is then cut to `keep` bytes (-1: not cut).
struct Damage
{
    QList<QPair<quint32, quint32>> words;
    qsizetype keep = -1;
    QByteArray apply(QByteArray bytes) const
    {
        for (const auto& [at, value] : words)
            qToLittleEndian(value, bytes.data() + at);
        return keep < 0 ? bytes : bytes.left(keep);
    }
};

} // namespace

// A folder list whose root has children (more folders than one node holds), and undbx's messages.
TEST(Store, Oe5StoreReadsBack)
{
    TempDir dir;
    StoreSummary sum;
    StoreBuilder builder(21, {.messagesPerFolder = 4, .inboxMessages = 9, .userFolders = 20});
    ASSERT_TRUE(builder.writeOe5(dir.path(), &sum)) << builder.error().toStdString();
    ASSERT_GT(sum.folders.size(), 51);
    FoldersDbxReader folders;
    ASSERT_TRUE(folders.read(dir.file(u"Folders.dbx"_s))) << folders.lastError().toStdString();
    std::vector<QByteArray> expected;
    const MessageGenerator gen(21);
    const QString lower = dir.file(u"lower"_s);
    QDir().mkpath(lower);
    for (const StoreFolder& f : sum.folders) {
        SCOPED_TRACE(f.name.toStdString());
        const auto& list = folders.folders();
        const auto r = std::find_if(list.begin(), list.end(),
                                    [&](const auto& r) { return r.folderNumber == f.number; });
        ASSERT_NE(r, list.end());
        EXPECT_EQ(r->name + r->fileName, f.name + f.fileName);
        for (int i = 0; i < f.messages; ++i)
            expected.push_back(gen.message(expected.size()).raw);
        // undbx takes only lower-case "*.dbx" names in folder mode.
        if (!f.fileName.isEmpty())
            QFile::copy(dir.file(f.fileName), lower + u"/%1.dbx"_s.arg(f.number));
    }
    if (!undbxAvailable())
        GTEST_SKIP() << "undbx not installed";
    EXPECT_EQ(undbxDigests(lower, dir.file(u"out"_s)), digests(expected));
}

TEST(MbxReader, DamagedFiles)
{
    const MessageGenerator gen(3);
    TempDir dir;
    const QString path = dir.file(u"f.mbx"_s);
    ASSERT_TRUE(MbxWriter::write(path, {}, {{gen.message(0)}, {gen.message(1)}, {gen.message(2)}}));
    const QByteArray good = readFile(path);
    const quint32 second = 0x54 + qFromLittleEndian<quint32>(good.constData() + 0x54 + 8);
    const quint32 third = second + qFromLittleEndian<quint32>(good.constData() + second + 8);
    const quint32 noEnd = 0x7FFFFFFF;
    // Opens?, the message that reads as an error (0: none), the messages the scan found.
    const std::tuple<const char*, Damage, bool, qint32, qint32> cases[] = {
        {"intact", {}, true, 0, 3},
        {"empty folder", {{{8, 0}}, 0x54}, true, 0, 0},
        {"shorter than its header", {{}, 0x50}, false, 0, 0},
        {"record header cut off", {{}, second + 10}, false, 0, 0},
        {"count beyond the records", {{{8, 4}, {16, noEnd}}}, false, 0, 0},
        {"record shorter than its header", {{{0x54 + 8, 8}}}, true, 1, 1},
        {"negative record length", {{{second + 8, 0xFFFFFF00}}}, true, 2, 2},
        {"record text past the end", {{{third + 8, 0xFFFFF0}, {16, noEnd}}}, true, 3, 3},
        {"end of data stops the scan", {{{16, second + 1}}}, true, 0, 2},
    };
    for (const auto& [name, damage, opens, damaged, reached] : cases) {
        SCOPED_TRACE(name);
        QFile::remove(path);
        dir.write(u"f.mbx"_s, damage.apply(good));
        MbxFile reader;
        ASSERT_EQ(reader.open(path), opens) << reader.lastError().toStdString();
        if (!opens) {
            EXPECT_FALSE(reader.isOpen());
            EXPECT_FALSE(reader.lastError().isEmpty());
            continue;
        }
        for (qint32 n = 1; n <= reader.messageCount(); ++n) {
            SCOPED_TRACE(n);
            bool ok = false;
            const QByteArray text = reader.message(n, &ok);
            EXPECT_EQ(ok, n != damaged);
            EXPECT_EQ(text.isEmpty(), n == damaged || n > reached);
            EXPECT_EQ(reader.saveAs(n, dir.file(u"out"_s), u"m.eml"_s), n != damaged);
        }
        EXPECT_TRUE(reader.atEnd());
    }
}

// The chain, not the file order, gives the folders; texts end at their first NUL without
// trailing blanks; an order of 65535 reads as 4.
TEST(NchReader, ChainsWholeAndDamaged)
{
    TempDir dir;
    const QString path = dir.file(u"folders.nch"_s);
    ASSERT_TRUE(NchWriter::write(path, {{1, 0, "Inbox", "Inbox", 1},
                                        {2, 1, "Sub folder   ", QByteArray("sub\0old", 7), 0xFFFF},
                                        {0, 0, "", "", 0},
                                        {3, 0, "Caf\xE9", "Cafe", 3}}));
    const QByteArray good = readFile(path);
    auto at = [](quint32 i) { return NchWriter::kHeaderSize + i * NchWriter::kRecordSize; };
    const QStringList whole = {"1 0 Inbox|Inbox 1", "2 1 Sub folder|sub 4", "0 0 | 0",
                               u"3 0 Caf\u00e9|Cafe 3"_s};
    // Each folder as "number parent name|file order"; {"fails"} when the read fails.
    const std::tuple<const char*, Damage, QStringList> cases[] = {
        {"whole chain", {}, whole},
        {"out of file order",
         {{{20, at(3)}, {at(3) + 12, at(0)}, {16, at(1)}}},
         {whole[3], whole[0], whole[1]}},
        {"stops at the header's last record", {{{16, at(1)}}}, whole.mid(0, 2)},
        {"next offset 0 ends the chain", {{{16, 0}}}, whole},
        {"no first record", {{{20, 0}}}, {}},
        {"loops", {{{16, 0}, {at(3) + 12, at(1)}}}, {"fails"}},
        {"next record past the end", {{{16, 0}, {at(3) + 12, 0x7FFFFF00}}}, {"fails"}},
        {"cut inside the last record", {{}, at(3) + 500}, {"fails"}},
        {"cut inside the header", {{}, 20}, {"fails"}},
    };
    for (const auto& [name, damage, folders] : cases) {
        SCOPED_TRACE(name);
        QFile::remove(path);
        dir.write(u"folders.nch"_s, damage.apply(good));
        FoldersNchReader reader;
        const bool ok = reader.read(path);
        QStringList got;
        for (const auto& f : reader.folders())
            got << u"%1 %2 %3|%4 %5"_s.arg(f.folderNumber)
                       .arg(f.parentNumber)
                       .arg(f.name, f.fileName)
                       .arg(f.order);
        if (!ok) {
            EXPECT_FALSE(reader.lastError().isEmpty());
            got = QStringList{u"fails"_s};
        }
        EXPECT_EQ(got, folders);
    }
}

TEST(FoldersDbxReader, DamagedLists)
{
    TempDir dir;
    const QString path = dir.file(u"Folders.dbx"_s);
    ASSERT_TRUE(FoldersDbxWriter::write(path, FoldersDbxWriter::standardFolders(), 0));
    const QByteArray good = readFile(path);
    const quint32 root = qFromLittleEndian<quint32>(good.constData() + 0xEC);
    // A count above the records makes the reader follow the entries' children.
    const std::pair<const char*, Damage> cases[] = {
        {"intact", {}},
        {"root past the end", {{{0xEC, 0x7FFFFFF0}}}},
        {"record past the end", {{{root + 24, 0xFFFFFF00}}}},
        {"child is the root", {{{0xCC, 9}, {root + 28, root}}}},
        {"leading child past the end", {{{root + 8, 0xFFFFFF00}}}},
        {"cut inside the root", {{}, root + 30}},
        {"cut inside the header", {{}, 0xD0}},
    };
    for (const auto& [name, damage] : cases) {
        SCOPED_TRACE(name);
        QFile::remove(path);
        dir.write(u"Folders.dbx"_s, damage.apply(good));
        FoldersDbxReader reader;
        const bool intact = damage.words.isEmpty() && damage.keep < 0;
        ASSERT_EQ(reader.read(path), intact);
        EXPECT_EQ(reader.lastError().isEmpty(), intact);
        EXPECT_TRUE(!intact || reader.folders().size() == 6) << "all but the store's own object";
    }
}
