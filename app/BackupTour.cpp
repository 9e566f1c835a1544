#include "BackupTour.h"

#include "MainWindow.h"
#include "QtUi.h"
#include "QuickBackupWindows.h"
#include "backup/ItemGrid.h"
#include "backup/RunProgress.h"
#include "grid/TreeListModel.h"
#include "shell/MainController.h"
#include "shell/Strings.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

namespace kv::app {

namespace {

using Picture = TreeListModel::Picture;

struct DemoRow
{
    int parent; // -1: below the root
    const char* name;
    ItemKind kind;
    int state;
    qint64 size;
};

// A store as the inventory lists it, for builds without the backup functions.
constexpr DemoRow kDemoRows[] = {
    {-1, "Windows Address Book (WAB)", ItemKind::AddressBook, kSelected, 48128},
    {-1, "IE Favorites", ItemKind::Favorites, kSelected, 21504},
    {-1, "Inbox", ItemKind::MailFolder, kSelected, 2457600},
    {2, "Family", ItemKind::MailFolder, kSelected, 813056},
    {2, "Receipts", ItemKind::MailFolder, kNotSelected, 120320},
    {-1, "Outbox", ItemKind::MailFolderNoFile, kNotAvailable, 0},
    {-1, "Sent Items", ItemKind::MailFolder, kSelected, 1048576},
    {-1, "Deleted Items", ItemKind::MailFolder, kNotSelected, 307200},
    {-1, "news.example.com", ItemKind::NewsServer, kNotSelected, 0},
    {8, "comp.lang.basic", ItemKind::NewsGroup, kNotSelected, 96256},
    {-1, "Rules Wizard", ItemKind::Rules, kSelected, 2048},
    {-1, "Accounts", ItemKind::Accounts, kSelected, 3072},
    {-1, "Signatures", ItemKind::Signatures, kSelected, 1024},
};

void fillDemoGrid(TreeListModel& grid)
{
    grid.redrawOff();
    grid.clear();
    const int root = grid.addRow(QStringLiteral("Outlook Express"));
    grid.setPicture(root, Picture::RootOE5);
    QList<int> rows;
    for (const DemoRow& d : kDemoRows) {
        const QString name = QString::fromLatin1(d.name);
        const int row = d.parent < 0 ? grid.addChild(root, name) : grid.addChild(rows[d.parent], name);
        rows.append(row);
        const int kind = int(d.kind);
        grid.setCell(row, cell::Display, name);
        grid.setCell(row, cell::Type, QString::number(kind));
        grid.setCell(row, cell::FileSize, QString::number(d.size));
        grid.setCell(row, cell::FlgSave, QString::number(d.state));
        grid.setCheckState(row, d.state);
        grid.setPicture(row, Picture(d.state));
        if (kind == int(ItemKind::AddressBook))
            grid.setBackColor(row, itemcolor::AddressBook);
        else if (kind == int(ItemKind::NewsServer) || kind == int(ItemKind::NewsGroup))
            grid.setBackColor(row, itemcolor::News);
        else if (kind == int(ItemKind::Favorites) || isSettingsGroup(kind))
            grid.setBackColor(row, itemcolor::Other);
        if (d.state == kNotAvailable)
            grid.setForeColor(row, itemcolor::NoFile);
    }
    grid.redrawOn();
}

// The pages as the backup functions leave them at each step.
void fillDemoPages(gui::MainWindow& w)
{
    fillDemoGrid(w.itemGrid());
    w.setText(MainText::StepCaption, QStringLiteral("Data Available to Backup"));
    w.setText(MainText::Instruction,
              QStringLiteral("Click on the Check box to select items to copy to the backup."));
    w.setText(MainText::ItemCount, QStringLiteral("8 of 13 Items"));
    w.setText(MainText::TotalSize, QStringLiteral("4,804 KBytes"));
    w.setText(MainText::BackupSize, QStringLiteral("2,882 KBytes"));
    w.setItemVisible(MainItem::LoadingText, false);
    w.setText(MainText::SaveLocation, QStringLiteral("a:\\"));
    w.setItemVisible(MainItem::ClearDisks, true);
    w.setClearDisksChecked(true);
    w.setClearDisksHighlighted(true);
    w.setText(MainText::DisketteCount, QStringLiteral("Estimated diskettes required = 3"));
    w.setItemVisible(MainItem::DisketteCount, true);
    w.setText(MainText::BackupName,
              QStringLiteral("C:\\Backups\\Korvane5Backup.Main.2000-05-03-14-05.eaz"));
    w.setItemVisible(MainItem::RenameFrame, true);
    w.setRenameChoice(true);
    w.setText(MainText::RunLabel,
              QStringLiteral("Select \"Make Backup\" to compress and backup your email folders"));
    w.setButtonEnabled(MainButton::Next, true);
    w.showPage(MainPage::Wizard);
}

void showStep(gui::MainWindow& w, int step)
{
    for (int i = 0; i < gui::MainWindow::kSteps; ++i)
        w.setStepVisible(i, i == step);
}

// Pictures each modal dialog that opens meanwhile and answers it with its default.
class ModalWatcher
{
public:
    ModalWatcher(TourCamera& camera, const QString& prefix)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, &camera, prefix] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            camera.save(modal->grab(), prefix + QString::number(++m_count));
            modal->close();
        });
        m_timer.start(300);
    }

