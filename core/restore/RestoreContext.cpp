#include "restore/RestoreContext.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "platform/Platform.h"
#include "shell/MainState.h"

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

RestoreContext restoreContextFor(platform::Platform& platform, const MainState& state)
{
    const QString hive = QStringLiteral("HKCU");
    RegistryAccess reg(platform.registry, platform.files);
    RestoreContext c;
    c.restoreType = state.restoreType;
    c.oe5 = state.oe5Mode;
    c.oe4ImportMode = state.oe4ImportMode;
    c.ntFamily = platform.system.windowsVersion().isNt();
    c.archivePath = state.backupFile;
    c.storeFolder = state.env.storeFolder;
    if (!c.oe5) {
        c.oe4MailFolder = state.env.oe4.mailFolder;
        c.oe4NewsFolder = state.env.oe4.newsFolder;
    }
    // Kept as registered: the run expands it when it restores the address book there.
    reg.readString(hive, QStringLiteral("Software\\Microsoft\\WAB\\WAB4\\WAB File Name"), QString(),
                   &c.currentWabPath);
    reg.readString(hive, QLatin1String(MailClient::kShellFoldersKey), QStringLiteral("Favorites"),
                   &c.favoritesFolder);
    c.documentsFolder = MailClient::myDocumentsFolder(reg, platform.files);
    c.tempFolder = platform.system.tempPath();
    c.currentIdentityId = state.oe5Mode ? state.env.chosenId : QString();
    c.programFolder = state.programFolder;
    c.programTitle = state.programTitle;
    c.versionText = state.versionText;
    c.restoreLogPath = state.restoreLogPath;
    return c;
}

ItemListReader::Options itemListOptionsFor(const RestoreContext& context)
{
    ItemListReader::Options o;
    o.synchronise = context.restoreType == 3;
    o.oe5 = context.oe5;
    o.addressBookRegistered = !context.currentWabPath.isEmpty();
    o.ntFamily = context.ntFamily;
    return o;
}

} // namespace kv
