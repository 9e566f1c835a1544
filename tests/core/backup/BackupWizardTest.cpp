// The backup wizard and the quick backup through the controller, with the real inventory and run.
#include "core/shell/ShellTestEnv.h"

#include "EnvBuilder.h"
#include "backup/Inventory.h"
#include "shell/Strings.h"
#include "support/PressingRunner.h"
#include "support/QtPrinters.h"
#include "util/SystemUtils.h"
#include "util/TaskRunner.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;
using platform::DriveType;

const QString kBackups = "C:\\Backups";
const QString kClientRunning =
    "You MUST exit Outlook Express and the Address Book\nprior to doing a Backup or Restore";

// Version 5, one identity, a generated store, drive A: and C:\Backups.
struct Wizard : ShellTestEnv
{
    Wizard()
    {
        demo::EnvBuilder::Options options;
        options.identities = 1;
        options.userName = "tester";
        options.messagesPerFolder = 3;
        demo::EnvBuilder builder(registry, dir.path(), options);
        QString error;
        EXPECT_TRUE(builder.build(&error)) << error.toStdString();
        const auto& identity = builder.identities().value(0);
        id = identity.id;
        baseName = "Korvane5Backup." + identity.name + ".";
        files.mapDrive('A', dir.path() + "/drive_a", DriveType::Removable);
        files.makeSurePath(kBackups + '\\');
        settings.saveSetting(QString(), "TidingsTip", "Y");
        settings.saveSetting(QString(), "WarnVirus", "N");
        settings.saveSetting(QString(), "WarnAboutWAB", "N");
        ControlFile::writeLines(files, kProgramFolder + "\\tnsys5." + id + ".ctl",
                                {"Korvane - OE5 - {" + identity.name + "} " + id});
    }
    LoadResult startOwn(const QStringList& commandLine = {})
    {
        view = std::make_unique<FakeMainView>();
        controller = std::make_unique<MainController>(platform, ui, *view, nullptr, &runner);
        return controller->load(commandLine);
    }
    void openWizard()
    {
        ASSERT_EQ(startOwn(), LoadResult::Interactive);
        controller->backupClicked();
    }
    void toStep(int step)
    {
        while (st().step < step)
            controller->nextClicked();
        ASSERT_EQ(st().step, step);
    }
    void chooseLocation(const QString& folder)
    {
        ui.answerFolder(folder);
        controller->browseSaveLocationClicked();
    }
    QString text(MainText t) const { return view->texts.value(t); }
    bool shows(MainItem item) const { return view->items.value(item, false); }
    MainState& st() { return controller->state(); }
    QString archiveName() const { return baseName + "2026-12-06-10-30.eaz"; }

    QString id, baseName;
    PressingRunner runner;
};

TEST(BackupWizard, FromTheBackupButtonToTheRun)
{
    Wizard env;
    env.settings.saveSetting(QString(), "WarnVirus", "Y");
    env.ui.answerGenMessage(false, true); // the virus advice, not again
    ASSERT_EQ(env.startOwn(), LoadResult::Interactive);
    // Refused while the client runs, and nothing changes.
    const auto book = env.processes.addWindow("WABBrowseView", "Address Book");
    env.controller->backupClicked();
    EXPECT_EQ(env.ui.messages(), QStringList{kClientRunning});
    EXPECT_EQ(env.view->page, MainPage::Opening);
    env.processes.closeWindow(book);
    env.controller->backupClicked();
    EXPECT_EQ(env.shown("genMessage").size(), 1);
    EXPECT_EQ(env.setting(QString(), "WarnVirus"), "N");
    EXPECT_EQ(env.view->page, MainPage::Wizard);

    // Next follows the selection, and on step 1 needs an existing save folder.
    env.controller->clearAllClicked();
    EXPECT_EQ(env.view->button(MainButton::Next), 0);
    env.controller->selectAllClicked();
    env.toStep(1);
    env.st().saveFolder = "C:\\Missing";
    env.controller->nextClicked();
    EXPECT_EQ(env.view->visibleSteps, QSet<int>{1});
    EXPECT_EQ(env.ui.messages().last(), "The drive is not ready or the folder does not exist");
    env.chooseLocation(kBackups);
    env.toStep(3);
    env.controller->backupRunClicked();
    EXPECT_TRUE(SystemUtils::fileExists(env.files, kBackups + '\\' + env.archiveName()));
    EXPECT_EQ(env.view->closes, 1);
}

