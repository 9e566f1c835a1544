#include "backup/Inventory.h"

#include "backup/InventoryLog.h"
#include "backup/InventoryParts.h"
#include "backup/SettingsExport.h"
#include "grid/TreeListModel.h"
#include "platform/Platform.h"
#include "shell/MainState.h"
#include "shell/Strings.h"
#include "shell/Ui.h"

namespace kv {

bool InventoryContext::fileExists(const QString& windowsPath, qint64* size) const
{
    platform::FileEntry entry;
    if (windowsPath.isEmpty() || !platform.files.stat(windowsPath, &entry) || entry.isDirectory())
        return false;
    if (size)
        *size = qint64(entry.size);
    return true;
}

bool InventoryContext::folderExists(const QString& windowsPath) const
{
    platform::FileEntry entry;
    return !windowsPath.isEmpty() && platform.files.stat(windowsPath, &entry) &&
           entry.isDirectory();
}

QString InventoryContext::storePath(const QString& name) const
{
    return state.env.storeFolder + name;
}

void InventoryContext::inform(const QString& text) const
{
    ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, Strings::programTitle());
}

int rememberedState(const MainState& state, const QString& fileName)
{
    const qsizetype at = state.rememberedNames.indexOf(fileName);
    if (at < 0 || at >= state.rememberedFlags.size())
        return kSelected;
    const int saved = state.rememberedFlags.at(at);
    // The control file keeps a 16-bit flag; True (-1) and its unsigned reading both mean 1.
    return (saved > 65534 || saved < 0) ? kSelected : saved;
}

void placeInPasses(qsizetype count, const std::function<int(qsizetype)>& parentOf,
                   const std::function<bool(qsizetype, qsizetype)>& isParent,
                   const std::function<void(qsizetype, int)>& place, int fallback,
                   const std::function<void(qsizetype)>& reportOrphan)
{
    QList<bool> placed(count, false);
    for (;;) {
        for (bool progress = true; progress;) {
            progress = false;
            for (qsizetype i = 0; i < count; ++i) {
                if (placed[i])
                    continue;
                const int parent = parentOf(i);
                if (parent < 0)
                    continue;
                place(i, parent);
                placed[i] = progress = true;
            }
        }
        qsizetype orphan = placed.indexOf(false);
        if (orphan < 0)
            return;
        // The head of a missing parent's subtree, so the subtree stays whole; in a loop any
        // member will do.
        for (qsizetype i = orphan; i < count; ++i) {
            if (placed[i])
                continue;
            bool waits = false;
            for (qsizetype j = 0; j < count && !waits; ++j)
                waits = !placed[j] && j != i && isParent(j, i);
            if (!waits) {
                orphan = i;
                break;
            }
        }
        reportOrphan(orphan);
        place(orphan, fallback);
        placed[orphan] = true;
    }
}

void setRowState(TreeListModel& grid, int row, int state)
{
    grid.setCheckState(row, state);
    grid.setCell(row, cell::FlgSave, QString::number(state));
    grid.setPicture(row, state == kSelected      ? TreeListModel::Picture::Ticked
                         : state == kNotSelected ? TreeListModel::Picture::Unticked
                                                 : TreeListModel::Picture::Unavailable);
}

class Inventory::Impl
{
public:
    Impl(platform::Platform& platform, Ui& ui, MainState& state, TreeListModel& grid,
         InventoryTotals& totals)
        : ctx{platform, ui, state, grid, totals}
    {
    }
    InventoryContext ctx;
};

Inventory::Inventory(platform::Platform& platform, Ui& ui, AppSettings& /*settings*/,
                     MainState& state, TreeListModel& grid)
    : m_impl(std::make_unique<Impl>(platform, ui, state, grid, m_totals))
{
}

Inventory::~Inventory() = default;

bool Inventory::build()
{
    return buildFolders() && addOtherItems();
}

bool Inventory::buildFolders()
{
    InventoryContext& ctx = m_impl->ctx;
    m_totals = InventoryTotals();
    ctx.grid.redrawOff();
    bool ok = false;
    if (ctx.state.oe5Mode) {
        ok = listOe5Folders(ctx, ctx.state.excludeNews);
        if (ok)
            finishOe5Rows(ctx);
    } else {
        ok = listOe4Folders(ctx) && (ctx.state.excludeNews || listNewsAccounts(ctx, true));
        if (ok)
            finishOe4Rows(ctx);
    }
    ctx.grid.redrawOn();
    if (!ok)
        qCWarning(lcInventory) << "the folder inventory of" << ctx.state.env.storeFolder
                               << "could not be built";
    return ok;
}

bool Inventory::addOtherItems()
{
    InventoryContext& ctx = m_impl->ctx;
    auto loading = [this](const QString& text) {
        if (m_loading)
            m_loading(text);
    };
    ctx.grid.redrawOff();
    loading(Strings::get(StringId::CheckingAddressBook));
    addAddressBook(ctx);
    loading(Strings::get(StringId::ScanningFavorites));
    addFavorites(ctx);

    loading(Strings::get(StringId::ScanningRegistry));
    SettingsExportRequest request;
    request.programFolder = ctx.state.programFolder;
    request.oe5 = ctx.state.oe5Mode;
    request.identityId = ctx.state.env.chosenId;
    const SettingsExportResult exported = SettingsExport(ctx.platform).run(request);
    for (const QString& error : exported.errors) {
        qCWarning(lcInventory).noquote() << "settings export:" << error;
        ctx.inform(error);
    }
    IncludeFlags& include = ctx.state.include;
    for (const ExportedGroup& group : exported.groups) {
        bool* flag = nullptr;
        switch (group.kind) {
        case ItemKind::Rules:
            flag = &include.rules;
            break;
        case ItemKind::Preferences:
            flag = &include.prefs;
            break;
        case ItemKind::Accounts:
            flag = &include.accts;
            break;
        case ItemKind::Signatures:
            flag = &include.sigs;
            break;
        case ItemKind::BlockSenders:
            flag = &include.blocks;
            break;
        case ItemKind::RemoteAccess:
            flag = &include.dun;
            break;
        default:
            break;
        }
        if (flag)
            addSettingsRow(ctx, group.rowText, group.regPath, group.kind, *flag);
    }

    loading(QString());
    ctx.grid.redrawOn();
    ItemSelection(ctx.grid, m_totals).recount();
    return true;
}

} // namespace kv
