// The folder part of the inventory, on the client's own files and on generated stores.
#include "InventoryTestEnv.h"

#include "FoldersDbxWriter.h"

#include "msgstore/FoldersDbxReader.h"
#include "shell/Strings.h"
#include "support/RequiredPrograms.h"
#include "tools/storegen/Undbx.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using storegen::StoreFolder;
using storegen::StoreShape;
using storegen::StoreSummary;

// The client's own folder list: the news mark makes its mail account a server node.
TEST(InventoryFolders, ClientSampleStore)
{
    KV_REQUIRE_PROGRAMS("undbx");
    InventoryTestEnv env;
    env.state.oe5Mode = true;
    env.state.env.storeFolder = InventoryTestEnv::kStore;
    for (const char* name : {"Folders", "Inbox", "Outbox"})
        env.copyIntoStore(samplePath(QStringLiteral("dbx/dzw_%1.dbx").arg(name)),
                          QLatin1String(name) + QStringLiteral(".dbx"));
    ASSERT_TRUE(env.buildFolders());

    TempDir out;
    const auto inbox = undbxDigests(env.host(env.state.env.storeFolder + "Inbox.dbx"), out.path());
    EXPECT_EQ(env.rows(), QStringList({"[ ] Hotmail|3", "[-]  Local Folders|1",
                                       QString("  [x] Inbox|2|%1|Inbox.dbx").arg(inbox.size()),
                                       "  [x] Outbox|2|0|Outbox.dbx", "  [-] Sent Items|6",
                                       "  [-] Deleted Items|6", "  [-] Drafts|6"}));
    EXPECT_EQ(inbox.size(), 1u);
    EXPECT_EQ(env.grid.backColor(1), itemcolor::News);
    EXPECT_EQ(env.totals.selectedCount, 2);
}

// The listing itself is the inventory command's test; here, what the options and a lost file do.
TEST(InventoryFolders, GeneratedVersion5Stores)
{
    for (const bool excludeNews : {false, true}) {
        SCOPED_TRACE(excludeNews);
        InventoryTestEnv env;
        StoreSummary summary;
        env.oe5({}, &summary);
        env.removeFromStore("Projects.dbx"); // the folder stays, greyed
        env.state.excludeNews = excludeNews;
        ASSERT_TRUE(env.buildFolders());
        for (const StoreFolder& f : summary.folders) {
            SCOPED_TRACE(f.name.toStdString());
            const int row = env.grid.findCell(cell::FolderNo, folderNumberText(f.number), 1);
            ASSERT_EQ(row >= 0, !(f.news && excludeNews));
            if (row < 0)
                continue;
            const bool hasFile = !f.fileName.isEmpty() && f.fileName != "Projects.dbx";
            EXPECT_EQ(itemCount(env.grid, row), hasFile ? f.messages : 0);
            EXPECT_EQ(env.grid.checkState(row) == kSelected, hasFile);
        }
        EXPECT_EQ(env.grid.childCount(0), excludeNews ? 1 : 2);
    }
}

// The mark is the fourth property's identifier, not its value's low byte (the file name's offset).
TEST(InventoryFolders, NewsMarkIsTheFlagsWordNotAFileNameOffset)
{
    InventoryTestEnv env;
    env.oe5({});
    const QString generated = env.host(InventoryTestEnv::kStore + "Folders.dbx");
    const QString sample = samplePath("dbx/dzw_Folders.dbx");
    const std::tuple<QString, QString, bool> cases[] = {{generated, "news.example.com", true},
                                                        {generated, "de.comp.misc", true},
                                                        {generated, "alt.test", false},
                                                        {sample, "Inbox", false},
                                                        {sample, "Local Folders", true}};
    for (const auto& [path, folder, news] : cases) {
        msgstore::FoldersDbxReader reader;
        ASSERT_TRUE(reader.read(path));
        const auto it = std::find_if(reader.folders().begin(), reader.folders().end(),
                                     [&](const auto& r) { return r.name == folder; });
        ASSERT_NE(it, reader.folders().end());
        EXPECT_EQ(it->hasNewsMark(), news) << folder.toStdString();
    }
}

// Version 4: sizes include ".idx", news totals its files; NextID bounds the account walk.
TEST(InventoryFolders, GeneratedVersion4Stores)
{
    InventoryTestEnv env;
    StoreSummary summary;
    env.oe4({}, &summary);
    const QString accounts = "Software\\Microsoft\\Internet Account Manager\\Accounts";
    env.registry.setDword(platform::Hive::CurrentUser, accounts, "NextID", 11);
    env.setUser(accounts + "\\0000000a", "Account Name", "news.example.com");
    env.setUser(accounts + "\\0000000a", "NNTP Data Directory", summary.newsDirectory);
    ASSERT_TRUE(env.buildFolders());
    qint64 newsBytes = 0;
    for (const StoreFolder& f : summary.folders) {
        if (f.news)
            newsBytes +=
                QFileInfo(env.host(InventoryTestEnv::kOe4Root + u'\\' + f.fileName)).size();
        if (f.news || f.fileName.isEmpty())
            continue;
        const QString mbx = env.host(env.state.env.storeFolder + f.fileName);
        const qint64 idx = f.hasIndex ? QFileInfo(mbx.chopped(3) + "idx").size() : 0;
        EXPECT_EQ(itemFileSize(env.grid, env.rowOfFile(f.fileName)), QFileInfo(mbx).size() + idx)
            << f.name.toStdString();
    }
    const int news = env.grid.findCell(cell::Type, "20");
    ASSERT_GE(news, 0);
    EXPECT_EQ(itemFileSize(env.grid, news), newsBytes);
}

