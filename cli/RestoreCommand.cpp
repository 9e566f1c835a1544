// kv2000-cli restore: a backup brought back without the window, with the rows named on the
// command line and every question the restore asks answered from its options.
#include "BackupSession.h"
#include "CliCommand.h"
#include "Environment.h"
#include "RestoreCliUi.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "oeenv/RunningClient.h"
#include "restore/RestoreContext.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreSelection.h"
#include "restore/RestoreStart.h"
#include "shell/Strings.h"

#include <atomic>
#include <csignal>
#include <optional>

namespace kv::cli {

namespace {

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"identity", "NAME|ID", "the identity to restore into (default: as the program chooses)"},
    {"all", nullptr, "full restore: every mail folder of the backup, and the store's index"},
    {"only", "ROW,...", "restore these rows (numbers or names as 'archive items' lists them)"},
    {"to", "ROW=FOLDER", "restore the mail folder ROW into the current folder FOLDER"},
    {"wab", "normal|temp",
     "the address book replaces the registered one (normal) or goes to My Documents (temp)"},
    {"yes", nullptr, "answer Yes to the store copy, the registry imports and the disk prompts"},
};

const char kCommand[] = "kv2000-cli restore";

std::atomic<RestoreRun*> g_running{nullptr};

extern "C" void onRestoreInterrupt(int)
{
    if (RestoreRun* run = g_running.load())
        run->cancel();
}

ExitCode fail(CliContext& ctx, const QString& text)
{
    ctx.err << kCommand << ": " << text << "\n";
    return ExitCode(2);
}

// A row by its number, else by its name (its own name, or its file name in the archive or the
// store), compared without regard to case: folders may be named "2002". -1 after a message when
// there is none or several.
int findRow(const TreeListModel& grid, const QString& name, const char* what, CliContext& ctx)
{
    bool number = false;
    const int row = name.toInt(&number);
    if (number && row >= 1 && row < grid.totalRowCount())
        return row;
    QList<int> found;
    for (int r = 1; r < grid.totalRowCount(); ++r)
        if (RestoreSelection::ownName(grid.text(r)).compare(name, Qt::CaseInsensitive) == 0 ||
            grid.cell(r, cell::MbxName).compare(name, Qt::CaseInsensitive) == 0)
            found << r;
    if (found.size() == 1)
        return found.first();
    if (found.isEmpty() && number) {
        fail(ctx, QStringLiteral("there is no %1 row %2 (rows 1 to %3)")
                      .arg(QLatin1String(what), name)
                      .arg(grid.totalRowCount() - 1));
    } else if (found.isEmpty()) {
        fail(ctx, QStringLiteral("no %1 row is named '%2'").arg(QLatin1String(what), name));
    } else {
        QStringList rows;
        for (int r : found)
            rows << QString::number(r);
        fail(ctx, QStringLiteral("'%1' names %2 rows (%3): give its number")
                      .arg(name, QLatin1String(what), rows.join(QStringLiteral(", "))));
    }
    return -1;
}

struct Choices
{
    QString archive;
    bool all = false;
    QStringList only;
    QList<std::pair<QString, QString>> redirects; // row, current folder
    std::optional<WabRestoreTarget> wab;
    bool yes = false;
};

std::optional<Choices> readChoices(CliContext& ctx, ExitCode* code)
{
    auto usage = [&](const QString& what) {
        *code = ctx.usageError(what);
        return std::nullopt;
    };
    if (ctx.args.size() != 1)
        return usage(ctx.args.isEmpty()
                         ? QStringLiteral("no backup file given")
                         : QStringLiteral("unexpected argument '%1'").arg(ctx.args.at(1)));
    Choices c;
    c.archive = ctx.args.first();
    c.all = ctx.isSet("all");
    c.yes = ctx.isSet("yes");
    for (const QString& list : ctx.options.values(QStringLiteral("only")))
        for (const QString& name : list.split(u',', Qt::SkipEmptyParts))
            c.only << name.trimmed();
    for (const QString& to : ctx.options.values(QStringLiteral("to"))) {
        const qsizetype eq = to.indexOf(u'=');
        if (eq <= 0 || eq == to.size() - 1)
            return usage(QStringLiteral("--to takes ROW=FOLDER, not '%1'").arg(to));
        c.redirects.append({to.left(eq).trimmed(), to.mid(eq + 1).trimmed()});
    }
    if (!c.all && c.only.isEmpty() && c.redirects.isEmpty())
        return usage(
            QStringLiteral("say what to restore: --all, --only ROW,... or --to ROW=FOLDER"));
    if (c.all && !c.redirects.isEmpty())
        return usage(QStringLiteral("--to cannot be used with --all: when doing a Full Restore, "
                                    "you may not restore to alternate folders"));
    if (ctx.isSet("wab")) {
        const QString wab = ctx.value("wab");
        if (wab == u"normal")
            c.wab = WabRestoreTarget::NormalLocation;
        else if (wab == u"temp")
            c.wab = WabRestoreTarget::TemporaryFolder;
        else
            return usage(QStringLiteral("--wab takes normal or temp"));
    }
    return c;
}

