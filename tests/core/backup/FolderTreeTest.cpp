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
    const int sent = env.grid.findCell(cell::Display, "Sent Items");
    EXPECT_EQ(env.grid.foreColor(sent), itemcolor::NoFile);
    EXPECT_EQ(env.grid.backColor(1), itemcolor::News);
    EXPECT_EQ(env.grid.picture(0), TreeListModel::Picture::RootOE5);
    EXPECT_EQ(env.totals.itemCount, 7);
    EXPECT_EQ(env.totals.selectedCount, 2);
}

struct Oe5Case
{
    const char* name;
    StoreShape shape;
    bool excludeNews;
    QString missingFile; // removed after generation
};

// Every generated folder where the summary puts it; a folder that lost its file stays, greyed.
TEST(InventoryFolders, GeneratedVersion5Stores)
{
    const Oe5Case cases[] = {
        {"news", {}, false, {}},
        {"exclude news", {}, true, {}},
        {"deep nesting, no news", {8, 2, 5, false, 0}, false, {}},
        {"missing file", {}, false, "Projects.dbx"},
    };
    for (const Oe5Case& c : cases) {
        SCOPED_TRACE(c.name);
        InventoryTestEnv env;
        StoreSummary summary;
        env.oe5(c.shape, &summary);
        if (!c.missingFile.isEmpty())
            env.removeFromStore(c.missingFile);
        env.state.excludeNews = c.excludeNews;
        ASSERT_TRUE(env.buildFolders());

        int listed = 0;
        for (const StoreFolder& f : summary.folders) {
            SCOPED_TRACE(f.name.toStdString());
            const int row = env.grid.findCell(cell::FolderNo, folderNumberText(f.number), 1);
            if (f.news && c.excludeNews) {
                EXPECT_EQ(row, -1);
                continue;
            }
            ASSERT_GE(row, 0);
            ++listed;
            const int parent = env.grid.parentRow(row);
            EXPECT_EQ(env.grid.cell(parent, cell::Display).trimmed(), f.parentName);
            const bool hasFile = !f.fileName.isEmpty() && f.fileName != c.missingFile;
            const bool group = f.news && !f.parentName.isEmpty();
            const ItemKind kind =
                !f.parentName.isEmpty() || !f.news
                    ? (hasFile ? (group ? ItemKind::NewsGroup : ItemKind::MailFolder)
                               : (group ? ItemKind::NewsGroupNoFile : ItemKind::MailFolderNoFile))
                    : ItemKind::NewsServer;
            EXPECT_EQ(itemKind(env.grid, row), int(kind));
            EXPECT_EQ(env.grid.cell(row, cell::MbxName), hasFile ? f.fileName : QString());
            if (hasFile) {
                EXPECT_EQ(itemCount(env.grid, row), f.messages);
                EXPECT_EQ(env.grid.checkState(row), kSelected);
            } else if (kind != ItemKind::NewsServer) {
                EXPECT_EQ(env.grid.checkState(row), kNotAvailable);
            }
            EXPECT_EQ(env.grid.backColor(row) == itemcolor::News, f.news);
        }
        // The root's children: Local Folders, and the news server unless excluded.
        EXPECT_EQ(env.grid.childCount(0), c.shape.news && !c.excludeNews ? 2 : 1);
        EXPECT_EQ(env.totals.itemCount, listed + 1);
    }
}

