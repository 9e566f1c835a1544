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
        for (int step = 0; step <= MainWindow::kRestoreStep; ++step)
            window.setStepVisible(step, true);
        window.show();
        QTest::qWait(20);
    }

    OeTestEnv env;
    PageEvents functions;
    MainWindow window;
    MainController controller{env.platform, env.ui, window, &functions};
};

// A picture click on row 1, a right click and a double click on row 2.
void clickGrid(gui::TreeListView* grid)
{
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->pictureRect(1).center());
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->cellRect(2, 0).center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(2, 0).center());
}

TEST(BackupPages, GridAndButtonsReachTheControllerUnlessTheGridIsLocked)
{
    WizardWindow w;
    auto* grid = child<gui::TreeListView>(&w.window, "itemGrid");
    clickGrid(grid);
    EXPECT_EQ(grid->currentRow(), 2);
    for (const char* name : {"itemsSelectAllButton", "itemsClearAllButton", "browseButton",
                             "restoreSelectAllButton", "restoreClearAllButton"})
        QTest::mouseClick(child<QPushButton>(&w.window, name), Qt::LeftButton);
    w.window.setItemVisible(MainItem::ClearDisks, true);
    EXPECT_TRUE(child<QWidget>(&w.window, "disketteCaution")->isVisible());
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
    clickGrid(grid);
    QTest::keyClick(grid, Qt::Key_Space);
    QTest::mouseClick(child<QPushButton>(&w.window, "runButton"), Qt::LeftButton);
    w.window.setGridLocked(false);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(w.functions.calls, (QStringList{u"run"_s, u"picture 2"_s}));
    // "Save the existing backup" is the rename.
    w.window.setRenameChoice(false);
    QTest::mouseClick(child<QRadioButton>(&w.window, "saveExistingOption"), Qt::LeftButton);
    EXPECT_TRUE(w.window.renameChoice());
}

// The run zips on a worker and reports from there without waiting for the screen; its questions
// open on the GUI thread and their answers go back; done comes back on the GUI thread.
TEST(BackupPages, WorkerReportsWithoutWaitingAndAsksThroughTheGuiThread)
{
    WizardWindow w;
    gui::ThreadTaskRunner runner;
    gui::QtUi ui(&w.window);
    auto* meter = child<gui::PercentMeter>(&w.window, "progressMeter");
    QThread* gui = QThread::currentThread();
    QThread *workThread = nullptr, *doneThread = nullptr, *boxThread = nullptr;
    QList<QThread*> phaseThreads;
    QObject::connect(&w.window.backupPages()->progress(), &gui::ScreenProgress::phaseChanged,
                     [&](RunPhase) { phaseThreads << QThread::currentThread(); });
    whenModal([&](QWidget* dialog) {
        boxThread = dialog->thread();
        QTest::keyClick(dialog, Qt::Key_Escape); // a Yes/No box's Escape is its No
        whenModal([&](QWidget* modal) {
            QTest::mouseClick(child<QLabel>(modal, "temporaryFolderOptionText"), Qt::LeftButton);
            QTest::mouseClick(child<QPushButton>(modal, "okButton"), Qt::LeftButton);
        });
    });
    RunProgress& progress = w.window.runProgress();
    bool released = false;
    MsgResult answer = MsgResult::Ok;
    WabRestoreTarget target = WabRestoreTarget::NormalLocation;
    int cancels = 0;
    runner.run(
        [&] {
            workThread = QThread::currentThread();
            progress.setPhase(RunPhase::Zipping);
            progress.setMeterVisible(true);
            progress.setPercent(30);
            progress.setPercent(45);
            progress.setProgressText(u"Checking Backup File"_s, ProgressStyle::Checking);
            released = true; // not reached while the GUI thread is held, had a call waited
            answer = ui.messageBox(u"In use"_s, MsgButtons::YesNo, MsgIcon::Critical, u"t"_s);
            target = ui.chooseWabRestore(u"C:\\KV2000.hlp"_s);
            ui.openQuickBackupWindow([&] { ++cancels; })->setPercent(70);
        },
        [&] { doneThread = QThread::currentThread(); });
    QThread::msleep(200); // the GUI thread busy: nothing may be drawn from the worker
    EXPECT_TRUE(released);
    EXPECT_EQ(meter->percent(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(doneThread != nullptr, 10000);
    EXPECT_NE(workThread, gui);
    EXPECT_EQ(doneThread, gui);
    EXPECT_EQ(boxThread, gui);
    EXPECT_EQ(phaseThreads, QList<QThread*>{gui});
    EXPECT_EQ(runner.pending(), 0);
    EXPECT_EQ(meter->percent(), 45);
    EXPECT_GT(meter->barRect().width(), 0);
    EXPECT_EQ(child<QLabel>(&w.window, "progressText")->text(), u"Checking Backup File"_s);
    EXPECT_EQ(answer, MsgResult::No);
    EXPECT_EQ(target, WabRestoreTarget::TemporaryFolder);

    // The quick window's close box only asks the run to stop; the run closes the window.
    QPointer<QWidget> window = ui.quickBackupWindow();
    ASSERT_TRUE(window);
    QTRY_COMPARE(child<gui::PercentMeter>(window, "progressBar")->percent(), 70);
    QTest::mouseClick(child<QPushButton>(window, "cancelButton"), Qt::LeftButton);
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(cancels, 2);
    ui.closeQuickBackupWindow();
    QTRY_VERIFY(window.isNull());
}

TEST(QuickBackup, ConfirmationAnswersWithAndWithoutTheCheckBox)
{
    gui::QtUi ui;
    // Shown box, ticked, button pressed ("" closes the window) -> answer.
    const std::tuple<bool, bool, const char*, QuickBackupAnswer> cases[] = {
        {true, true, "proceedButton", QuickBackupAnswer::ProceedAndStopAsking},
        {false, false, "cancelButton", QuickBackupAnswer::Cancel},
        {true, true, "", QuickBackupAnswer::Cancel},
    };
    for (const auto& [showBox, tick, press, expected] : cases) {
        SCOPED_TRACE(::testing::Message() << showBox << tick << press);
        whenModal([&, showBox = showBox, tick = tick, press = press](QWidget* dialog) {
            auto* box = child<QCheckBox>(dialog, "doNotAskCheck");
            EXPECT_EQ(box->isVisible(), showBox);
            if (tick)
                box->setChecked(true);
            if (*press)
                QTest::mouseClick(child<QPushButton>(dialog, press), Qt::LeftButton);
            else
                dialog->close();
        });
        EXPECT_EQ(ui.confirmQuickBackup(showBox), expected);
    }
}

} // namespace
} // namespace kv::test
