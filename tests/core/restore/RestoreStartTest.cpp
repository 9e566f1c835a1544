// The restore's start and its page through the window's controller, on a backup the wizard made.
#include "core/shell/ShellTestEnv.h"
#include "support/PressingRunner.h"

#include "EnvBuilder.h"
#include "backup/BackupFunctions.h"
#include "backup/ItemGrid.h"
#include "restore/RestoreFunctions.h"
#include "util/SystemUtils.h"
#include "util/TaskRunner.h"
#include "zip/ZipComponent.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;

const QString kBackups = "C:\\Backups";
const QString kItemList = "KorvaneBackup.log";

// A version-5 user with one backup in C:\Backups; each restore opens a new window on it.
struct Restore : ShellTestEnv
{
    Restore()
    {
        demo::EnvBuilder::Options options;
        options.identities = 1;
        options.userName = "tester";
        options.messagesPerFolder = 2;
        demo::EnvBuilder builder(registry, dir.path(), options);
        QString error;
        EXPECT_TRUE(builder.build(&error)) << error.toStdString();
        const auto& identity = builder.identities().value(0);
        id = identity.id;
        storeFolder = identity.storeFolder + '\\';
        files.makeSurePath(kBackups + '\\');
        for (const char* key : {"TidingsTip", "WarnVirus", "WarnAboutWAB"})
            settings.saveSetting(QString(), key, key == QString("TidingsTip") ? "Y" : "N");
        ControlFile::writeLines(files, kProgramFolder + "\\tnsys5." + id + ".ctl",
                                {"Korvane - OE5 - {" + identity.name + "} " + id});
        archive = kBackups + "\\Korvane5Backup." + identity.name + ".2026-12-06-10-30.eaz";
        EXPECT_EQ(startOwn(), LoadResult::Interactive);
        wizardBackup(kBackups);
        EXPECT_TRUE(SystemUtils::fileExists(files, archive));
    }
    ~Restore() { controller.reset(); }
    // A new window with the program's own functions; the synchronise stays a recording.
    LoadResult startOwn(const QStringList& commandLine = {})
    {
        controller.reset();
        view = std::make_unique<FakeMainView>();
        const auto openLog = [this](const QString& path) { openedLogs << path; };
        restore = std::make_unique<RestoreFunctions>(
            RestoreFunctions::Services{platform, ui, *view, settings, runner, openLog}, functions);
        backup = std::make_unique<BackupFunctions>(
            BackupFunctions::Services{platform, ui, *view, settings, runner, openLog}, *restore);
        controller = std::make_unique<MainController>(platform, ui, *view, backup.get(), &runner);
        return controller->load(commandLine);
    }
    // A new window, then Restore with the file and type given; returns the messages shown.
    QStringList open(const QString& path, int type, const std::function<void()>& more = {})
    {
        if (type == 0)
            settings.saveSetting(id, "WarnOverWrite", "N");
        ui.answerBackupFile(path, type);
        if (more)
            more();
        EXPECT_EQ(startOwn(), LoadResult::Interactive);
        openedLogs.clear(); // the backup's
        const qsizetype before = ui.messages().size();
        controller->restoreClicked();
        return ui.messages().mid(before);
    }
    // The first row of a kind with data in the archive.
    int rowOf(ItemKind kind, int after = 0) const
    {
        for (int row = after + 1; row < grid().totalRowCount(); ++row)
            if (itemKind(grid(), row) == int(kind) && grid().checkState(row) != kNotAvailable)
                return row;
        return -1;
    }
    const TreeListModel& grid() const { return view->grid; }
    MainState& st() { return controller->state(); }

    QString id, storeFolder, archive;
    PressingRunner runner;
    std::unique_ptr<RestoreFunctions> restore;
    std::unique_ptr<BackupFunctions> backup;
    QStringList openedLogs;
};

