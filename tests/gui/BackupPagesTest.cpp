// The backup's wizard steps, the run's progress across threads and the quick-backup windows.
#include "BackupPages.h"
#include "MainWindow.h"
#include "ModalDriver.h"
#include "PercentMeter.h"
#include "QtUi.h"
#include "QuickBackupWindows.h"
#include "ScreenProgress.h"
#include "ThreadTaskRunner.h"
#include "TreeListView.h"
#include "core/oeenv/OeTestEnv.h"
#include "core/shell/ShellTestEnv.h"
#include "shell/MainController.h"
#include "support/QtPrinters.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QThread>

namespace kv::test {
namespace {

using gui::MainWindow;

// Records the backup pages' events as the controller hands them over.
class PageEvents : public RecordingFunctions
{
public:
    void itemPictureClicked(MainState&, int row) override { calls << u"picture %1"_s.arg(row); }
    void itemDetailsRequested(MainState&, int row) override { calls << u"details %1"_s.arg(row); }
    void itemDoubleClicked(MainState&, int row) override { calls << u"double %1"_s.arg(row); }
    void selectAllClicked(MainState&) override { calls << u"selectAll"_s; }
    void clearAllClicked(MainState&) override { calls << u"clearAll"_s; }
    void browseSaveLocationClicked(MainState&) override { calls << u"browse"_s; }
    void clearDisksClicked(MainState&, bool on) override { calls << u"clearDisks %1"_s.arg(on); }
    void backupRunClicked(MainState&) override { calls << u"run"_s; }
};

// The main window on the wizard page with a real controller over an environment in memory.
struct WizardWindow
{
    WizardWindow()
    {
        window.setController(&controller);
        const int root = window.itemGrid().addRow(u"Outlook Express"_s);
        for (const char* name : {"Inbox", "Sent Items"})
            window.itemGrid().setPicture(window.itemGrid().addChild(root, QLatin1String(name)),
                                         TreeListModel::Picture::Ticked);
        window.showPage(MainPage::Wizard);
        window.show();
        QTest::qWait(20);
    }
    gui::TreeListView* grid() { return child<gui::TreeListView>(&window, "itemGrid"); }

    OeTestEnv env;
    PageEvents functions;
    MainWindow window;
    MainController controller{env.platform, env.ui, window, &functions};
};

void clickPicture(gui::TreeListView* grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->pictureRect(row).center());
}

void rightClick(gui::TreeListView* grid, int row)
{
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->cellRect(row, 0).center());
}

TEST(BackupPages, GridAndButtonsReachTheControllerUnlessTheGridIsLocked)
{
    WizardWindow w;
    for (int step = 0; step <= gui::MainWindow::kRestoreStep; ++step)
        w.window.setStepVisible(step, true);
    gui::TreeListView* grid = w.grid();
    clickPicture(grid, 1);
    rightClick(grid, 2);
    EXPECT_EQ(grid->currentRow(), 2);
    // A click on the text beside the picture is no picture click.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 0).topRight());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(2, 0).center());
    for (const char* name : {"itemsSelectAllButton", "itemsClearAllButton", "browseButton",
                             "restoreSelectAllButton", "restoreClearAllButton"})
        QTest::mouseClick(child<QPushButton>(&w.window, name), Qt::LeftButton);
    w.window.setItemVisible(MainItem::ClearDisks, true);
    w.window.setClearDisksChecked(false);
    auto* clearDisks = child<QCheckBox>(&w.window, "clearDisksCheck");
    QTest::mouseClick(clearDisks, Qt::LeftButton, {}, QPoint(8, clearDisks->height() / 2));
    QTest::mouseClick(child<QPushButton>(&w.window, "runButton"), Qt::LeftButton);
    EXPECT_EQ(
        w.functions.calls,
        (QStringList{u"picture 1"_s, u"details 2"_s, u"double 2"_s, u"selectAll"_s, u"clearAll"_s,
                     u"browse"_s, u"selectAll"_s, u"clearAll"_s, u"clearDisks 1"_s, u"run"_s}));

    // While a run is under way the grid's clicks go nowhere; the run button still cancels.
    w.functions.calls.clear();
    w.window.setGridLocked(true);
    clickPicture(grid, 1);
    rightClick(grid, 2);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(2, 0).center());
    QTest::keyClick(grid, Qt::Key_Space);
    QTest::mouseClick(child<QPushButton>(&w.window, "runButton"), Qt::LeftButton);
    w.window.setGridLocked(false);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(w.functions.calls, (QStringList{u"run"_s, u"picture 2"_s}));
}