// The marks as the restore page would hold them after the user's clicks: the checks and
// messages of a click apply. Any row that cannot be marked as asked stops the command before
// anything has changed.
bool markRows(CliContext& ctx, const Choices& c, TreeListModel& grid, TreeListModel& current,
              bool currentLoaded, RestoreSelection& selection)
{
    if (c.all)
        selection.markAllFolders();
    QList<int> redirected;
    QList<int> targets;
    for (const auto& [rowName, folder] : c.redirects) {
        const int row = findRow(grid, rowName, "backup", ctx);
        if (row < 0)
            return false;
        if (!currentLoaded) {
            fail(ctx, QStringLiteral("the store's folder index cannot be read: rows can only be "
                                     "restored to folders of their own name"));
            return false;
        }
        const int target = findRow(current, folder, "current folder", ctx);
        if (target < 0)
            return false;
        redirected << row;
        targets << target;
    }
    for (const QString& name : c.only) {
        const int row = findRow(grid, name, "backup", ctx);
        if (row < 0)
            return false;
        if (redirected.contains(row) || grid.checkState(row) == kSelected)
            continue;
        selection.markClicked(row);
        if (grid.checkState(row) != kSelected) {
            fail(ctx, QStringLiteral("row %1 (%2) cannot be restored; nothing was changed")
                          .arg(row)
                          .arg(RestoreSelection::ownName(grid.text(row))));
            return false;
        }
    }
    for (qsizetype i = 0; i < redirected.size(); ++i) {
        if (!selection.redirectTo(redirected[i], targets[i])) {
            fail(ctx, QStringLiteral("row %1 (%2) cannot be restored into %3; nothing was changed")
                          .arg(redirected[i])
                          .arg(RestoreSelection::ownName(grid.text(redirected[i])),
                               current.text(targets[i])));
            return false;
        }
    }
    if (selection.markedCount() == 0) {
        fail(ctx,
             QStringLiteral("the backup holds no mail folder to restore; nothing was changed"));
        return false;
    }
    return true;
}

bool addressBookMarked(const TreeListModel& grid)
{
    for (int row = 1; row < grid.totalRowCount(); ++row)
        if (itemKind(grid, row) == int(ItemKind::AddressBook) && grid.checkState(row) == kSelected)
            return true;
    return false;
}

ExitCode exitFor(const RestoreOutcome& o, const RestoreCliUi& ui)
{
    switch (o.status) {
    case RestoreOutcome::Status::Cancelled:
        return ExitCode(3);
    case RestoreOutcome::Status::RegistryHeld:
    case RestoreOutcome::Status::NothingMarked:
        return ExitCode(2);
    case RestoreOutcome::Status::Completed:
    case RestoreOutcome::Status::SynchroniseReady:
        break;
    }
    // A settings group whose import was refused for want of --yes was not restored either.
    const bool declined = ui.refused(RestoreCliUi::Question::RegistryImport);
    return o.skippedFiles > 0 || o.failedSteps > 0 || declined ? ExitCode::Failed : ExitCode::Ok;
}

