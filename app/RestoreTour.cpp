#include "RestoreTour.h"

#include "BackupTour.h"
#include "TourDialogs.h"

#include "DragWindow.h"
#include "MainWindow.h"
#include "QtUi.h"
#include "RestoreFolderDialog.h"
#include "TreeListView.h"
#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "grid/TreeListModel.h"
#include "platform/IFileSystem.h"
#include "shell/MainController.h"
#include "zip/ZipComponent.h"

#include <QApplication>
#include <QDateTime>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>
#include <QTimer>

#include <functional>

namespace kv::app {

namespace {

const QString kTourFolder = QStringLiteral("C:\\Korvane Tour");
const QString kTourArchive = kTourFolder + QStringLiteral("\\Tour Backup.eaz");
const QString kTourList = kTourFolder + u'\\' + QLatin1String(ItemList::kFileName);

// The item list the backup pages' ticks would have written: ticked rows saved, the others only
// showing the folder layout.
QByteArray tourItemList(const TreeListModel& grid, const MainState& state)
{
    QStringList lines{ItemList::headerLine(QDateTime::currentDateTime(),
                                           state.oe5Mode ? state.settingsSection() : QString()),
                      ItemList::folderIndexLine(state.oe5Mode)};
    for (int row = 1; row < grid.totalRowCount(); ++row) {
        ItemListRecord r = ItemList::recordFor(grid, row, false);
        if (r.tag.isEmpty())
            continue;
        r.state = grid.checkState(row) == kSelected ? kSelected : kNotAvailable;
        lines << r.line();
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

bool writeTourArchive(platform::IFileSystem& files, const QByteArray& list)
{
    files.makeSurePath(kTourFolder + u'\\');
    {
        auto out = files.open(kTourList, QIODevice::WriteOnly | QIODevice::Truncate);
        if (!out || out->write(list) != list.size())
            return false;
    }
    files.removeFile(kTourArchive);
    zip::ZipComponent zip(files);
    zip.setArchiveName(kTourArchive);
    zip.setFilesToProcess(kTourList);
    const int rc = zip.zip();
    files.removeFile(kTourList);
    return rc < 60; // the component's results below 60 are successes
}

} // namespace

void pictureRestorePages(gui::MainWindow& w, gui::QtUi& ui, MainController& controller,
                         platform::IFileSystem& files, TourCamera& camera)
{
    if (!writeTourArchive(files, tourItemList(w.itemGrid(), controller.state()))) {
        QTextStream(stderr) << "kv2000: cannot write the tour's archive " << kTourArchive << "\n";
        return;
    }

    // The backup pictures drew a run under way; a restore starts on a window without one.
    w.setItemVisible(MainItem::Instruction, true);
    w.setItemVisible(MainItem::ProgressLabel, false);
    w.setItemVisible(MainItem::ProgressMeter, false);

    // The start: the backup-file dialog with type A, the overwrite caution, the item page.
    {
        DialogAnswers answers(camera, QStringLiteral("restore-start-message-"));
        answers.on(QStringLiteral("BackupFileDialog"), [&](QWidget* dialog) {
            click(dialog, "selectedFoldersOption");
            if (auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("backupLocation")))
                box->setText(kTourArchive);
            settle(50);
            camera.save(dialog->grab(), QStringLiteral("dialog-backup-file"));
            click(dialog, "okButton");
        });
        controller.restoreClicked();
        settle(300);
    }
    if (w.currentPage() != MainPage::Wizard) {
        QTextStream(stderr) << "kv2000: the tour's restore did not reach its page\n";
        files.removeFile(kTourArchive);
        return;
    }

    // Marks: two mail folders and the settings; one folder redirected into another.
    TreeListModel& grid = w.itemGrid();
    const QList<int> folders = availableRows(grid, ItemKind::MailFolder);
    {
        DialogAnswers answers(camera, QStringLiteral("restore-mark-message-"));
        answers.on(QStringLiteral("RestoreFolderDialog"), [&](QWidget* dialog) {
            auto* d = static_cast<gui::RestoreFolderDialog*>(dialog);
            gui::TreeListView* list = d->folderList();
            const TreeListModel* current = list->grid();
            for (int row = current->totalRowCount() - 1; row > 0; --row) {
                if (current->cell(row, cell::HasData) == u"Y") {
                    list->setCurrentRow(row);
                    break;
                }
            }
            settle(50);
            camera.save(dialog->grab(), QStringLiteral("dialog-restore-folder"));
            click(dialog, "okButton");
        });
        for (int i = 0; i < qMin(2, int(folders.size())); ++i)
            controller.itemPictureClicked(folders[i]);
        if (folders.size() > 2)
            controller.itemDoubleClicked(folders[2]);
        for (ItemKind kind : {ItemKind::Accounts, ItemKind::Rules}) {
            for (int row : availableRows(grid, kind))
                controller.itemPictureClicked(row);
        }
        settle(300);
    }
    settle();
    camera.save(w.grab(), QStringLiteral("restore-page-items"));

    {
        DialogAnswers answers(camera, QStringLiteral("restore-next-message-"));
        controller.nextClicked();
        settle(300);
    }
    settle();
    camera.save(w.grab(), QStringLiteral("restore-last-page"));

    camera.dialogPicture(QStringLiteral("dialog-backup-file-oe4-import"), [&] {
        ui.chooseBackupFile({kTourArchive, true});
    });
    camera.dialogPicture(QStringLiteral("dialog-address-book-restore"),
                         [&] { ui.chooseWabRestore(controller.state().helpFile); });
    camera.dialogPicture(QStringLiteral("dialog-oe4-import"), [&] { ui.chooseOe4Import(); });
    camera.dialogPicture(QStringLiteral("window-drag-messages"), [] {
        const QString folder = QStringLiteral("/tmp/Korvane-Synchronize/");
        gui::DragWindow drag(
            {{QStringLiteral("Inbox"), {folder + QStringLiteral("Inbox/a.1.eml")}},
             {QStringLiteral("Sent Items"), {folder + QStringLiteral("Sent Items/b.2.eml")}}},
            QStringLiteral(" Drag and drop each folder to the folder of same name in "
                           "Outlook Express 5 folder list."));
        drag.showModal();
    });
    files.removeFile(kTourArchive);
    files.removeDirectory(kTourFolder);
}

} // namespace kv::app