TEST(BackupPages, StepItemsShowAsToldAndTheRenameChoiceReadsBack)
{
    WizardWindow w;
    for (int step = 0; step <= gui::MainWindow::kRestoreStep; ++step)
        w.window.setStepVisible(step, true);
    // Each item with its widget, and the caution that goes with the clear-diskettes box.
    const std::tuple<MainItem, const char*, const char*> items[] = {
        {MainItem::WabWarning, "addressBookWarning", nullptr},
        {MainItem::LoadingText, "loadingText", nullptr},
        {MainItem::Instruction, "instruction", nullptr},
        {MainItem::ProgressLabel, "progressText", nullptr},
        {MainItem::ProgressMeter, "progressMeter", nullptr},
        {MainItem::ClearDisks, "clearDisksCheck", "disketteCaution"},
        {MainItem::SpaceWarning, "spaceWarning", nullptr},
        {MainItem::SpaceRequirement, "spaceRequirement", nullptr},
        {MainItem::DisketteCount, "disketteCount", nullptr},
        {MainItem::RenameFrame, "renameFrame", nullptr},
        {MainItem::RestoreHint, "restoreHint", nullptr},
        {MainItem::SelectAll, "restoreSelectAllButton", nullptr},
    };
    for (const auto& [item, name, companion] : items) {
        for (bool visible : {false, true}) {
            w.window.setItemVisible(item, visible);
            EXPECT_EQ(child<QWidget>(&w.window, name)->isVisible(), visible) << name;
            if (companion) {
                EXPECT_EQ(child<QWidget>(&w.window, companion)->isVisible(), visible);
            }
        }
    }
    // The restore's Select All is its own: hiding and greying it out leaves the backup's alone.
    w.window.setItemVisible(MainItem::SelectAll, false);
    w.window.setButtonEnabled(MainButton::SelectAll, false);
    EXPECT_FALSE(child<QPushButton>(&w.window, "restoreSelectAllButton")->isEnabled());
    auto* backupSelectAll = child<QPushButton>(&w.window, "itemsSelectAllButton");
    EXPECT_TRUE(backupSelectAll->isEnabled() && backupSelectAll->isVisible());

    // The name step's two choices: "save the existing backup" is the rename.
    w.window.setRenameChoice(false);
    EXPECT_TRUE(child<QRadioButton>(&w.window, "replaceOption")->isChecked());
    QTest::mouseClick(child<QRadioButton>(&w.window, "saveExistingOption"), Qt::LeftButton);
    EXPECT_TRUE(w.window.renameChoice());

    // Red while the diskettes will be emptied, else the caution's colour.
    auto* clearDisks = child<QCheckBox>(&w.window, "clearDisksCheck");
    const QColor caution =
        child<QLabel>(&w.window, "disketteCaution")->palette().color(QPalette::WindowText);
    w.window.setClearDisksHighlighted(true);
    EXPECT_EQ(clearDisks->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    w.window.setClearDisksHighlighted(false);
    EXPECT_EQ(clearDisks->palette().color(QPalette::WindowText), caution);
    EXPECT_NE(caution, QColor(255, 0, 0));

    // Texts reach their boxes; the run button's caption is the Run button's.
    const std::tuple<MainText, const char*, const char*> texts[] = {
        {MainText::BackupName, "backupNameBox", "C:\\Backups\\Korvane5Backup.Main.eaz"},
        {MainText::ItemCount, "itemCountBox", "3 of 12 Items"},
        {MainText::RunButton, "runButton", "Cancel"},
        {MainText::RestoreNote, "restoreNote", "note"},
        {MainText::ClearAll, "itemsClearAllButton", "&Clear All"},
    };
    for (const auto& [text, name, value] : texts) {
        w.window.setText(text, QLatin1String(value));
        EXPECT_EQ(child<QWidget>(&w.window, name)->property("text").toString(),
                  QLatin1String(value));
    }
}

// The run zips on the runner's worker thread and reports from there; the screen shows it on its
// own thread, the worker never waits for the screen, and done comes back on the GUI thread.
TEST(BackupPages, ProgressFromTheWorkerArrivesOnTheGuiThread)
{
    WizardWindow w;
    w.window.setStepVisible(3, true);
    gui::ThreadTaskRunner runner;
    auto* meter = child<gui::PercentMeter>(&w.window, "progressMeter");
    auto* label = child<QLabel>(&w.window, "progressText");
    QThread* gui = QThread::currentThread();
    QThread* workThread = nullptr;
    QThread* doneThread = nullptr;
    QList<QThread*> phaseThreads;
    QObject::connect(&w.window.backupPages()->progress(), &gui::ScreenProgress::phaseChanged,
                     [&](RunPhase) { phaseThreads << QThread::currentThread(); });
    RunProgress& progress = w.window.runProgress();
    bool released = false;
    runner.run(
        [&] {
            workThread = QThread::currentThread();
            progress.setPhase(RunPhase::Zipping);
            progress.setMeterVisible(true);
            progress.setProgressText(u"Saving: Inbox"_s);
            progress.setPercent(30);
            progress.setPercent(45);
            progress.setProgressText(u"Checking Backup File"_s, ProgressStyle::Checking);
            // Had any call waited for the GUI thread, this would never be reached while the
            // GUI thread is held below.
            released = true;
        },
        [&] { doneThread = QThread::currentThread(); });
    QThread::msleep(200); // the GUI thread busy: nothing may be drawn from the worker
    EXPECT_TRUE(released);
    EXPECT_EQ(meter->percent(), 0);
    QTRY_VERIFY(doneThread != nullptr);
    EXPECT_NE(workThread, gui);
    EXPECT_EQ(doneThread, gui);
    EXPECT_EQ(phaseThreads, QList<QThread*>{gui});
    EXPECT_EQ(runner.pending(), 0);
    EXPECT_EQ(meter->percent(), 45);
    EXPECT_TRUE(meter->isVisible());
    EXPECT_GT(meter->barRect().width(), 0);
    EXPECT_EQ(label->text(), u"Checking Backup File"_s);
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
}

TEST(QuickBackup, ConfirmationAnswersWithAndWithoutTheCheckBox)
{
    gui::QtUi ui;
    // Shown box, ticked, button pressed ("" closes the window) -> answer.
    const std::tuple<bool, bool, const char*, QuickBackupAnswer> cases[] = {
        {true, true, "proceedButton", QuickBackupAnswer::ProceedAndStopAsking},
        {true, false, "proceedButton", QuickBackupAnswer::Proceed},
        {true, true, "cancelButton", QuickBackupAnswer::Cancel},
        {false, false, "proceedButton", QuickBackupAnswer::Proceed},
        {false, false, "cancelButton", QuickBackupAnswer::Cancel},
        {true, true, "", QuickBackupAnswer::Cancel},
    };
    int shortHeight = 0, tallHeight = 0;
    for (const auto& [showBox, tick, press, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << showBox << tick << press);
        whenModal([&, showBox = showBox, tick = tick, press = press](QWidget* dialog) {
            EXPECT_EQ(dialog->windowTitle(), u"Korvane 2000 - Quick Backup ?"_s);
            auto* box = child<QCheckBox>(dialog, "doNotAskCheck");
            EXPECT_EQ(box->isVisible(), showBox);
            (showBox ? tallHeight : shortHeight) = dialog->height();
            if (tick)
                box->setChecked(true);
            if (*press)
                QTest::mouseClick(child<QPushButton>(dialog, press), Qt::LeftButton);
            else
                dialog->close();
        });
        EXPECT_EQ(ui.confirmQuickBackup(showBox), expected);
    }
    EXPECT_EQ(shortHeight, gui::QuickBackupConfirmation::kShortHeight);
    EXPECT_GT(tallHeight, shortHeight);
}

// A run asks from its worker: the box and the address book question open on the GUI thread and
// their answers go back. The quick window too may be opened from there.
TEST(QuickBackup, QtUiAnswersAWorkerAndItsWindowCancels)
{
    QWidget owner;
    owner.setWindowIcon(QIcon(QPixmap(16, 16)));
    gui::QtUi ui(&owner);
    MsgResult answer = MsgResult::Ok;
    QThread* boxThread = nullptr;
    whenModal([&](QWidget* dialog) {
        boxThread = dialog->thread();
        qobject_cast<QMessageBox*>(dialog)->button(QMessageBox::No)->click();
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->thread(), boxThread);
            QTest::mouseClick(child<QLabel>(modal, "temporaryFolderOptionText"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(modal, "okButton"), Qt::LeftButton);
        });
    });
    WabRestoreTarget target = WabRestoreTarget::NormalLocation;
    int cancels = 0;
    RunProgress* quick = nullptr;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        answer = ui.messageBox(u"In use"_s, MsgButtons::YesNo, MsgIcon::Critical, u"t"_s);
        target = ui.chooseWabRestore(u"C:\\KV2000.hlp"_s);
        quick = ui.openQuickBackupWindow([&] { ++cancels; });
        quick->setPercent(70);
    }));
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 10000);
    EXPECT_EQ(answer, MsgResult::No);
    EXPECT_EQ(boxThread, QThread::currentThread());
    EXPECT_EQ(target, WabRestoreTarget::TemporaryFolder);

    QPointer<QWidget> window = ui.quickBackupWindow();
    ASSERT_TRUE(window);
    EXPECT_EQ(window->windowTitle(), u"Korvane - Fast Backup"_s);
    EXPECT_EQ(window->windowIcon().cacheKey(), owner.windowIcon().cacheKey());
    QTRY_COMPARE(child<gui::PercentMeter>(window, "progressBar")->percent(), 70);
    QTest::mouseClick(child<QPushButton>(window, "cancelButton"), Qt::LeftButton);
    // The close box only asks the run to stop; the run closes the window.
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(cancels, 2);
    ui.closeQuickBackupWindow();
    QTRY_VERIFY(window.isNull());
}

} // namespace
} // namespace kv::test