// The backup-file dialog starts at the last backup; a missing file asks Retry/Cancel, Retry asks
// again from the typed path, Cancel gives the buttons back. Then selected folders: the overwrite
// caution, mark clicks with their checks, a redirect; Next follows the marks.
TEST(RestoreStart, SelectedFoldersPage)
{
    Restore env;
    const QString typed = kBackups + "\\gone.eaz";
    env.ui.answerBackupFile(typed, 0).answerMessage(MsgResult::Retry);
    env.ui.answerBackupFile(typed, 0).answerMessage(MsgResult::Cancel);
    ASSERT_EQ(env.startOwn(), LoadResult::Interactive);
    const qsizetype before = env.ui.shown().size();
    env.controller->restoreClicked();
    QStringList asked;
    for (const auto& s : env.ui.shown().mid(before))
        asked << s.kind + ": " + s.text;
    EXPECT_EQ(asked, QStringList({"backupFile: " + env.archive, "message: Backup file not found",
                                  "backupFile: " + typed, "message: Backup file not found"}));
    EXPECT_EQ(env.view->button(MainButton::Restore), 1);

    env.ui.answerBackupFile(env.archive, 0).answerGenMessage(true, true);
    env.controller->restoreClicked();
    EXPECT_EQ(env.shown("help").size(), 1); // the caution's Yes, with "do not show again"
    EXPECT_EQ(env.setting(env.id, "WarnOverWrite"), "N");
    FakeMainView& v = *env.view;
    EXPECT_EQ(v.visibleSteps, QSet<int>{4});

    const int inbox = env.rowOf(ItemKind::MailFolder);
    const int other = env.rowOf(ItemKind::MailFolder, inbox);
    ASSERT_GT(other, inbox);
    const QString inboxName = env.grid().text(inbox);
    const QString otherFile = env.grid().cell(other, cell::MbxName);

    EXPECT_EQ(v.button(MainButton::Next), 0);
    env.controller->itemPictureClicked(inbox);
    EXPECT_EQ(v.button(MainButton::Next), 1);

    // Redirecting a marked row keeps the count; the root and the chooser's Cancel change nothing.
    const int target = env.restore->currentFolders().findCell(cell::MbxName, otherFile, 1);
    ASSERT_GT(target, 0);
    env.ui.answerRestoreFolder(0).answerRestoreFolder(-1).answerRestoreFolder(target);
    for (int i = 0; i < 3; ++i)
        env.controller->itemDoubleClicked(inbox);
    EXPECT_EQ(env.shown("beep").size(), 1);
    EXPECT_EQ(env.grid().text(inbox), inboxName + "\t>>> " + env.grid().text(other));
    EXPECT_EQ(env.grid().cell(inbox, cell::RestoreToName), otherFile);
    EXPECT_EQ(env.grid().cell(inbox, cell::RestoreToIndex), QString::number(target));
    EXPECT_EQ(env.st().selectedCount, 1);

    // Unmarking removes the redirect; Next goes off with the last mark.
    env.controller->itemPictureClicked(inbox);
    EXPECT_EQ(env.grid().text(inbox), inboxName);
    EXPECT_TRUE(env.grid().cell(inbox, cell::RestoreToName).isEmpty());
    EXPECT_EQ(v.button(MainButton::Next), 0);

    // A folder whose file is gone is not marked, and says so.
    ASSERT_TRUE(env.files.removeFile(env.storeFolder + otherFile));
    env.controller->itemPictureClicked(other);
    EXPECT_EQ(env.grid().checkState(other), kNotSelected);
    EXPECT_EQ(env.ui.messages().last(), "The selected Folder no longer exists. You must select an "
                                        "alternate folder for the restore.");

    // Non-folder rows cannot be redirected.
    env.controller->itemDoubleClicked(env.rowOf(ItemKind::Rules));
    EXPECT_EQ(env.ui.messages().last(), "This item may not be restored to a different folder");
    EXPECT_EQ(env.ui.pendingAnswers(), 0);
}

// A full restore marks every folder of the archive and locks them; Select All is off.
TEST(RestoreStart, FullRestoreMarksAllAndBlocksClicks)
{
    Restore env;
    env.open(env.archive, 2);
    EXPECT_TRUE(env.shown("genMessage").isEmpty()); // the caution is for selected folders only
    int folders = 0;
    for (int row = 1; row < env.grid().totalRowCount(); ++row) {
        const bool folder =
            itemKind(env.grid(), row) < 10 && env.grid().cell(row, cell::HasData) == "Y";
        EXPECT_EQ(env.grid().checkState(row) == kSelected, folder) << row;
        folders += folder ? 1 : 0;
    }
    ASSERT_GT(folders, 0);
    EXPECT_EQ(env.st().selectedCount, folders);

    const int inbox = env.rowOf(ItemKind::MailFolder);
    env.controller->itemPictureClicked(inbox);
    env.controller->itemDoubleClicked(inbox);
    EXPECT_EQ(env.grid().checkState(inbox), kSelected);
    EXPECT_EQ(env.shown("beep").size(), 2);
    // The other items may still be chosen; a marked settings group brings the registry caution.
    env.controller->itemPictureClicked(env.rowOf(ItemKind::Rules));
    EXPECT_EQ(env.st().selectedCount, folders + 1);
    env.ui.answerGenMessage(false, false);
    env.controller->nextClicked();
    EXPECT_EQ(env.st().step, 3);
    EXPECT_EQ(env.shown("genMessage").size(), 1);
    EXPECT_EQ(env.ui.pendingAnswers(), 0);
}

