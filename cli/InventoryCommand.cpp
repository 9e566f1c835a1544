// kv2000-cli inventory: the item grid a backup would offer, as the backup page shows it.
#include "CliCommand.h"
#include "CliUi.h"
#include "Environment.h"

#include "backup/Inventory.h"
#include "grid/TreeListModel.h"
#include "oeenv/OeEnvironment.h"
#include "oeenv/RegistryAccess.h"
#include "platform/WinPath.h"
#include "shell/AppSettings.h"
#include "shell/ControlFile.h"
#include "shell/GuardedRegistry.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"
#include "shell/Strings.h"

namespace kv::cli {

namespace {

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"identity", "NAME|ID", "the identity to look at (default: as the start-up chooses)"},
};

// Makes the identity the command line named the chosen one; false when there is none such.
bool chooseIdentity(platform::Platform& services, OeEnvironmentResult& r, const QString& wanted)
{
    int index = MailClient::indexOfId(r.identities.ids, wanted);
    if (index == 0)
        index = int(r.identities.names.indexOf(wanted)) + 1;
    if (index == 0)
        return false;
    RegistryAccess reg(services.registry, services.files);
    r.chosenIndex = index;
    r.chosenId = r.identities.ids.at(index - 1);
    r.chosenName = r.identities.names.at(index - 1);
    r.settingsSection = r.chosenId;
    r.storeFolder = winpath::withTrailingBackslash(MailClient::expandStoredPath(
        services.system, MailClient::identityStoreRoot(reg, r.chosenId)));
    return true;
}

void loadDefaults(AppSettings& settings, MainState& state)
{
    const QString section = state.settingsSection();
    auto flag = [&](const SettingDef& def) { return settings.get(def, section).toInt() != 0; };
    state.include = {flag(Setting::InclWab),    flag(Setting::InclFAV),   flag(Setting::InclRules),
                     flag(Setting::InclAccts),  flag(Setting::InclPrefs), flag(Setting::InclSigs),
                     flag(Setting::InclBlocks), flag(Setting::InclDUN)};
    state.excludeNews =
        settings.get(Setting::ExcludeNews, section).compare(u"Y", Qt::CaseInsensitive) == 0;
}

QString stateMark(int state)
{
    return state == kSelected      ? QStringLiteral("[x]")
           : state == kNotSelected ? QStringLiteral("[ ]")
                                   : QStringLiteral("[-]");
}

ExitCode runInventory(CliContext& ctx)
{
    if (!ctx.args.isEmpty())
        return ctx.usageError(QStringLiteral("unexpected argument '%1'").arg(ctx.args.first()));
    ExitCode code = ExitCode::Ok;
    const auto host = openEnvironment(ctx, &code);
    if (!host)
        return code == ExitCode::Failed ? ExitCode::InventoryFailed : code;
    const platform::Platform hostServices = host->services();
    GuardedRegistry registry(hostServices.registry, nullptr, Strings::programTitle());
    platform::Platform services{registry, hostServices.files, hostServices.system,
                                hostServices.processes};
    AppSettings settings(services.registry);
    settings.setAppName(QStringLiteral("Korvane"));
    CliUi ui(ctx.err);
    MainState state;
    state.env = OeEnvironment::detect(services, settings, ui, false, Strings::programTitle());
    if (state.env.outcome != OeEnvironmentResult::Outcome::Ready) {
        ctx.err << "kv2000-cli inventory: "
                << (state.env.message.isEmpty() ? Strings::get(StringId::NoOe4MailFolders)
                                                : state.env.message)
                << "\n";
        return ExitCode::InventoryFailed;
    }
    if (ctx.isSet("identity") && !chooseIdentity(services, state.env, ctx.value("identity"))) {
        ctx.err << "kv2000-cli inventory: no identity " << ctx.value("identity") << "\n";
        return ExitCode::InventoryFailed;
    }
    state.oe5Mode = state.env.isOe5();
    state.programFolder = winpath::removeTrailingBackslash(services.system.programFolder());
    state.controlFilePath =
        ControlFile::path(state.programFolder, state.oe5Mode, state.env.chosenId);
    const ControlFile::Remembered remembered =
        ControlFile::readRemembered(services.files, state.controlFilePath);
    state.rememberedNames = remembered.names;
    state.rememberedFlags = remembered.flags;
    loadDefaults(settings, state);

    TreeListModel grid;
    Inventory inventory(services, ui, settings, state, grid);
    if (!inventory.build())
        return ExitCode::InventoryFailed;
    for (int row = 0; row < grid.totalRowCount(); ++row) {
        const QString indent(2 * grid.level(row), QLatin1Char(' '));
        if (row == 0 && grid.level(0) == 0 && grid.cell(0, cell::Type).isEmpty()) {
            ctx.out << grid.text(0) << "\n";
            continue;
        }
        ctx.out << indent << stateMark(grid.checkState(row)) << " " << grid.text(row) << "\t"
                << itemKind(grid, row) << "\t" << grid.cell(row, cell::Counts) << "\t"
                << grid.cell(row, cell::FileSize) << "\t" << grid.cell(row, cell::MbxName) << "\n";
    }
    ItemSelection selection(grid, inventory.totals());
    ctx.out << selection.countText() << "\t" << selection.totalSizeText() << "\t"
            << selection.estimateText() << "\n";
    return ExitCode::Ok;
}

} // namespace

const CliCommand kInventoryCommand{
    "inventory", "[--prefix DIR | --demo] [--identity NAME|ID]",
    "what a backup would offer: one line a row (state, name, kind, messages, bytes, file), then "
    "the totals",
    kOptions, runInventory};

} // namespace kv::cli
