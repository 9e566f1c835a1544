// The folder rows' counts, sizes, states, pictures and colours, once the tree stands.
#include "backup/InventoryLog.h"
#include "backup/InventoryParts.h"
#include "grid/TreeListModel.h"
#include "msgstore/DbxFile.h"
#include "msgstore/MbxFile.h"
#include "platform/Platform.h"
#include "shell/MainState.h"

namespace kv {

namespace {

// The header's message count. A file that cannot be read keeps its row (its bytes are still
// worth saving) without a count.
template <typename Reader>
void setMessageCount(InventoryContext& ctx, int row, const QString& fileName)
{
    Reader reader;
    if (reader.open(ctx.platform.files.toHostPath(ctx.storePath(fileName)))) {
        ctx.grid.setCell(row, cell::Counts, QString::number(reader.messageCount()));
        reader.close();
    } else {
        qCWarning(lcInventory).noquote()
            << "no message count for" << fileName << "-" << reader.lastError();
    }
}

void addSelected(InventoryContext& ctx, int row)
{
    if (ctx.grid.checkState(row) != kSelected)
        return;
    ctx.totals.selectedSize += itemFileSize(ctx.grid, row);
    ++ctx.totals.selectedCount;
}

void colourRow(TreeListModel& grid, int row)
{
    switch (ItemKind(itemKind(grid, row))) {
    case ItemKind::NewsServer:
    case ItemKind::NewsGroup:
    case ItemKind::NewsGroupNoFile:
    case ItemKind::Oe4NewsAccount:
        grid.setBackColor(row, itemcolor::News);
        break;
    case ItemKind::AddressBook:
        grid.setBackColor(row, itemcolor::AddressBook);
        break;
    default:
        break;
    }
}

} // namespace

// Every row below the root is finished, the last one included.
void finishOe5Rows(InventoryContext& ctx)
{
    TreeListModel& grid = ctx.grid;
    grid.setPicture(0, TreeListModel::Picture::RootOE5);
    ctx.totals.itemCount = grid.totalRowCount() - 1;
    for (int row = 1; row < grid.totalRowCount(); ++row) {
        QString fileName = grid.cell(row, cell::MbxName);
        if (!fileName.endsWith(QStringLiteral(".dbx"), Qt::CaseInsensitive))
            fileName.clear();
        qint64 size = 0;
        int state = kSelected;
        if (!fileName.isEmpty() && ctx.fileExists(ctx.storePath(fileName), &size)) {
            state = rememberedState(ctx.state, fileName);
            setMessageCount<msgstore::DbxFile>(ctx, row, fileName);
            grid.setCell(row, cell::FileSize, QString::number(size));
            ctx.totals.totalSize += size;
            grid.setForeColor(row, color::kDefault);
        } else {
            grid.setForeColor(row, itemcolor::NoFile);
        }
        if (grid.cell(row, cell::HasData) != QLatin1String("N"))
            setRowState(grid, row, state == kSelected ? kSelected : kNotSelected);
        else if (row == 1)
            setRowState(grid, row, kNotSelected);
        else if (itemKind(grid, row) == int(ItemKind::NewsServer))
            setRowState(grid, row, grid.hasChildren(row) ? kNotSelected : kNotAvailable);
        else
            setRowState(grid, row, kNotAvailable);
        colourRow(grid, row);
        addSelected(ctx, row);
    }
}

void finishOe4Rows(InventoryContext& ctx)
{
    TreeListModel& grid = ctx.grid;
    grid.setPicture(0, TreeListModel::Picture::RootOE4);
    ctx.totals.itemCount = grid.totalRowCount() - 1;
    for (int row = 1; row < grid.totalRowCount(); ++row) {
        const QString fileName = grid.cell(row, cell::MbxName);
        if (fileName.isEmpty()) {
            setRowState(grid, row, grid.checkState(row));
            continue;
        }
        const int state = rememberedState(ctx.state, fileName);
        if (itemKind(grid, row) != int(ItemKind::Oe4NewsAccount)) {
            qint64 size = 0;
            ctx.fileExists(ctx.storePath(fileName), &size);
            setMessageCount<msgstore::MbxFile>(ctx, row, fileName);
            QString idx = fileName;
            idx.replace(idx.lastIndexOf(QLatin1Char('.')) + 1, 3, QStringLiteral("idx"));
            qint64 idxSize = 0;
            const bool hasIdx = ctx.fileExists(ctx.storePath(idx), &idxSize);
            grid.setCell(row, cell::HasIdx, hasIdx ? QStringLiteral("Y") : QStringLiteral("N"));
            grid.setCell(row, cell::FileSize, QString::number(size + idxSize));
        }
        ctx.totals.totalSize += itemFileSize(grid, row);
        setRowState(grid, row, state == kSelected ? kSelected : kNotSelected);
        colourRow(grid, row);
        addSelected(ctx, row);
    }
}

} // namespace kv
