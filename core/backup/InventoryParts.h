#pragma once

// The steps of the inventory, shared by Inventory.cpp and the files that build each part of the
// item grid. Not part of the subsystem's interface.

#include "backup/Inventory.h"
#include "backup/ItemGrid.h"

#include <QString>

#include <functional>

namespace kv::platform {
struct Platform;
}

namespace kv {

class TreeListModel;
class Ui;
struct MainState;

struct InventoryContext
{
    platform::Platform& platform;
    Ui& ui;
    MainState& state;
    TreeListModel& grid;
    InventoryTotals& totals;

    // A file (not a folder) at a Windows path; its length when asked.
    bool fileExists(const QString& windowsPath, qint64* size = nullptr) const;
    bool folderExists(const QString& windowsPath) const;
    // A name relative to the store folder as a Windows path.
    QString storePath(const QString& name) const;
    // An information box titled with the program title.
    void inform(const QString& text) const;
};

// Where the last backup left a folder: its check state then, or 1 for a folder it did not
// know (new since, or no backup yet).
int rememberedState(const MainState& state, const QString& fileName);

// The rows of the item grid's own tree: the root and the folders, with news unless excluded.
bool listOe5Folders(InventoryContext& ctx, bool excludeNews);
bool listOe4Folders(InventoryContext& ctx);
bool listNewsAccounts(InventoryContext& ctx, bool withSizes);
// Counts, sizes, remembered states, pictures and colours of the folder rows.
void finishOe5Rows(InventoryContext& ctx);
void finishOe4Rows(InventoryContext& ctx);

// The rows after the folders.
void addAddressBook(InventoryContext& ctx);
void addFavorites(InventoryContext& ctx);
void addSettingsRow(InventoryContext& ctx, const QString& text, const QString& regPath,
                    ItemKind kind, bool& include);

// Builds a folder tree in passes: each pass places every row whose parent row is already in
// the grid (parentOf gives it, or -1), and passes go on while they place something, so any depth
// is placed whatever order the numbers come in, and a loop of parents cannot hold them up. A row
// whose parent never turns up (a damaged list, a loop) is still the user's folder with its
// messages: rather than dropping it from the backup, it goes below `fallback`, and the passes
// resume so that its own subfolders follow it. isParent(j, i): row j holds row i's parent number.
void placeInPasses(qsizetype count, const std::function<int(qsizetype)>& parentOf,
                   const std::function<bool(qsizetype, qsizetype)>& isParent,
                   const std::function<void(qsizetype, int)>& place, int fallback,
                   const std::function<void(qsizetype)>& reportOrphan);

// Sets a row's check state, "FlgSave" and picture together.
void setRowState(TreeListModel& grid, int row, int state);

} // namespace kv
