// kv2000-cli backup: the backup of an identity's mail store without the window, with the
// choices the last backup left (or everything), into a folder of the Windows environment.
#include "BackupSession.h"
#include "CliCommand.h"
#include "Environment.h"

#include "backup/BackupRun.h"
#include "backup/Inventory.h"
#include "grid/TreeListModel.h"
#include "util/TaskRunner.h"

#include <atomic>
#include <csignal>

namespace kv::cli {

namespace {

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"identity", "NAME|ID", "the identity to back up (default: as the program chooses)"},
    {"to", "FOLDER", "the Windows folder for the archive (default: the last one used)"},
    {"replace", nullptr, "replace an archive of the same name instead of keeping it renamed"},
    {"yes", nullptr, "answer OK to the diskette prompts"},
};

std::atomic<BackupRun*> g_running{nullptr};

extern "C" void onInterrupt(int)
{
    if (BackupRun* run = g_running.load())
        run->requestCancel();
}

ExitCode exitFor(const BackupRun& run)
{
    if (run.cancelled())
        return ExitCode(3);
    switch (run.summary().resultCode) {
    case 0:
    case 10:
    case 30:
        return ExitCode::Ok;
    case 40:
    case 140:
        return ExitCode::Failed;
    default:
        return ExitCode(2);
    }
}

ExitCode runBackupCommand(CliContext& ctx)
{
    if (!ctx.args.isEmpty())
        return ctx.usageError(QStringLiteral("unexpected argument '%1'").arg(ctx.args.first()));
    ExitCode code = ExitCode::Ok;
    const auto host = openEnvironment(ctx, &code);
    if (!host)
        return code;
    BackupSession session(*host, ctx);
    if (!session.open(&code))
        return code;

    TreeListModel grid;
    Inventory inventory(session.services(), session.ui(), session.settings(), session.state(),
                        grid);
    if (!inventory.build()) {
        ctx.err << "kv2000-cli backup: the inventory of the mail store failed\n";
        return ExitCode(2);
    }

    TerminalProgress progress(ctx.err);
    BackupRun run(session.services(), session.ui(), session.settings(), session.state(), grid,
                  inventory.totals(), progress);
    g_running = &run;
    const auto previous = std::signal(SIGINT, onInterrupt);
    InlineTaskRunner runner;
    run.start(runner, {});
    std::signal(SIGINT, previous);
    g_running = nullptr;
    progress.done();

    const BackupSummary& s = run.summary();
    if (run.cancelled()) {
        ctx.err << "kv2000-cli backup: cancelled\n";
        return ExitCode(3);
    }
    if (s.archivePath.isEmpty()) {
        ctx.err << "kv2000-cli backup: no archive was written (result " << s.resultCode << ")\n";
        return s.resultCode == 0 || s.resultCode == -1 ? ExitCode(2) : exitFor(run);
    }
    ctx.out << "archive: " << s.archivePath << "\n";
    ctx.out << "host: " << session.services().files.toHostPath(s.archivePath) << "\n";
    ctx.out << "items: " << s.items << ", files: " << s.files << ", bytes read: " << s.bytesRead
            << ", archive bytes: " << s.archiveBytes << ", result: " << s.resultCode << "\n";
    return exitFor(run);
}

} // namespace

const CliCommand kBackupCommand{
    "backup", "[--prefix DIR | --demo] [--identity NAME|ID] [--to FOLDER] [--replace] [--yes]",
    "back up the mail store with the last backup's choices into a .eaz archive", kOptions,
    runBackupCommand};

} // namespace kv::cli
