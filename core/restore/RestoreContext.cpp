#include "restore/RestoreContext.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"

namespace kv {

QList<RestoreItem> restoreItemsOf(const TreeListModel& grid)
{
    QList<RestoreItem> items;
    for (int row = 1; row < grid.totalRowCount(); ++row) {
        RestoreItem& item = items.emplace_back();
        item.kind = itemKind(grid, row);
        item.fileName = grid.cell(row, cell::MbxName);
        item.displayName = grid.text(row).section(u'\t', 0, 0);
        item.marked = grid.checkState(row) == kSelected;
        item.hasIndex = grid.cell(row, cell::HasIdx) == u"Y";
        item.restoreToName = grid.cell(row, cell::RestoreToName);
    }
    return items;
}

} // namespace kv