// The mark is the fourth property's identifier, not its value's low byte (the file name's offset).
TEST(InventoryFolders, NewsMarkIsTheFlagsWordNotAFileNameOffset)
{
    InventoryTestEnv env;
    StoreSummary summary;
    env.oe5({}, &summary);
    const struct
    {
        QString path;
        QString folder;
        bool news;
    } cases[] = {
        {env.host(InventoryTestEnv::kStore + "Folders.dbx"), "news.example.com", true},
        {env.host(InventoryTestEnv::kStore + "Folders.dbx"), "de.comp.misc", true},
        {env.host(InventoryTestEnv::kStore + "Folders.dbx"), "alt.test", false},
        {env.host(InventoryTestEnv::kStore + "Folders.dbx"), "Inbox", false},
        {samplePath("dbx/dzw_Folders.dbx"), "Inbox", false},
        {samplePath("dbx/dzw_Folders.dbx"), "Local Folders", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.toStdString());
        msgstore::FoldersDbxReader reader;
        ASSERT_TRUE(reader.read(c.path));
        const auto it = std::find_if(reader.folders().begin(), reader.folders().end(),
                                     [&](const auto& r) { return r.name == c.folder; });
        ASSERT_NE(it, reader.folders().end());
        EXPECT_EQ(it->hasNewsMark(), c.news);
        const bool byValue = it->property3Low == 6 || it->property3Low == 134;
        if (c.folder == "Inbox") {
            EXPECT_TRUE(byValue); // the coincidence the older reading relied on
        } else if (c.news) {
            EXPECT_FALSE(byValue);
        }
    }
}

// Version 4: sizes include the ".idx"; the news account's row totals its files unless excluded.
TEST(InventoryFolders, GeneratedVersion4Stores)
{
    for (const bool excludeNews : {false, true}) {
        SCOPED_TRACE(excludeNews);
        InventoryTestEnv env;
        StoreSummary summary;
        env.oe4({}, &summary);
        // No account count here: the next free number bounds the walk.
        const QString accounts = "Software\\Microsoft\\Internet Account Manager\\Accounts";
        env.registry.setDword(platform::Hive::CurrentUser, accounts, "NextID", 11);
        env.setUser(accounts + "\\0000000a", "Account Name", "news.example.com");
        env.setUser(accounts + "\\0000000a", "NNTP Data Directory", summary.newsDirectory);
        env.state.excludeNews = excludeNews;
        ASSERT_TRUE(env.buildFolders());

        EXPECT_EQ(env.rows().mid(0, 2),
                  QStringList({"[ ] Mail Folders|0", "  [x] Inbox|2|24|Inbox.mbx"}));
        qint64 newsBytes = 0;
        for (const StoreFolder& f : summary.folders) {
            SCOPED_TRACE(f.name.toStdString());
            const QString host = env.host(InventoryTestEnv::kOe4Root + u'\\' + f.fileName);
            if (f.news) {
                newsBytes += QFileInfo(host).size();
                continue;
            }
            const int row = env.rowOfFile(f.fileName);
            if (f.fileName.isEmpty()) {
                EXPECT_EQ(env.grid.findCell(cell::Display, f.name, 1), -1);
                continue;
            }
            ASSERT_GE(row, 0);
            EXPECT_EQ(itemCount(env.grid, row), f.messages);
            const QString mbx = env.host(env.state.env.storeFolder + f.fileName);
            const qint64 idx = f.hasIndex ? QFileInfo(mbx.chopped(3) + "idx").size() : 0;
            EXPECT_EQ(itemFileSize(env.grid, row), QFileInfo(mbx).size() + idx);
            EXPECT_EQ(env.grid.cell(row, cell::HasIdx), f.hasIndex ? "Y" : "N");
            EXPECT_EQ(env.grid.cell(env.grid.parentRow(row), cell::Display),
                      f.parentName.isEmpty() ? "Mail Folders" : f.parentName);
        }
        const int news = env.grid.findCell(cell::Type, "20");
        EXPECT_EQ(news >= 0, !excludeNews);
        if (news >= 0) {
            EXPECT_EQ(env.grid.cell(news, cell::MbxName), summary.newsDirectory);
            EXPECT_EQ(itemFileSize(env.grid, news), newsBytes);
            EXPECT_EQ(env.grid.level(news), 0);
        }
        EXPECT_EQ(env.grid.picture(0), TreeListModel::Picture::RootOE4);
    }
}

