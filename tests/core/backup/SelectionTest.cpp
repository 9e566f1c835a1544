// The user's selection on the item grid: toggling, Select All and Clear All, totals, details.
#include "backup/Inventory.h"
#include "backup/SettingsExport.h"
#include "grid/TreeListModel.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

struct Row
{
    const char* display;
    ItemKind kind;
    int state;
    qint64 size;
    const char* hasData;
    qint64 count = 0;
};

// A root and one row each: a folder, the address book, favourites and a settings group.
struct SelectionGrid
{
    SelectionGrid(std::initializer_list<Row> rows)
    {
        grid.addRow("Outlook Express");
        for (const Row& r : rows) {
            const int row = grid.addChild(0, r.display);
            grid.setCell(row, cell::Display, r.display);
            grid.setCell(row, cell::Type, QString::number(int(r.kind)));
            grid.setCell(row, cell::FileSize, QString::number(r.size));
            grid.setCell(row, cell::Counts, QString::number(r.count));
            grid.setCell(row, cell::HasData, r.hasData);
            grid.setCheckState(row, r.state);
            if (r.kind == ItemKind::AddressBook)
                totals.wabRow = row;
        }
        ItemSelection(grid, totals).recount();
    }
    TreeListModel grid;
    InventoryTotals totals;
};

SelectionGrid standardGrid()
{
    return {{"Inbox", ItemKind::MailFolder, kSelected, 2'000'000, "Y", 24},
            {"Windows Address Book (WAB)", ItemKind::AddressBook, kNotSelected, 51'200, "Y"},
            {"Sent Items", ItemKind::MailFolderNoFile, kNotAvailable, 0, "N"},
            {"IE Favorites", ItemKind::Favorites, kNotSelected, 3'000, "Y", 7},
            {"Signatures", ItemKind::Signatures, kSelected, 1'234, "N"}};
}

TEST(ItemSelection, ToggleSelectAllClearAllAndTexts)
{
    SelectionGrid g = standardGrid();
    ItemSelection s(g.grid, g.totals);
    EXPECT_EQ(s.countText(), "2 of 5 Items");
    EXPECT_EQ(s.totalSizeText(), "1,954 KBytes"); // 2,001,234 bytes
    EXPECT_EQ(s.estimateText(), "1,173 KBytes");
    EXPECT_EQ(s.estimatedBytes(), 1'200'740);
    EXPECT_TRUE(s.wabWarningVisible());

    EXPECT_FALSE(s.toggle(3)); // not available
    EXPECT_FALSE(s.toggle(0)); // the root
    EXPECT_TRUE(s.toggle(2));
    EXPECT_FALSE(s.wabWarningVisible());
    EXPECT_EQ(g.grid.cell(2, cell::FlgSave), "1");
    EXPECT_EQ(g.grid.picture(2), TreeListModel::Picture::Ticked);
    EXPECT_EQ(s.countText(), "3 of 5 Items");
    EXPECT_EQ(g.totals.selectedSize, 2'052'434);

    EXPECT_EQ(s.selectAll(), QList<int>({4}));
    EXPECT_EQ(g.grid.checkState(3), kNotAvailable);
    EXPECT_EQ(s.countText(), "4 of 5 Items");
    EXPECT_EQ(s.clearAll(), QList<int>({1, 2, 4, 5}));
    EXPECT_EQ(s.countText(), "0 of 5 Items");
    EXPECT_EQ(s.totalSizeText(), "0 KBytes");
    EXPECT_EQ(g.grid.checkState(3), kNotAvailable);
}

TEST(ItemSelection, DetailsText)
{
    SelectionGrid g = standardGrid();
    const QString blanks(14, u' ');
    const struct
    {
        int row;
        bool backup;
        QString text;
    } cases[] = {
        {1, true, "Folder : Inbox" + blanks + "\nMessage Count: 24\nFile Size: 2,000,000 Bytes"},
        {3, true, "Folder : Sent Items" + blanks},
        {4, true, "Folder : IE Favorites" + blanks + "\nItem Count: 7\nTotal Size: 3,000 Bytes"},
        {5, true,
         "Registry Settings : Signatures" + blanks + '\n' +
             settingsGroup(ItemKind::Signatures)->heading},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ItemSelection::detailsText(g.grid, c.row, c.backup), c.text) << c.row;
}

} // namespace
} // namespace kv::test
