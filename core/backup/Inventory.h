#pragma once

#include "backup/ItemGrid.h"

#include <QString>

#include <functional>
#include <memory>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class TreeListModel;
class Ui;
struct MainState;

// The totals the backup pages show while the inventory is on screen.
struct InventoryTotals
{
    int itemCount = 0;       // rows below the root
    int selectedCount = 0;   // rows in check state 1
    qint64 totalSize = 0;    // sum of "FileSize" of all rows
    qint64 selectedSize = 0; // sum of "FileSize" of rows in check state 1
    int wabRow = 0;          // the address-book row, 0 when there is none
    bool outlookContactsInUse = false; // "UseOutlook" of the address book's key
};

// Builds the inventory of everything a backup can save into the item grid: the mail folders
// (version 5 from Folders.dbx, version 4 from folders.nch) with news unless excluded, the address
// book, the favourites and the six settings groups (exported on the way). Folders start in the
// state the last backup left them (the control file's remembered lists in MainState), new ones
// selected. Reads are bounded by the files' sizes; a damaged index or message file gives a
// message and a log line, never a crash.
class Inventory
{
public:
    Inventory(platform::Platform& platform, Ui& ui, AppSettings& settings, MainState& state,
              TreeListModel& grid);
    ~Inventory();

    // Told what the loading text box should show ("" hides it).
    void setLoadingText(std::function<void(const QString&)> show) { m_loading = std::move(show); }

    // The whole inventory. False when the store's folder index is missing or unreadable (the
    // message was shown); the caller then ends the program.
    bool build();

    // The same in the quick backup's two stages: the folders (and news unless excluded) ...
    bool buildFolders();
    // ... then the address book, favourites and settings groups, and the totals.
    bool addOtherItems();

    const InventoryTotals& totals() const { return m_totals; }
    InventoryTotals& totals() { return m_totals; }

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
    std::function<void(const QString&)> m_loading;
    InventoryTotals m_totals;
};

// The user's selection on the item grid: toggling, Select All and Clear All, the totals and
// their texts, the address-book warning and the details box.
class ItemSelection
{
public:
    ItemSelection(TreeListModel& grid, InventoryTotals& totals);

    // A click on a row's picture: 1 -> 0, 0 -> 1, 2 stays. True when the state changed.
    bool toggle(int row);
    // Select All (0 -> 1) and Clear All (1 -> 0); state 2 never changes. The rows that changed.
    QList<int> selectAll();
    QList<int> clearAll();
    // Recounts the selected count and size from the grid.
    void recount();

    // "3 of 12 Items", "1,234 KBytes", and the estimate (60 % of the selected size).
    QString countText() const;
    QString totalSizeText() const;
    QString estimateText() const;
    // Estimated archive size in bytes (selected size x 0.6).
    qint64 estimatedBytes() const;

    // The warning label "WARNING! - You have not included ..." is shown.
    bool wabWarningVisible() const;
    // The caution about an address book that is not the one in use is due after this row
    // changed (the caller asks the user, honouring "WarnAboutWAB").
    bool wabCautionDue(int row) const;

    // The text of the details box for a row; backup adds the file size.
    static QString detailsText(const TreeListModel& grid, int row, bool backup);

private:
    TreeListModel& m_grid;
    InventoryTotals& m_totals;
};

} // namespace kv