private:
    QTimer m_timer;
    int m_count = 0;
};

// The run's progress as the zipping thread reports it, from a thread of its own.
void reportFromWorker(RunProgress& progress, const QString& text, ProgressStyle style,
                      int percent)
{
    QThread* worker = QThread::create([&progress, text, style, percent] {
        progress.setPhase(RunPhase::Zipping);
        progress.setMeterVisible(true);
        progress.setProgressText(text, style);
        progress.setPercent(percent);
    });
    worker->start();
    worker->wait();
    delete worker;
    settle();
}

} // namespace

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

QList<int> availableRows(const TreeListModel& grid, ItemKind kind)
{
    QList<int> rows;
    for (int row = 1; row < grid.totalRowCount(); ++row) {
        if (grid.cell(row, cell::Type).toInt() == int(kind) &&
            grid.checkState(row) != kNotAvailable)
            rows << row;
    }
    return rows;
}

void pictureBackupPages(gui::MainWindow& w, gui::QtUi& ui, MainController& controller,
                        TourCamera& camera)
{
    {
        ModalWatcher watcher(camera, QStringLiteral("backup-message-"));
        controller.backupClicked();
        settle(400);
    }
    const bool real = w.currentPage() == MainPage::Wizard && w.itemGrid().totalRowCount() > 0;
    if (!real) {
        fillDemoPages(w);
        showStep(w, 0);
    }
    settle();
    camera.save(w.grab(), QStringLiteral("backup-step0-items"));
    for (int step = 1; step <= 3; ++step) {
        if (real) {
            ModalWatcher watcher(camera, QStringLiteral("backup-step%1-message-").arg(step));
            controller.nextClicked();
            settle(300);
        } else {
            showStep(w, step);
        }
        settle();
        camera.save(w.grab(), QStringLiteral("backup-step%1").arg(step));
    }

    // A run under way, drawn as the run reports it; no archive is written.
    w.setItemVisible(MainItem::Instruction, false);
    w.setItemVisible(MainItem::ProgressLabel, true);
    w.setText(MainText::RunButton, QStringLiteral("Cancel"));
    reportFromWorker(w.runProgress(), QStringLiteral("Saving: Sent Items"), ProgressStyle::Normal,
                     45);
    camera.save(w.grab(), QStringLiteral("backup-run-progress"));
    reportFromWorker(w.runProgress(), QStringLiteral("Checking Backup File"),
                     ProgressStyle::Checking, 100);
    w.runProgress().setMeterVisible(false);
    settle();
    camera.save(w.grab(), QStringLiteral("backup-run-checking"));

    camera.dialogPicture(QStringLiteral("quick-backup-confirm"), [&] { ui.confirmQuickBackup(true); });
    camera.dialogPicture(QStringLiteral("quick-backup-confirm-short"),
                         [&] { ui.confirmQuickBackup(false); });
    RunProgress* quick = ui.openQuickBackupWindow([] {});
    if (quick) {
        reportFromWorker(*quick, QStringLiteral("Saving: Inbox"), ProgressStyle::Normal, 62);
        if (QWidget* q = ui.quickBackupWindow())
            camera.save(q->grab(), QStringLiteral("quick-backup-window"));
        ui.closeQuickBackupWindow();
        settle();
    }
}

} // namespace kv::app