ExitCode runRestoreCommand(CliContext& ctx)
{
    ExitCode code = ExitCode::Ok;
    const std::optional<Choices> choices = readChoices(ctx, &code);
    if (!choices)
        return code;
    const auto host = openEnvironment(ctx, &code);
    if (!host)
        return code == ExitCode::Failed ? ExitCode(2) : code;
    BackupSession session(*host, ctx);
    if (!session.openStore(&code))
        return code;
    platform::Platform& platform = session.services();
    MainState& state = session.state();
    if (RunningClient::isClientRunning(platform.processes))
        return fail(ctx, Strings::get(StringId::MustExitClient) + QStringLiteral(" ") +
                             Strings::get(StringId::PriorToBackupOrRestore));
    platform::FileEntry entry;
    if (!platform.files.stat(choices->archive, &entry) || entry.isDirectory())
        return fail(ctx, QStringLiteral("Backup file not found: %1 (a Windows path of the "
                                        "environment, such as C:\\Backups\\X.eaz)")
                             .arg(choices->archive));

    RestoreCliUi ui(ctx.err, choices->yes, choices->wab.value_or(WabRestoreTarget::NormalLocation));
    state.backupFile = choices->archive;
    state.restoreType = choices->all ? 2 : 0;
    RestoreContext context = restoreContextFor(platform, state);
    RestoreStart start(platform, ui);
    TreeListModel grid;
    const RestoreStart::ListLoad list =
        start.loadItemList(context, itemListOptionsFor(context), grid);
    if (list.status == RestoreStart::ListStatus::Cancelled &&
        ui.refused(RestoreCliUi::Question::InsertDisk)) {
        ctx.err << kCommand << ": cancelled at the disk prompt; nothing was changed\n";
        return ExitCode(3);
    }
    if (list.status != RestoreStart::ListStatus::Loaded)
        return fail(ctx, QStringLiteral("the item list of %1 cannot be read (result %2); nothing "
                                        "was changed")
                             .arg(choices->archive)
                             .arg(list.zipResult));
    context.archiveWabName = list.list.addressBookFile;
    context.backupIdentityId = list.list.identityId;

    TreeListModel current;
    const bool currentLoaded = start.loadCurrentFolders(context, session.settings(), current);
    RestoreSelection selection(context, platform.files, ui, grid, current, currentLoaded);
    if (!markRows(ctx, *choices, grid, current, currentLoaded, selection))
        return ExitCode(2);
    if (addressBookMarked(grid) && !choices->wab)
        return ctx.usageError(
            QStringLiteral("the address book is marked: give --wab normal (it "
                           "replaces the registered one, kept as .wax) or "
                           "--wab temp (RestoredAddressBook.wab in My Documents)"));

    TerminalProgress progress(ctx.err);
    RestoreRun run(platform, ui, progress);
    g_running = &run;
    const auto previous = std::signal(SIGINT, onRestoreInterrupt);
    const RestoreOutcome outcome = run.run(context, restoreItemsOf(grid));
    std::signal(SIGINT, previous);
    g_running = nullptr;
    progress.done(false);

    switch (outcome.status) {
    case RestoreOutcome::Status::Cancelled:
        ctx.err << kCommand << ": cancelled\n";
        break;
    case RestoreOutcome::Status::RegistryHeld:
        ctx.err << kCommand << ": nothing was changed\n";
        break;
    default:
        break;
    }
    for (const QString& name : outcome.restored)
        ctx.err << "restored: " << name << "\n";
    ctx.out << "restored: " << outcome.restored.size()
            << " items, skipped files: " << outcome.skippedFiles
            << ", failed steps: " << outcome.failedSteps
            << ", log: " << (outcome.logPath.isEmpty() ? QStringLiteral("none") : outcome.logPath)
            << "\n";
    return exitFor(outcome, ui);
}

} // namespace

const CliCommand kRestoreCommand{
    "restore",
    "ARCHIVE [--prefix DIR | --demo] [--identity NAME|ID] [--all | --only ROW,...] "
    "[--to ROW=FOLDER ...] [--wab normal|temp] [--yes]",
    "restore mail folders, the address book, Favorites or settings from a backup",
    kOptions,
    runRestoreCommand,
    "ARCHIVE is a Windows path, as 'backup' prints it, such as\n"
    "'C:\\Backups\\Korvane5Backup.Main Identity.2026-01-31-10-00.eaz' (quoted for the shell).\n"
    "Rows are named by number or name, as 'kv2000-cli archive items ARCHIVE' lists them;\n"
    "--all marks every mail folder of the backup, --only adds other rows to it.\n"
    "What a restore replaces is kept: folder files in the Recycle Bin, the address book as\n"
    ".wax, each settings group as a dated .reg file in the program folder.\n"
    "Without --yes every question is refused, which keeps the data it is about: a full\n"
    "restore stops at the offer of a copy of the store (exit 3), settings groups are not\n"
    "imported (exit 1) and a spanned backup stops at its first disk prompt (exit 3).\n"
    "Exit codes: 0 restored, 1 files or items skipped or a step failed, 2 failure (bad\n"
    "arguments, unreadable archive, registry held by Wine; nothing changed), 3 cancelled.\n"};

} // namespace kv::cli
