// The rows after the folders: the address book, the favourites and the settings groups.
#include "backup/InventoryLog.h"
#include "backup/InventoryParts.h"
#include "grid/TreeListModel.h"
#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "platform/Platform.h"
#include "shell/MainState.h"
#include "util/FileScan.h"

namespace kv {

namespace {

const QString kHive = QStringLiteral("HKCU");

int addTopRow(TreeListModel& grid, const QString& text, ItemKind kind, const QString& data,
              color::ColorRef back)
{
    const int r = grid.addRow(text);
    grid.setCell(r, cell::Display, text);
    grid.setCell(r, cell::Type, QString::number(int(kind)));
    grid.setCell(r, cell::MbxName, data);
    grid.setCell(r, cell::ParentNo, QStringLiteral("0"));
    grid.setBackColor(r, back);
    return r;
}

void count(InventoryContext& ctx, int row, qint64 size)
{
    ctx.totals.totalSize += size;
    if (ctx.grid.checkState(row) == kSelected) {
        ctx.totals.selectedSize += size;
        ++ctx.totals.selectedCount;
    }
}

} // namespace

void addAddressBook(InventoryContext& ctx)
{
    RegistryAccess reg(ctx.platform.registry, ctx.platform.files);
    quint32 useOutlook = 0;
    reg.readDword(kHive, QStringLiteral("Software\\Microsoft\\WAB\\WAB4"),
                  QStringLiteral("UseOutlook"), &useOutlook);
    ctx.totals.outlookContactsInUse = useOutlook != 0;
    QString path;
    reg.readString(kHive, QStringLiteral("Software\\Microsoft\\WAB\\WAB4\\WAB File Name"),
                   QString(), &path);
    if (path.isEmpty()) {
        qCInfo(lcInventory) << "no address book is registered";
        return;
    }
    path = MailClient::expandStoredPath(ctx.platform.system, path);
    TreeListModel& grid = ctx.grid;
    const int r = addTopRow(grid, QStringLiteral("Windows Address Book (WAB)"),
                            ItemKind::AddressBook, path, itemcolor::AddressBook);
    qint64 size = 0;
    if (ctx.fileExists(path, &size)) {
        grid.setCell(r, cell::HasData, QStringLiteral("Y"));
        grid.setCell(r, cell::FileSize, QString::number(size));
        setRowState(grid, r, ctx.state.include.wab ? kSelected : kNotSelected);
        count(ctx, r, size);
    } else {
        qCInfo(lcInventory).noquote() << "the address book" << path << "does not exist";
        grid.setCell(r, cell::HasData, QStringLiteral("N"));
        grid.setForeColor(r, itemcolor::NoFile);
        setRowState(grid, r, kNotAvailable);
    }
    ctx.totals.wabRow = r;
}

void addFavorites(InventoryContext& ctx)
{
    RegistryAccess reg(ctx.platform.registry, ctx.platform.files);
    QString folder;
    reg.readString(kHive,
                   QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                                  "Folders"),
                   QStringLiteral("Favorites"), &folder);
    if (folder.isEmpty()) {
        qCInfo(lcInventory) << "no favourites folder is registered";
        return;
    }
    TreeListModel& grid = ctx.grid;
    const int r = addTopRow(grid, QStringLiteral("IE Favorites"), ItemKind::Favorites, folder,
                            itemcolor::Other);
    const FileScan::FolderSize found = FileScan::folderSize(ctx.platform.files, folder);
    grid.setCell(r, cell::FileSize, QString::number(found.totalBytes));
    grid.setCell(r, cell::Counts, QString::number(found.fileCount));
    grid.setCell(r, cell::HasData, found.fileCount > 0 ? QStringLiteral("Y") : QStringLiteral("N"));
    setRowState(grid, r, ctx.state.include.fav ? kSelected : kNotSelected);
    count(ctx, r, found.totalBytes);
}

void addSettingsRow(InventoryContext& ctx, const QString& text, const QString& regPath,
                    ItemKind kind, bool& include)
{
    if (regPath.isEmpty()) {
        include = false;
        return;
    }
    TreeListModel& grid = ctx.grid;
    const int r = addTopRow(grid, text, kind, regPath, itemcolor::Other);
    qint64 size = 0;
    if (!ctx.fileExists(regPath, &size))
        qCWarning(lcInventory).noquote() << "the exported settings" << regPath << "are missing";
    grid.setCell(r, cell::FileSize, QString::number(size));
    grid.setCell(r, cell::Counts, QStringLiteral("0"));
    grid.setCell(r, cell::HasData, QStringLiteral("N"));
    setRowState(grid, r, include ? kSelected : kNotSelected);
    count(ctx, r, size);
}

} // namespace kv
