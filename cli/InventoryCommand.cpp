// kv2000-cli inventory: the item grid a backup would offer, as the backup page shows it.
#include "BackupSession.h"
#include "CliCommand.h"
#include "Environment.h"

#include "backup/Inventory.h"
#include "grid/TreeListModel.h"
#include "shell/MainState.h"

namespace kv::cli {

namespace {

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"identity", "NAME|ID", "the identity to look at (default: as the start-up chooses)"},
};

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
    BackupSession session(*host, ctx);
    if (!session.openStore(&code))
        return ExitCode::InventoryFailed;
    MainState& state = session.state();

    TreeListModel grid;
    Inventory inventory(session.services(), session.ui(), session.settings(), state, grid);
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
