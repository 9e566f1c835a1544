// The generator against files the client wrote: given the same content, it writes what the
// client wrote, as far as the program reads it.
#include "DbxMessageWriter.h"
#include "FoldersDbxWriter.h"
#include "Pop3UidlWriter.h"
#include "msgstore/FoldersDbxReader.h"
#include "support/TempDir.h"

#include <functional>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace kv::storegen;
using kv::msgstore::DbxFolderRecord;
using kv::msgstore::FoldersDbxReader;
using namespace kv::test;

namespace {

// Each folder of a folder-list tree as "number parent name [file name] [root] [news]".
QStringList describe(const QString& path, quint32 countAt, quint32 rootAt)
{
    FoldersDbxReader reader;
    EXPECT_TRUE(reader.read(path, countAt, rootAt)) << reader.lastError().toStdString();
    QStringList out;
    for (const DbxFolderRecord& r : reader.folders()) {
        QStringList parts = {QString::number(r.folderNumber),
                             QString::number(r.parentNumber),
                             r.name,
                             r.fileName,
                             r.isStoreRoot() ? u"root"_s : QString(),
                             r.hasNewsMark() ? u"news"_s : QString()};
        parts.removeAll(QString());
        out << parts.join(QLatin1Char(' '));
    }
    return out;
}

} // namespace

TEST(ClientSamples, EmptyFilesAreByteForByteTheClients)
{
    const std::pair<const char*, std::function<bool(const QString&)>> cases[] = {
        {"dzw_Outbox.dbx",
         [](const QString& path) {
             DbxMessageWriter::Options o;
             o.specialFolder = SpecialFolder::Outbox;
             return DbxMessageWriter::write(path, "Outbox", {}, o);
         }},
        {"dzw_Offline.dbx",
         [](const QString& path) { return Pop3UidlWriter::writeEmptyOffline(path); }},
    };
    for (const auto& [sample, write] : cases) {
        SCOPED_TRACE(sample);
        TempDir dir;
        const QString path = dir.file(u"new.dbx"_s);
        ASSERT_TRUE(write(path));
        EXPECT_EQ(readFile(path), readFile(samplePath(u"dbx/"_s + QLatin1String(sample))));
    }
}

// The real folder list, and the same folders written by the generator, read by the inventory's
// reader from the subscribed folders' tree and from the tree of all objects. The news mark is
// the flags word in fourth place, where a folder with a file has its file name: the accounts,
// Local Folders and the folders never opened carry it, the Inbox (whose file name starts at 6,
// the value an older reading took for the mark) and the Outbox do not.
TEST(ClientSamples, FolderListReadsAsTheClientsOwn)
{
    std::vector<DbxFolder> folders = FoldersDbxWriter::standardFolders();
    for (DbxFolder& f : folders) {
        if (f.special == SpecialFolder::Inbox)
            f.messageCount = 1;
        if (f.special >= SpecialFolder::SentItems)
            f.fileName.clear(); // never opened
    }
    DbxFolder hotmail;
    hotmail.id = 9;
    hotmail.name = "Hotmail";
    hotmail.accountId = "00000001";
    hotmail.flags = 0x10040029;
    hotmail.type = DbxFolder::StoreType::HttpMail;
    folders.push_back(hotmail);
    TempDir dir;
    const QString ours = dir.file(u"Folders.dbx"_s);
    ASSERT_TRUE(FoldersDbxWriter::write(ours, folders, 0));
    const QString real = samplePath(u"dbx/dzw_Folders.dbx"_s);

    const QStringList subscribed = {
        "9 0 Hotmail news",  "1 0 Local Folders news", "7 1 Deleted Items news",
        "8 1 Drafts news",   "4 1 Inbox Inbox.dbx",    "5 1 Outbox Outbox.dbx",
        "6 1 Sent Items news"};
    EXPECT_EQ(describe(real, 0xCC, 0xEC), subscribed);
    EXPECT_EQ(describe(ours, 0xCC, 0xEC), subscribed);
    const QStringList all = describe(real, 0xC4, 0xE4);
    ASSERT_EQ(all.size(), 8);
    EXPECT_EQ(all.filter(u" root"_s).size(), 1);
    EXPECT_TRUE(all[0].endsWith(QLatin1String(" root"))) << all[0].toStdString();
    EXPECT_EQ(describe(ours, 0xC4, 0xE4), all);
}