// Restore Now: the controls are locked while the run works and a second press is ignored; the
// program ends after a run (the log shown when asked), but not when nothing was marked.
TEST(RestoreStart, RestoreNowRunsAndEnds)
{
    struct Case
    {
        bool mark, autoShowLog, closes;
    };
    for (const Case c :
         {Case{true, true, true}, Case{true, false, true}, Case{false, true, false}}) {
        SCOPED_TRACE(QString("mark %1 log %2").arg(c.mark).arg(c.autoShowLog).toStdString());
        Restore env;
        env.open(env.archive, 0);
        const int inbox = env.rowOf(ItemKind::MailFolder);
        const QString file = env.storeFolder + env.grid().cell(inbox, cell::MbxName);
        const QByteArray saved = env.files.readFile(file);
        ASSERT_FALSE(saved.isEmpty());
        env.files.writeFile(file, "changed since the backup");
        if (c.mark) {
            env.controller->itemPictureClicked(inbox);
            env.controller->nextClicked();
            EXPECT_TRUE(env.shown("genMessage").isEmpty()); // no registry caution for folders
        }
        env.st().autoShowLog = c.autoShowLog;
        int presses = 0;
        env.runner.press = [&] {
            ++presses;
            EXPECT_TRUE(env.view->gridLocked);
            EXPECT_EQ(env.view->button(MainButton::Run), 0);
            env.controller->backupRunClicked();
        };
        env.controller->backupRunClicked();
        EXPECT_EQ(presses, 1);
        EXPECT_EQ(env.view->closes, c.closes ? 1 : 0);
        const QStringList logs{env.st().restoreLogPath};
        EXPECT_EQ(env.openedLogs, c.closes && c.autoShowLog ? logs : QStringList());
        EXPECT_EQ(env.files.readFile(file) == saved, c.mark);
        EXPECT_EQ(env.view->gridLocked, c.closes);
        EXPECT_EQ(env.view->button(MainButton::Run), c.closes ? 0 : 1);
    }
}

// Archives whose item list cannot be had: the message, the program ends, no copy is left.
TEST(RestoreStart, ItemListMissingEndsTheProgram)
{
    const struct
    {
        const char* what;
        QString message; // "" for the Retry/Cancel box, answered Retry then Cancel
    } cases[] = {
        {"no item list", "Unexpected Error  40   Unable to locate backup log"},
        {"not a zip", "Unexpected Error  400   Unable to locate backup log"},
        {"cannot be opened", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Restore env;
        const QString path = kBackups + "\\odd.eaz";
        zip::ZipComponent zipper(env.files);
        zipper.setArchiveName(path);
        zipper.setFilesToProcess(env.storeFolder + "*.dbx");
        if (QString(c.what) == "no item list")
            ASSERT_EQ(zipper.zip(), zip::kZipSuccess);
        else
            env.files.writeFile(path, "not an archive at all");
        env.files.writeFile(Restore::kProgramFolder + '\\' + kItemList, "an old copy");
        const QStringList messages = env.open(path, 0, [&] {
            if (!c.message.isEmpty())
                return;
            env.files.failOn(FileCall::Open, path);
            env.ui.answerMessage(MsgResult::Retry).answerMessage(MsgResult::Cancel);
        });
        const QString open = "Unable to open the backup file " + path;
        EXPECT_TRUE(messages.value(0).startsWith(c.message.isEmpty() ? open : c.message));
        EXPECT_EQ(messages.size(), c.message.isEmpty() ? 2 : 1) << messages.join('|').toStdString();
        EXPECT_EQ(env.view->closes, 1);
        EXPECT_FALSE(
            SystemUtils::fileExists(env.files, Restore::kProgramFolder + '\\' + kItemList));
        EXPECT_EQ(env.ui.pendingAnswers(), 0);
    }
}

} // namespace
} // namespace kv::test
