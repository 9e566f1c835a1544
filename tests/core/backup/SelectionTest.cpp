// The user's selection on the item grid: toggling, Select All and Clear All, and the totals.
#include "backup/Inventory.h"
#include "grid/TreeListModel.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

// A root and one row each: folder, address book, folder without file, favourites, settings.
struct SelectionGrid
{
    SelectionGrid()
    {
        const struct
        {
            const char* display;
            ItemKind kind;
            int state;
            qint64 size;
        } rows[] = {{"Inbox", ItemKind::MailFolder, kSelected, 2'000'000},
                    {"Windows Address Book (WAB)", ItemKind::AddressBook, kNotSelected, 51'200},
                    {"Sent Items", ItemKind::MailFolderNoFile, kNotAvailable, 0},
                    {"IE Favorites", ItemKind::Favorites, kNotSelected, 3'000},
                    {"Signatures", ItemKind::Signatures, kSelected, 1'234}};
        grid.addRow("Outlook Express");
        for (const auto& r : rows) {
            const int row = grid.addChild(0, r.display);
            grid.setCell(row, cell::Type, QString::number(int(r.kind)));
            grid.setCell(row, cell::FileSize, QString::number(r.size));
            grid.setCell(row, cell::HasData, r.size && r.kind != ItemKind::Signatures ? "Y" : "N");
            grid.setCheckState(row, r.state);
        }
        totals.wabRow = 2;
        ItemSelection(grid, totals).recount();
    }
    TreeListModel grid;
    InventoryTotals totals;
};

TEST(ItemSelection, ToggleSelectAllClearAllAndTexts)
{
    SelectionGrid g;
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
    EXPECT_EQ(s.countText(), "3 of 5 Items");
    EXPECT_EQ(g.totals.selectedSize, 2'052'434);

    EXPECT_EQ(s.selectAll(), QList<int>({4}));
    EXPECT_EQ(g.grid.checkState(3), kNotAvailable);
    EXPECT_EQ(s.countText(), "4 of 5 Items");
    EXPECT_EQ(s.clearAll(), QList<int>({1, 2, 4, 5}));
    EXPECT_EQ(s.countText(), "0 of 5 Items");
    EXPECT_EQ(g.grid.checkState(3), kNotAvailable);
}

} // namespace
} // namespace kv::test
