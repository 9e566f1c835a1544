// Whole generated stores through the program's folder-list and message readers and undbx:
// every folder is listed with its parent and file, every file holds its folder's messages.
#include "MessageGenerator.h"
#include "StoreBuilder.h"
#include "Undbx.h"
#include "msgstore/DbxFile.h"
#include "msgstore/FoldersDbxReader.h"
#include "msgstore/FoldersNchReader.h"
#include "msgstore/MbxFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace kv::storegen;
using namespace kv::msgstore;
using namespace kv::test;

namespace {

template <class Record> const Record* findNumber(const QList<Record>& records, int number)
{
    const auto it = std::find_if(records.begin(), records.end(),
                                 [&](const Record& r) { return r.folderNumber == number; });
    return it == records.end() ? nullptr : &*it;
}

} // namespace

// Nested folders, a news account with its groups, more folders than one index node holds, so
// that the folder list's root has children, and an Inbox of its own size.
TEST(Store, Oe5StoreReadsBack)
{
    TempDir dir;
    const StoreShape shape{.messagesPerFolder = 4, .inboxMessages = 9, .userFolders = 20};
    StoreSummary sum;
    StoreBuilder builder(21, shape);
    ASSERT_TRUE(builder.writeOe5(dir.path(), &sum)) << builder.error().toStdString();

    ASSERT_GT(sum.folders.size(), 51);
    FoldersDbxReader folders;
    ASSERT_TRUE(folders.read(dir.file(u"Folders.dbx"_s))) << folders.lastError().toStdString();
    int withoutFile = 0, news = 0;
    std::vector<QByteArray> expected;
    const MessageGenerator gen(21);
    std::uint64_t next = 0;
    const QString lower = dir.file(u"lower"_s);
    QDir().mkpath(lower);
    for (const StoreFolder& f : sum.folders) {
        SCOPED_TRACE(f.name.toStdString());
        const DbxFolderRecord* r = findNumber(folders.folders(), f.number);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->name, f.name);
        EXPECT_EQ(r->fileName, f.fileName);
        // A top-level node has no parent word, so its second property is another one.
        if (f.parentNumber != 0) {
            EXPECT_EQ(r->parentNumber, f.parentNumber);
        }
        news += f.news;
        if (f.name == u"Inbox"_s) {
            EXPECT_EQ(f.messages, shape.inboxMessages);
        }
        for (int i = 0; i < f.messages; ++i)
            expected.push_back(gen.message(next++).raw);
        if (f.fileName.isEmpty()) {
            ++withoutFile;
            continue;
        }
        DbxFile messages;
        ASSERT_TRUE(messages.open(dir.file(f.fileName)));
        EXPECT_EQ(messages.messageCount(), f.messages);
        // undbx takes only lower-case "*.dbx" names in folder mode.
        QFile::copy(dir.file(f.fileName), lower + u"/%1.dbx"_s.arg(f.number));
    }
    EXPECT_EQ(withoutFile, 3) << "a mail folder and a newsgroup never opened, the news account";
    EXPECT_EQ(news, 1 + shape.newsgroups + 1);

    if (!undbxAvailable())
        GTEST_SKIP() << "undbx not installed";
    EXPECT_EQ(undbxDigests(lower, dir.file(u"out"_s)), digests(expected));
}

// folders.nch lists each mail folder with its parent; the message files hold the counts; one
// folder lost its .idx.
TEST(Store, Oe4StoreReadsBack)
{
    TempDir dir;
    StoreBuilder builder(8);
    StoreSummary sum;
    ASSERT_TRUE(builder.writeOe4(dir.path(), &sum)) << builder.error().toStdString();
    FoldersNchReader folders;
    ASSERT_TRUE(folders.read(dir.file(u"Mail/folders.nch"_s))) << folders.lastError().toStdString();
    int mailFolders = 0, missingIndex = 0;
    for (const StoreFolder& f : sum.folders) {
        SCOPED_TRACE(f.name.toStdString());
        if (f.news)
            continue;
        ++mailFolders;
        const NchFolderRecord* r = findNumber(folders.folders(), f.number);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->name, f.name);
        EXPECT_EQ(r->parentNumber, f.parentNumber);
        if (f.fileName.isEmpty())
            continue;
        EXPECT_EQ(r->fileName + u".mbx"_s, f.fileName);
        MbxFile messages;
        ASSERT_TRUE(messages.open(dir.file(u"Mail/"_s + f.fileName)));
        EXPECT_EQ(messages.messageCount(), f.messages);
        const QString idx = dir.file(u"Mail/"_s + r->fileName + u".idx"_s);
        EXPECT_EQ(QFileInfo::exists(idx), f.hasIndex);
        missingIndex += !f.hasIndex;
    }
    EXPECT_EQ(folders.folders().size(), mailFolders + 1) << "and the slot of a deleted folder";
    EXPECT_EQ(missingIndex, 1);
}
