#include "SynchTour.h"

#include "BackupTour.h"
#include "TourDialogs.h"

#include "MainWindow.h"
#include "SynchGridPage.h"
#include "TreeListView.h"
#include "backup/BackupFileList.h"
#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "grid/TreeListModel.h"
#include "platform/IFileSystem.h"
#include "shell/MainController.h"
#include "zip/ZipComponent.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTextStream>

#include <algorithm>

namespace kv::app {

namespace {

const QString kSynchFolder = QStringLiteral("C:\\Korvane Synch Tour");
const QString kSynchArchive = kSynchFolder + QStringLiteral("\\Synch Backup.eaz");
const QString kSynchList = kSynchFolder + u'\\' + QLatin1String(ItemList::kFileName);

void complain(const QString& what)
{
    QTextStream(stderr) << "kv2000: the tour's synchronise " << what << "\n";
}


bool waitForPage(gui::MainWindow& w, MainPage page, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (w.currentPage() != page && !w.isUnloaded() && clock.elapsed() < ms)
        settle(100);
    return w.currentPage() == page;
}

} // namespace

QString writeSynchTourArchive(gui::MainWindow& window, MainController& controller,
                              platform::IFileSystem& files)
{
    const MainState& state = controller.state();
    TreeListModel& grid = window.itemGrid();
    markParentsOfSelectedRows(grid);
    BackupFileList list;
    list.build(files, grid, {state.oe5Mode, state.env.storeFolder, state.env.oe4.newsFolder});
    QStringList lines{ItemList::headerLine(QDateTime::currentDateTime(),
                                           state.oe5Mode ? state.env.chosenId : QString()),
                      ItemList::folderIndexLine(state.oe5Mode)};
    lines += list.itemLines();
    const QByteArray text =
        (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
    files.makeSurePath(kSynchFolder + u'\\');
    {
        auto out = files.open(kSynchList, QIODevice::WriteOnly | QIODevice::Truncate);
        if (!out || out->write(text) != text.size()) {
            complain(QStringLiteral("cannot write its item list"));
            return {};
        }
    }
    list.addItemList(kSynchList);
    files.removeFile(kSynchArchive);
    zip::ZipComponent zip(files);
    zip.setArchiveName(kSynchArchive);
    zip.setFilesToProcess(list.joined());
    const int rc = zip.zip();
    files.removeFile(kSynchList);
    if (rc >= 60) { // the component's results below 60 are successes
        complain(QStringLiteral("cannot write its archive (%1)").arg(rc));
        return {};
    }
    return kSynchArchive;
}

void pictureSynchPages(gui::MainWindow& w, MainController& controller, platform::IFileSystem& files,
                       TourCamera& camera, const QString& archive)
{
    if (archive.isEmpty())
        return;
    auto cleanUp = [&] {
        files.removeFile(archive);
        files.removeDirectory(kSynchFolder);
    };
    w.showPage(MainPage::Opening);
    {
        DialogAnswers answers(camera, QStringLiteral("synch-start-message-"));
        answers.on(QStringLiteral("BackupFileDialog"), [&](QWidget* dialog) {
            if (auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("backupLocation")))
                box->setText(archive);
            settle(50);
            camera.save(dialog->grab(), QStringLiteral("dialog-backup-file-synch"));
            click(dialog, "okButton");
        });
        controller.synchClicked();
        settle(300);
    }
    if (w.currentPage() != MainPage::Wizard)
        return complain(QStringLiteral("did not reach its folder page")), cleanUp();

    // Two folders: one unchanged, and the Inbox (which has messages) with its store copy moved
    // aside, so that all its backup messages count as missing.
    const TreeListModel& items = w.itemGrid();
    QList<int> folders = availableRows(items, ItemKind::MailFolder);
    const auto isInbox = [&](int row) {
        return items.cell(row, cell::MbxName).startsWith(u"Inbox.", Qt::CaseInsensitive);
    };
    std::stable_partition(folders.begin(), folders.end(), [&](int row) { return !isInbox(row); });
    folders = folders.mid(qMax(0, int(folders.size()) - 2));
    for (int row : folders)
        controller.itemPictureClicked(row);
    settle();
    camera.save(w.grab(), QStringLiteral("synch-folder-page"));
    if (folders.size() < 2)
        return complain(QStringLiteral("found too few mail folders")), cleanUp();
    const QString storeFile =
        controller.state().env.storeFolder + items.cell(folders[1], cell::MbxName);
    const QString aside = storeFile + QStringLiteral(".tour");
    const bool moved = files.moveFile(storeFile, aside);
    {
        DialogAnswers answers(camera, QStringLiteral("synch-run-message-"));
        controller.nextClicked();
        waitForPage(w, MainPage::SynchResult, 20000);
    }
    if (moved)
        files.moveFile(aside, storeFile);
    if (w.currentPage() != MainPage::SynchResult)
        return complain(QStringLiteral("did not reach its grid page")), cleanUp();

    // Ticks on the first three listed messages, and the folder menu of the folder with them.
    const TreeListModel& grid = w.synchGrid();
    int ticked = 0;
    int menuRow = -1;
    for (int row = 0; row < grid.totalRowCount() && ticked < 3; ++row) {
        if (grid.level(row) == 1) {
            controller.synchTickClicked(row);
            ++ticked;
        } else if (grid.childCount(row) > 0) {
            menuRow = row;
        }
    }
    settle();
    camera.save(w.grab(), QStringLiteral("synch-grid-page"));
    if (menuRow >= 0) {
        gui::TreeListView* view = w.synchPage()->view();
        const QRect cell = view->cellRect(menuRow, 1);
        QMouseEvent press(QEvent::MouseButtonPress, cell.center(),
                          view->viewport()->mapToGlobal(cell.center()), Qt::RightButton,
                          Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &press);
        settle();
        QMenu* menu = w.synchPage()->folderMenu();
        if (menu->isVisible()) {
            camera.save(menu->grab(), QStringLiteral("synch-folder-menu"));
            menu->hide();
        }
    }

    controller.synchNextClicked();
    settle();
    camera.save(w.grab(), QStringLiteral("synch-restore-messages-page"));
    controller.synchBackClicked();
    controller.synchBackClicked();
    settle();
    cleanUp();
}

} // namespace kv::app