// Free space equal to the estimate is enough, a byte less is not; a same-named archive is kept.
TEST(BackupWizard, EstimateAndExistingName)
{
    Wizard env;
    env.openWizard();
    InventoryTotals totals;
    ItemSelection selection(env.view->grid, totals);
    selection.recount();
    const qint64 e = selection.estimatedBytes();
    ASSERT_GT(e, 0);
    env.toStep(1);
    env.chooseLocation(kBackups);
    for (const auto& [free, warned] : {std::pair{e, false}, std::pair{e - 1, true}}) {
        env.files.setDiskSpace(quint64(free), quint64(e) * 4, 'C');
        env.controller->clearDisksClicked(true); // estimates again
        EXPECT_EQ(env.shows(MainItem::SpaceWarning), warned) << free;
    }

    env.files.writeFile(kBackups + '\\' + env.archiveName(), "old");
    env.toStep(2);
    EXPECT_TRUE(env.view->renameChosen);
}

// A RAM disk is refused and the location shown stays the one used; a network path is taken.
TEST(BackupWizard, BrowsingForTheLocation)
{
    Wizard env;
    env.files.mapDrive('R', env.dir.path() + "/ram", DriveType::RamDisk);
    env.files.makeSurePath("R:\\Keep\\");
    env.openWizard();
    env.toStep(1);
    env.chooseLocation(kBackups);
    env.chooseLocation("R:\\Keep");
    EXPECT_EQ(env.ui.messages().last(), "R:\\- is not a valid drive for a backup");
    EXPECT_EQ(env.text(MainText::SaveLocation), kBackups);
    EXPECT_EQ(env.st().saveFolder, kBackups);
    env.chooseLocation("\\\\server\\share");
    EXPECT_EQ(env.text(MainText::SaveLocation), "\\\\server\\share");
}

// Cancel during the run: the program stays, the wizard usable again.
TEST(BackupWizard, CancelDuringTheRunKeepsTheProgramOpen)
{
    Wizard env;
    env.openWizard();
    env.toStep(1);
    env.chooseLocation(kBackups);
    env.toStep(3);
    env.runner.press = [&] {
        EXPECT_TRUE(env.view->gridLocked);
        EXPECT_FALSE(env.controller->queryClose());
        env.controller->backupRunClicked();
    };
    env.controller->backupRunClicked();
    EXPECT_EQ(env.view->closes, 0);
    EXPECT_FALSE(env.st().busy);
    EXPECT_FALSE(env.view->gridLocked);
}

// The quick backup through the real run, never while the mail client holds the store.
TEST(BackupWizard, QuickBackup)
{
    const struct
    {
        bool client;
        const char* commandLine;
        LoadResult result;
        QString message; // the last message box, "" for none
    } cases[] = {
        {false, "\\F", LoadResult::QuickBackup, ""},
        // Without "\A" the client was never looked for: the store was copied while written.
        {true, "\\F", LoadResult::Interactive, kClientRunning},
        {true, "\\FA", LoadResult::QuickBackup, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        Wizard env;
        for (const auto& [key, value] :
             {std::pair{"LastSavePath", kBackups}, {"AllowQuick", "Y"}, {"WarnOnQuick", "N"}})
            env.settings.saveSetting(env.id, key, value);
        if (c.client)
            env.processes.addWindow("Outlook Express Browser Class", "Outlook Express");
        const bool ran = c.result == LoadResult::QuickBackup;
        EXPECT_EQ(env.startOwn({c.commandLine}), c.result);
        EXPECT_EQ(env.ui.messages().value(env.ui.messages().size() - 1), c.message);
        EXPECT_EQ(SystemUtils::fileExists(env.files, kBackups + '\\' + env.archiveName()), ran);
        EXPECT_EQ(env.shown("quickWindowClosed").size(), ran ? 1 : 0);
        EXPECT_EQ(env.view->closes, ran ? 1 : 0);
    }
}

} // namespace
} // namespace kv::test
