// kv2000-cli sync: the backup's messages that are missing from, or changed in, the live mail
// folders, listed without the window, and optionally written out as .eml files or one mbox file.
#include "BackupSession.h"
#include "CliCommand.h"
#include "Environment.h"
#include "RestoreCliUi.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "msgstore/MboxWriter.h"
#include "msgstore/MessageExport.h"
#include "msgstore/MsgStoreLog.h"
#include "msgstore/SyncComparison.h"
#include "platform/Platform.h"
#include "platform/WinPath.h"
#include "restore/RestoreContext.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreSelection.h"
#include "restore/RestoreStart.h"
#include "util/ScratchFolder.h"
#include "util/SystemUtils.h"
#include "zip/ZipTypes.h"

#include <atomic>
#include <csignal>
#include <optional>

namespace kv::cli {

namespace {

using msgstore::MessageExport;

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"identity", "NAME|ID",
     "the identity whose folders are compared (default: as the program "
     "chooses)"},
    {"folders", "NAME,...",
     "compare these folders (display or file names; default: every folder "
     "of the backup that the store still has)"},
    {"extract", "DIR", "write the listed messages as .eml files below DIR (a host path)"},
    {"mbox", "FILE", "write the listed messages into one mboxrd file (a host path)"},
    {"exact", nullptr, "compare whole message bytes instead of From, Subject, Date and size"},
};

const char kCommand[] = "kv2000-cli sync";
constexpr int kSynchronise = 3;

std::atomic_bool g_cancel{false};
std::atomic<RestoreRun*> g_running{nullptr};

extern "C" void onSyncInterrupt(int)
{
    g_cancel = true;
    if (RestoreRun* run = g_running.load())
        run->cancel();
}

ExitCode fail(CliContext& ctx, const QString& text)
{
    ctx.err << kCommand << ": " << text << "\n";
    return ExitCode(2);
}

// Marks the folders asked for as the folder page would (a folder the store no longer has cannot
// be marked), or every backup folder the store still has. False after a message.
bool markFolders(CliContext& ctx, const RestoreContext& context, platform::IFileSystem& files,
                 TreeListModel& grid, RestoreSelection& selection)
{
    QStringList names;
    for (const QString& list : ctx.options.values(QStringLiteral("folders")))
        for (const QString& name : list.split(u',', Qt::SkipEmptyParts))
            names << name.trimmed();
    const auto isFolder = [&](int row) { return itemKind(grid, row) == int(ItemKind::MailFolder); };
    if (names.isEmpty()) {
        for (int row = 1; row < grid.totalRowCount(); ++row)
            if (isFolder(row) && grid.checkState(row) != kSelected &&
                SystemUtils::fileExists(files, context.storeFolder + grid.cell(row, cell::MbxName)))
                selection.markClicked(row);
        if (selection.markedCount() > 0)
            return true;
        fail(ctx, QStringLiteral("no mail folder of the backup is in the current mail store"));
        return false;
    }
    for (const QString& name : names) {
        QList<int> found;
        for (int row = 1; row < grid.totalRowCount(); ++row)
            if (isFolder(row) &&
                (RestoreSelection::ownName(grid.text(row)).compare(name, Qt::CaseInsensitive) ==
                     0 ||
                 grid.cell(row, cell::MbxName).compare(name, Qt::CaseInsensitive) == 0))
                found << row;
        if (found.size() != 1) {
            fail(ctx,
                 found.isEmpty()
                     ? QStringLiteral("the backup has no mail folder named '%1'").arg(name)
                     : QStringLiteral("'%1' names %2 folders of the backup: give its file name")
                           .arg(name)
                           .arg(found.size()));
            return false;
        }
        if (grid.checkState(found.first()) == kSelected)
            continue;
        selection.markClicked(found.first());
        if (grid.checkState(found.first()) != kSelected) {
            fail(ctx, QStringLiteral("'%1' is not in the current mail store: only folders with "
                                     "matching names are compared")
                          .arg(name));
            return false;
        }
    }
    return true;
}

QList<msgstore::SyncFolder> markedFolders(const TreeListModel& grid)
{
    QList<msgstore::SyncFolder> folders;
    for (const RestoreItem& item : restoreItemsOf(grid))
        if (item.marked)
            folders.append({item.displayName, item.fileName});
    return folders;
}