// Remembered states (also the 16-bit True) win; a new folder starts selected.
TEST(InventoryFolders, RememberedStates)
{
    InventoryTestEnv env;
    env.oe5({4, 1, 1, false, 0});
    env.state.rememberedNames = {"Inbox.dbx", "Outbox.dbx", "Projects.dbx", "Sent Items.dbx"};
    env.state.rememberedFlags = {0, 65535, 2, 1};
    ASSERT_TRUE(env.buildFolders());
    QList<int> states;
    for (const char* file :
         {"Inbox.dbx", "Outbox.dbx", "Projects.dbx", "Sent Items.dbx", "Drafts.dbx"})
        states << env.grid.checkState(env.rowOfFile(file));
    EXPECT_EQ(states, (QList<int>{kNotSelected, kSelected, kNotSelected, kSelected, kSelected}));
}

// Parents that loop or are missing must not drop folders out of the backup.
TEST(InventoryFolders, ParentsThatLoopOrAreMissing)
{
    InventoryTestEnv env;
    env.oe5({2, 0, 0, false, 0});
    std::vector<storegen::DbxFolder> folders = storegen::FoldersDbxWriter::standardFolders();
    const std::tuple<std::uint32_t, std::int32_t, const char*> added[] = {
        {20, 21, "Loop A"}, {21, 20, "Loop B"}, {22, 99, "Orphan"}, {23, 22, "Orphan Child"}};
    for (const auto& [id, parent, name] : added) {
        folders.emplace_back();
        std::tie(folders.back().id, folders.back().parent, folders.back().name) =
            std::tie(id, parent, name);
    }
    ASSERT_TRUE(storegen::FoldersDbxWriter::write(
        env.host(InventoryTestEnv::kStore + "Folders.dbx"), folders, 0));
    ASSERT_TRUE(env.buildFolders());
    const int a = env.grid.findCell(cell::Display, "Loop A", 1);
    const int b = env.grid.findCell(cell::Display, "Loop B", 1);
    const int orphan = env.grid.findCell(cell::Display, "Orphan", 1);
    ASSERT_TRUE(a > 0 && b > 0 && orphan > 0);
    // The loop is cut once: one of its folders at the top, the other below it.
    EXPECT_TRUE((env.grid.parentRow(a) == 0 && env.grid.parentRow(b) == a) ||
                (env.grid.parentRow(b) == 0 && env.grid.parentRow(a) == b));
    EXPECT_EQ(env.grid.parentRow(orphan), 0);
    EXPECT_EQ(itemKind(env.grid, orphan), int(ItemKind::MailFolderNoFile));
    const int child = env.grid.findCell(cell::Display, "Orphan Child", 1);
    EXPECT_EQ(env.grid.cell(env.grid.parentRow(child), cell::Display), "Orphan");
}

// Missing and damaged folder lists give their message; a damaged message file keeps its row.
TEST(InventoryFolders, MissingAndDamagedFiles)
{
    const struct
    {
        const char* file;
        qint64 size;                     // cut to this size, -1: removed
        std::optional<StringId> message; // none: the inventory succeeds
    } cases[] = {{"Folders.dbx", -1, StringId::NoDbxIndex},
                 {"folders.nch", -1, StringId::NoNchIndex},
                 {"Folders.dbx", 0x100, StringId::DamagedDbxIndex},
                 {"folders.nch", 600, StringId::DamagedNchIndex},
                 {"Inbox.dbx", 0x200, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        InventoryTestEnv env;
        c.file == QLatin1String("folders.nch") ? env.oe4({}) : env.oe5({});
        if (c.size < 0)
            env.removeFromStore(c.file);
        else
            QFile::resize(env.host(env.state.env.storeFolder + c.file), c.size);
        const bool ok = !c.message;
        EXPECT_EQ(env.buildFolders(), ok);
        EXPECT_EQ(env.ui.messages(), ok ? QStringList() : QStringList{Strings::get(*c.message)});
        if (ok) {
            const int inbox = env.rowOfFile("Inbox.dbx");
            ASSERT_GE(inbox, 0);
            EXPECT_EQ(env.grid.cell(inbox, cell::Counts), QString());
            EXPECT_EQ(env.grid.checkState(inbox), kSelected);
        }
    }
}

} // namespace
} // namespace kv::test