// Remembered states (also the 16-bit True) win; a new folder starts selected.
TEST(InventoryFolders, RememberedStates)
{
    InventoryTestEnv env;
    env.oe5({4, 1, 1, false, 0});
    env.state.rememberedNames = {"Inbox.dbx", "Outbox.dbx", "Projects.dbx", "Sent Items.dbx"};
    env.state.rememberedFlags = {0, 65535, 2, 1};
    ASSERT_TRUE(env.buildFolders());
    const struct
    {
        const char* file;
        int state;
    } cases[] = {{"Inbox.dbx", kNotSelected},
                 {"Outbox.dbx", kSelected},
                 {"Projects.dbx", kNotSelected},
                 {"Sent Items.dbx", kSelected},
                 {"Drafts.dbx", kSelected}};
    for (const auto& c : cases) {
        const int row = env.rowOfFile(c.file);
        EXPECT_EQ(env.grid.checkState(row), c.state) << c.file;
        EXPECT_EQ(env.grid.cell(row, cell::FlgSave), QString::number(c.state)) << c.file;
    }
}

// Parents that loop or are missing must not drop folders out of the backup.
TEST(InventoryFolders, ParentsThatLoopOrAreMissing)
{
    InventoryTestEnv env;
    env.oe5({2, 0, 0, false, 0});
    std::vector<storegen::DbxFolder> folders = storegen::FoldersDbxWriter::standardFolders();
    auto add = [&](std::uint32_t id, std::int32_t parent, const char* name) {
        storegen::DbxFolder f;
        f.id = id;
        f.parent = parent;
        f.name = name;
        folders.push_back(f);
    };
    add(20, 21, "Loop A");
    add(21, 20, "Loop B");
    add(22, 99, "Orphan");
    add(23, 22, "Orphan Child");
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
        const char* name;
        bool oe5;
        std::function<void(InventoryTestEnv&)> damage;
        QString message; // "" when the inventory succeeds
    } cases[] = {
        {"no Folders.dbx", true, [](InventoryTestEnv& e) { e.removeFromStore("Folders.dbx"); },
         Strings::get(StringId::NoDbxIndex)},
        {"no folders.nch", false, [](InventoryTestEnv& e) { e.removeFromStore("folders.nch"); },
         Strings::get(StringId::NoNchIndex)},
        {"Folders.dbx cut short", true,
         [](InventoryTestEnv& e) {
             QFile::resize(e.host(e.state.env.storeFolder + "Folders.dbx"), 0x100);
         },
         Strings::get(StringId::DamagedDbxIndex)},
        {"folders.nch cut short", false,
         [](InventoryTestEnv& e) {
             QFile::resize(e.host(e.state.env.storeFolder + "folders.nch"), 600);
         },
         Strings::get(StringId::DamagedNchIndex)},
        {"Inbox.dbx cut short",
         true,
         [](InventoryTestEnv& e) {
             QFile::resize(e.host(e.state.env.storeFolder + "Inbox.dbx"), 0x200);
         },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        InventoryTestEnv env;
        c.oe5 ? env.oe5({}) : env.oe4({});
        c.damage(env);
        EXPECT_EQ(env.buildFolders(), c.message.isEmpty());
        EXPECT_EQ(env.ui.messages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        if (c.message.isEmpty()) {
            const int inbox = env.rowOfFile("Inbox.dbx");
            ASSERT_GE(inbox, 0);
            EXPECT_EQ(env.grid.cell(inbox, cell::Counts), QString());
            EXPECT_EQ(env.grid.checkState(inbox), kSelected);
        }
    }
}

// Folder numbers as the grid, the item list and the control file keep them.
TEST(InventoryFolders, FolderNumbersAreHexPairs)
{
    const std::pair<qint64, const char*> cases[] = {
        {0, "  "},
        {5, "05"},
        {255, "FF"},
        {256, "01 00"},
        {300, "01 2C"},
        {65535, "FF FF"},
        {65536, "00 01 00 00"},
        {-2, "FF FE"},
    };
    for (const auto& [n, text] : cases)
        EXPECT_EQ(folderNumberText(n), QString::fromLatin1(text)) << n;
}

} // namespace
} // namespace kv::test