// Writes the listed messages as .eml files and/or one mbox file; false after a message when
// any could not be written.
bool writeListed(CliContext& ctx, const QList<MessageExport::Request>& listed,
                 msgstore::StoreFormat format, const QString& priorFolder)
{
    bool ok = true;
    MessageExport exporter(format, priorFolder);
    if (ctx.isSet("extract")) {
        const QString dir = ctx.value("extract");
        for (const MessageExport::Request& m : listed) {
            const MessageExport::Result r = exporter.write(m, dir);
            if (r.status != MessageExport::Status::Written) {
                fail(ctx, r.error);
                ok = false;
            }
        }
    }
    if (ctx.isSet("mbox")) {
        msgstore::MboxWriter mbox;
        if (!mbox.open(ctx.value("mbox")))
            return fail(ctx, mbox.error()), false;
        for (const MessageExport::Request& m : listed) {
            MessageExport::Status status;
            QString error;
            const QByteArray bytes = exporter.messageBytes(m, &status, &error);
            if (status != MessageExport::Status::Written || !mbox.add(bytes)) {
                fail(ctx, status == MessageExport::Status::Written ? mbox.error() : error);
                mbox.abandon();
                return false;
            }
        }
        if (!mbox.finish())
            return fail(ctx, mbox.error()), false;
    }
    return ok;
}

ExitCode runSyncCommand(CliContext& ctx)
{
    if (ctx.args.size() != 1)
        return ctx.usageError(ctx.args.isEmpty()
                                  ? QStringLiteral("no backup file given")
                                  : QStringLiteral("unexpected argument '%1'").arg(ctx.args.at(1)));
    const QString archive = ctx.args.first();
    ExitCode code = ExitCode::Ok;
    const auto host = openEnvironment(ctx, &code);
    if (!host)
        return code == ExitCode::Failed ? ExitCode(2) : code;
    BackupSession session(*host, ctx);
    if (!session.openStore(&code))
        return code;
    platform::Platform& platform = session.services();
    MainState& state = session.state();
    platform::FileEntry entry;
    if (!platform.files.stat(archive, &entry) || entry.isDirectory())
        return fail(ctx, QStringLiteral("Backup file not found: %1 (a Windows path of the "
                                        "environment, such as C:\\Backups\\X.eaz)")
                             .arg(archive));

    RestoreCliUi ui(ctx.err, false, WabRestoreTarget::NormalLocation);
    state.backupFile = archive;
    state.restoreType = kSynchronise;
    RestoreContext context = restoreContextFor(platform, state);
    RestoreStart start(platform, ui);
    TreeListModel grid;
    const RestoreStart::ListLoad list =
        start.loadItemList(context, itemListOptionsFor(context), grid);
    if (list.status == RestoreStart::ListStatus::Cancelled)
        return ctx.err << kCommand << ": cancelled at the disk prompt\n", ExitCode(3);
    if (list.status != RestoreStart::ListStatus::Loaded)
        return fail(ctx, QStringLiteral("the item list of %1 cannot be read (result %2)")
                             .arg(archive)
                             .arg(list.zipResult));
    TreeListModel current;
    const bool currentLoaded = start.loadCurrentFolders(context, session.settings(), current);
    RestoreSelection selection(context, platform.files, ui, grid, current, currentLoaded);
    if (!markFolders(ctx, context, platform.files, grid, selection))
        return ExitCode(2);

    // Made fresh and removed with everything in it when the command ends.
    ScratchFolder scratch(platform.files, QStringLiteral("kv2000-sync"));
    if (!scratch.make(context.tempFolder))
        return fail(ctx, QStringLiteral("cannot make a folder in %1").arg(context.tempFolder));
    context.tempFolder = scratch.path();

    TerminalProgress progress(ctx.err);
    RestoreRun run(platform, ui, progress);
    g_cancel = false;
    g_running = &run;
    const auto previous = std::signal(SIGINT, onSyncInterrupt);
    struct SignalReset
    {
        decltype(previous) handler;
        ~SignalReset()
        {
            g_running = nullptr;
            std::signal(SIGINT, handler);
        }
    } reset{previous};
    const RestoreOutcome outcome = run.run(context, restoreItemsOf(grid));
    g_running = nullptr;
    progress.done(false);
    if (outcome.status == RestoreOutcome::Status::Cancelled || g_cancel)
        return ctx.err << kCommand << ": cancelled\n", ExitCode(3);
    const int rc = outcome.mailResult;
    if (outcome.status != RestoreOutcome::Status::SynchroniseReady ||
        (rc != zip::kZipSuccess && rc != zip::kZipNothingToDo && rc != zip::kZipFilesSkipped))
        return fail(ctx, QStringLiteral("the folders cannot be extracted from %1 (result %2)")
                             .arg(archive)
                             .arg(rc));

    msgstore::SyncComparison::Options options;
    options.currentFolder = platform.files.toHostPath(context.storeFolder);
    options.priorFolder = platform.files.toHostPath(context.tempFolder);
    options.format = context.oe5 ? msgstore::StoreFormat::Dbx : msgstore::StoreFormat::Mbx;
    options.mode =
        ctx.isSet("exact") ? msgstore::SyncCompareMode::Exact : msgstore::SyncCompareMode::Records;
    msgstore::SyncComparison comparison(options);
    comparison.cancel = &g_cancel;
    comparison.stageChanged = [&](msgstore::SyncStage stage, const msgstore::SyncFolder& f) {
        progress.setProgressText(msgstore::syncStageText(stage, f.displayName),
                                 ProgressStyle::Normal);
    };
    comparison.progress = [&](int percent) { progress.setPercent(percent); };

    QList<MessageExport::Request> listed;
    QStringList summary;
    bool skipped = false;
    for (const msgstore::SyncFolder& folder : markedFolders(grid)) {
        msgstore::SyncFolderResult result;
        const bool finished = comparison.compareFolder(folder, &result);
        if (!finished || g_cancel) {
            progress.done(false);
            return ctx.err << kCommand << ": cancelled\n", ExitCode(3);
        }
        // Never compare, or restore, from anything but the folder's own backup copy.
        if (!result.priorOpened) {
            qCWarning(lcMsgStore).noquote()
                << "skipping" << folder.fileName << "- its backup copy was not extracted";
            ctx.err << kCommand << ": " << folder.displayName << " (" << folder.fileName
                    << ") was not extracted from the backup: skipped\n";
            summary << QStringLiteral("folder: %1\tfile: %2\tskipped")
                           .arg(folder.displayName, folder.fileName);
            skipped = true;
            continue;
        }
        if (!result.currentOpened)
            ctx.err << kCommand << ": the store's " << folder.fileName
                    << " cannot be read: every backup message is listed\n";
        for (const msgstore::SyncListedMessage& m : result.listed) {
            // The row that names the .eml file is the message's line in the printed list.
            listed.append({folder.displayName, folder.fileName, m.number, listed.size() + 1});
            ctx.out << folder.displayName << '\t' << m.number << '\t' << m.from << '\t' << m.subject
                    << '\t' << m.date << '\n';
        }
        summary << QStringLiteral("folder: %1\tfile: %2\tlisted: %3\tbackup: %4\tcurrent: %5")
                       .arg(folder.displayName, folder.fileName)
                       .arg(result.listed.size())
                       .arg(result.priorCount)
                       .arg(result.currentCount);
    }
    progress.done(false);
    for (const QString& line : summary)
        ctx.out << line << '\n';
    ctx.out.flush();
    if (!writeListed(ctx, listed, options.format, options.priorFolder))
        return ExitCode(2);
    if (skipped)
        return ExitCode(2);
    return listed.isEmpty() ? ExitCode::Ok : ExitCode(1);
}

} // namespace

