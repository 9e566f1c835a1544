// The version-5 folder tree, from the store's folder list "Folders.dbx".
#include "backup/InventoryLog.h"
#include "backup/InventoryParts.h"
#include "grid/TreeListModel.h"
#include "msgstore/FoldersDbxReader.h"
#include "platform/Platform.h"
#include "shell/MainState.h"
#include "shell/Strings.h"

#include <algorithm>

namespace kv {

namespace {

struct FolderRow
{
    QString text; // parent number then sort key: the order in which rows are placed
    QString display, fileName, folderNo, parentNo, sortMe;
    int kind = 0;
};

int classify(const InventoryContext& ctx, const msgstore::DbxFolderRecord& r, QString* display,
             QString* fileName)
{
    *display = r.name;
    *fileName = r.fileName;
    if (r.hasNewsMark()) {
        if (r.folderNumber == 1) {
            *display = QLatin1Char(' ') + r.name;
            return int(ItemKind::NewsTreeTop);
        }
        if (r.property2Id != 2)
            return int(ItemKind::NewsServer);
        *fileName = r.name + QStringLiteral(".dbx");
    }
    if (!fileName->isEmpty() && ctx.fileExists(ctx.storePath(*fileName)))
        return int(ItemKind::MailFolder);
    fileName->clear();
    return int(ItemKind::Unplaced);
}

void placeRow(TreeListModel& grid, int parent, FolderRow row)
{
    const int parentKind = itemKind(grid, parent);
    if (row.kind == int(ItemKind::Unplaced))
        row.kind = int(parentKind == int(ItemKind::NewsServer) ? ItemKind::NewsGroupNoFile
                                                               : ItemKind::MailFolderNoFile);
    else if (row.kind == int(ItemKind::MailFolder) && parentKind == int(ItemKind::NewsServer))
        row.kind = int(ItemKind::NewsGroup);
    const int r = grid.addChild(parent, row.display);
    grid.setCell(r, cell::Display, row.display);
    grid.setCell(r, cell::MbxName, row.fileName);
    grid.setCell(r, cell::FolderNo, row.folderNo);
    grid.setCell(r, cell::ParentNo, row.parentNo);
    grid.setCell(r, cell::Type, QString::number(row.kind));
    grid.setCell(r, cell::SortMe, row.sortMe);
    const bool hasData =
        row.kind == int(ItemKind::MailFolder) || row.kind == int(ItemKind::NewsGroup);
    grid.setCell(r, cell::HasData, hasData ? QStringLiteral("Y") : QStringLiteral("N"));
    grid.setForeColor(r, itemcolor::NoFile);
}

void buildTree(TreeListModel& grid, const QList<FolderRow>& rows)
{
    const QString top = folderNumberText(0);
    placeInPasses(
        rows.size(),
        [&](qsizetype i) {
            return rows[i].parentNo == top ? 0 : grid.findCell(cell::FolderNo, rows[i].parentNo, 1);
        },
        [&](qsizetype j, qsizetype i) { return rows[j].folderNo == rows[i].parentNo; },
        [&](qsizetype i, int parent) { placeRow(grid, parent, rows[i]); }, 0,
        [&](qsizetype i) {
            qCWarning(lcInventory).noquote()
                << "folder" << rows[i].display << "(" << rows[i].folderNo << ") has no parent"
                << rows[i].parentNo << "in the folder list; shown at the top level";
        });
    // Siblings in sort-key order: the standard folders first, in the client's numbering.
    QList<TreeListModel::RowId> parents;
    for (int r = 0; r < grid.totalRowCount(); ++r)
        if (grid.hasChildren(r))
            parents << grid.rowId(r);
    for (TreeListModel::RowId id : parents)
        grid.sortChildren(grid.rowOfId(id), cell::SortMe);
}

} // namespace

bool listOe5Folders(InventoryContext& ctx, bool excludeNews)
{
    TreeListModel& grid = ctx.grid;
    const QString index = ctx.storePath(QStringLiteral("folders.dbx"));
    if (!ctx.fileExists(index)) {
        qCWarning(lcInventory).noquote() << "no folder list" << index;
        ctx.inform(Strings::get(StringId::NoDbxIndex));
        return false;
    }
    msgstore::FoldersDbxReader reader;
    if (!reader.read(ctx.platform.files.toHostPath(index))) {
        qCWarning(lcInventory).noquote()
            << "the folder list" << index << "cannot be read:" << reader.lastError();
        ctx.inform(Strings::get(StringId::DamagedDbxIndex));
        return false;
    }

    QString rootText = QStringLiteral("Outlook Express");
    QList<FolderRow> rows;
    for (const msgstore::DbxFolderRecord& r : reader.folders()) {
        if (r.isStoreRoot()) {
            rootText = r.name;
            continue;
        }
        FolderRow row;
        row.kind = classify(ctx, r, &row.display, &row.fileName);
        const bool standard = r.parentNumber == 1 && r.folderNumber < 9;
        row.sortMe = (standard ? QStringLiteral("%1").arg(folderNumberText(r.folderNumber), 4,
                                                          QLatin1Char('0'))
                               : QStringLiteral("9999")) +
                     r.name.toLower();
        row.folderNo = folderNumberText(r.folderNumber);
        row.parentNo = folderNumberText(r.parentNumber);
        row.text = QStringLiteral("%1").arg(row.parentNo, 4, QLatin1Char('0')) + row.sortMe;
        rows << row;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const FolderRow& a, const FolderRow& b) { return a.text < b.text; });

    grid.clear();
    grid.addRow(rootText);
    buildTree(grid, rows);
    if (excludeNews) {
        for (int r;
             (r = grid.findCell(cell::Type, QString::number(int(ItemKind::NewsServer)), 1)) >= 0;)
            grid.removeRowAt(r);
    }
    qCDebug(lcInventory) << "folder list" << index << ":" << rows.size() << "folders,"
                         << grid.totalRowCount() - 1 << "rows";
    return true;
}

} // namespace kv
