// The version-4 folder tree, from the store's folder list "folders.nch".
#include "backup/InventoryLog.h"
#include "backup/InventoryParts.h"
#include "grid/TreeListModel.h"
#include "msgstore/FoldersNchReader.h"
#include "platform/Platform.h"
#include "shell/MainState.h"
#include "shell/Strings.h"

#include <algorithm>

namespace kv {

namespace {

struct FolderRow
{
    QString text; // order value then lower-case name: the order of siblings
    QString display, fileName;
    int number = 0, parent = 0;
};

void placeRow(TreeListModel& grid, int parent, const FolderRow& row)
{
    const int r = grid.addChild(parent, row.display);
    grid.setCell(r, cell::Display, row.display);
    grid.setCell(r, cell::MbxName, row.fileName);
    grid.setCell(r, cell::FolderNo, QString::number(row.number));
    grid.setCell(r, cell::ParentNo, QString::number(row.parent));
    grid.setCell(r, cell::Type, QString::number(int(ItemKind::MailFolder)));
    grid.setCell(r, cell::SortMe, row.display.toLower());
    // Every row here has its ".mbx": nested folders have data as much as top-level ones.
    grid.setCell(r, cell::HasData, QStringLiteral("Y"));
}

} // namespace

bool listOe4Folders(InventoryContext& ctx)
{
    TreeListModel& grid = ctx.grid;
    const QString index = ctx.storePath(QStringLiteral("folders.nch"));
    if (!ctx.fileExists(index)) {
        qCWarning(lcInventory).noquote() << "no folder list" << index;
        ctx.inform(Strings::get(StringId::NoNchIndex));
        return false;
    }
    msgstore::FoldersNchReader reader;
    if (!reader.read(ctx.platform.files.toHostPath(index))) {
        qCWarning(lcInventory).noquote()
            << "the folder list" << index << "cannot be read:" << reader.lastError();
        ctx.inform(Strings::get(StringId::DamagedNchIndex));
        return false;
    }

    QList<FolderRow> rows;
    for (const msgstore::NchFolderRecord& r : reader.folders()) {
        if (r.folderNumber == 0)
            continue;
        FolderRow row;
        row.fileName = r.fileName + QStringLiteral(".mbx");
        if (!ctx.fileExists(ctx.storePath(row.fileName)))
            continue;
        row.display = r.name;
        row.number = r.folderNumber;
        row.parent = r.parentNumber;
        row.text = QStringLiteral("%1").arg(r.order, 2, 10, QLatin1Char('0')) + r.name.toLower();
        rows << row;
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const FolderRow& a, const FolderRow& b) { return a.text < b.text; });

    grid.clear();
    grid.addRow(QStringLiteral("Outlook Express"));
    const int header = grid.addChild(0, QStringLiteral("Mail Folders"));
    grid.setCell(header, cell::FlgSave, QStringLiteral("0"));
    grid.setCell(header, cell::HasData, QStringLiteral("N"));
    grid.setCell(header, cell::Type, QString::number(int(ItemKind::MailHeader)));
    grid.setCell(header, cell::Display, QStringLiteral("Mail Folders"));
    grid.setCell(header, cell::FolderNo, QStringLiteral("0"));
    grid.setCell(header, cell::ParentNo, QStringLiteral("0"));
    grid.setForeColor(header, itemcolor::NoFile);

    placeInPasses(
        rows.size(),
        [&](qsizetype i) {
            return rows[i].parent == 0
                       ? header
                       : grid.findCell(cell::FolderNo, QString::number(rows[i].parent), header + 1);
        },
        [&](qsizetype j, qsizetype i) { return rows[j].number == rows[i].parent; },
        [&](qsizetype i, int parent) { placeRow(grid, parent, rows[i]); }, header,
        [&](qsizetype i) {
            qCWarning(lcInventory).noquote()
                << "folder" << rows[i].display << "(" << rows[i].number << ") has no parent"
                << rows[i].parent << "in the folder list; shown below the header";
        });
    return true;
}

} // namespace kv