const CliCommand kSyncCommand{
    "sync",
    "ARCHIVE [--prefix DIR | --demo] [--identity NAME|ID] [--folders NAME,...] [--extract DIR] "
    "[--mbox FILE] [--exact]",
    "list the backup's messages that are missing from or changed in the current mail folders",
    kOptions,
    runSyncCommand,
    "ARCHIVE is a Windows path, as 'backup' prints it. The chosen folders are extracted into a\n"
    "temporary folder (removed afterwards) and compared with the store's: a backup message is\n"
    "listed when no current message has its From, Subject and Date, or the first one that has\n"
    "them differs in size (.mbx; a .dbx message's size is not compared); with --exact, when no\n"
    "current message has exactly its bytes. Messages only in the store are never listed.\n"
    "Output: one line per listed message, FOLDER TAB NUMBER TAB FROM TAB SUBJECT TAB DATE\n"
    "(NUMBER: the message's number in the backup's copy), then per folder\n"
    "'folder: NAME TAB file: FILE TAB listed: N TAB backup: N TAB current: N' (or 'skipped'\n"
    "when the backup's copy could not be extracted).\n"
    "--extract writes DIR/<folder name>/<subject, 25 characters>.<N>.eml, N being the message's\n"
    "line in the printed list (1-based), without \\ / : * ? \" < > | and '.' in the names;\n"
    "--mbox writes the messages' exact bytes, From-quoted, in one file (.mbx records without\n"
    "their NUL fill). Both write host paths; an existing file of the same name is replaced.\n"
    "Exit codes: 0 nothing missing, 1 messages listed, 2 failure (bad arguments, unreadable\n"
    "archive, a folder skipped, a write failed), 3 cancelled (Ctrl+C).\n"};

} // namespace kv::cli
