// The synchronise grid page and the restore-messages page of the main window.
#include "DragWindow.h"
#include "MainWindow.h"
#include "MessagesPage.h"
#include "ModalDriver.h"
#include "QtUi.h"
#include "SynchGridPage.h"
#include "ThreadTaskRunner.h"
#include "TreeListView.h"
#include "core/oeenv/OeTestEnv.h"
#include "core/shell/ShellTestEnv.h"
#include "shell/MainController.h"

#include <QListWidget>
#include <QMenu>
#include <QMimeData>

namespace kv::test {
namespace {

using gui::MainWindow;

// Records the two pages' events as the controller hands them over.
class SynchEvents : public RecordingFunctions
{
public:
    void synchTickClicked(MainState&, int row) override { calls << u"tick %1"_s.arg(row); }
    void synchMenuChosen(MainState&, int row, SynchFolderMenu entry) override
    {
        calls << u"menu %1 %2"_s.arg(row).arg(int(entry));
    }
    void synchSelectAllClicked(MainState&) override { calls << u"selectAll"_s; }
    void synchClearAllClicked(MainState&) override { calls << u"clearAll"_s; }
    void synchNextClicked(MainState&) override { calls << u"next"_s; }
    void synchBackClicked(MainState&) override { calls << u"back"_s; }
    void restoreMessagesClicked(MainState&) override { calls << u"restoreMessages"_s; }
    void saveMboxClicked(MainState&) override { calls << u"saveMbox"_s; }
};

// The window on the grid page, its grid filled as a comparison leaves it: rows 0 and 3 are
// folders, 1 and 2 messages of the first, the second folder has none.
struct SynchWindow
{
    SynchWindow()
    {
        window.setController(&controller);
        TreeListModel& grid = window.synchGrid();
        grid.setColumnCount(4);
        const char* headings[] = {"Folder", "From", "Subject", "Date"};
        for (int c = 0; c < 4; ++c) {
            grid.setColumnHeading(c, QLatin1String(headings[c]));
            grid.setColumnWidth(c, 1500);
            grid.setColumnMultiLine(c, true);
        }
        const int inbox = grid.addRow(u"Inbox\t** Items below are missing or changed **"_s);
        grid.setPicture(inbox, TreeListModel::Picture::Folder);
        for (const char* subject : {"Lunch", "Meeting notes"}) {
            const int row = grid.addChild(
                inbox, u"\tann@example.com\t%1\tMon, 3 Jan 2000"_s.arg(QLatin1String(subject)));
            grid.setPicture(row, TreeListModel::Picture::Unticked);
        }
        grid.setPicture(grid.addRow(u"Sent Items\t** No MisMatches **"_s),
                        TreeListModel::Picture::Folder);
        window.showPage(MainPage::SynchResult);
        window.show();
        QTest::qWait(20);
    }
    gui::TreeListView* grid() { return child<gui::TreeListView>(&window, "synchGrid"); }
    QStringList takeCalls() { return std::exchange(functions.calls, {}); }

    OeTestEnv env;
    SynchEvents functions;
    MainWindow window;
    MainController controller{env.platform, env.ui, window, &functions};
};

TEST(SynchPages, GridShowsFourColumnsAndItsClicksAndMenuReachTheController)
{
    SynchWindow w;
    gui::TreeListView* grid = w.grid();
    EXPECT_TRUE(grid->isVisible());
    const QAbstractItemModel* model = grid->model();
    ASSERT_EQ(model->columnCount(), 4);
    EXPECT_EQ(model->headerData(3, Qt::Horizontal).toString(), u"Date"_s);
    const QModelIndex inbox = model->index(0, 0);
    EXPECT_EQ(model->rowCount(inbox), 2);
    EXPECT_EQ(model->index(1, 0, inbox).siblingAtColumn(2).data().toString(), u"Meeting notes"_s);
    EXPECT_EQ(model->index(0, 1).data().toString(), u"** Items below are missing or changed **"_s);

    // The first column of a message row ticks, by the mouse or the space bar; the other
    // columns and folder rows are the controller's to ignore or not reported at all.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->pictureRect(2).center());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 0).topRight());
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->cellRect(1, 2).center());
    grid->setFocus();
    grid->setCurrentRow(2);
    QTest::keyClick(grid, Qt::Key_Space);
    EXPECT_EQ(w.takeCalls(), (QStringList{u"tick 2"_s, u"tick 1"_s, u"tick 2"_s}));

    // A right-click on a folder row opens its menu and each entry names that row; on a
    // message row there is no menu.
    QMenu* menu = w.window.synchPage()->folderMenu();
    QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->cellRect(1, 2).center());
    EXPECT_FALSE(menu->isVisible());
    QStringList captions;
    for (QAction* a : menu->actions()) {
        captions << (a->isSeparator() ? u"-"_s : a->text());
        if (a->isSeparator())
            continue;
        QTest::mouseClick(grid->viewport(), Qt::RightButton, {}, grid->cellRect(3, 1).center());
        EXPECT_TRUE(menu->isVisible());
        EXPECT_EQ(grid->currentRow(), 3);
        a->trigger();
        menu->hide();
    }
    EXPECT_EQ(captions, (QStringList{u"&Select All in folder"_s, u"&Clear All in folder"_s, u"-"_s,
                                     u"Select &All in List"_s}));
    EXPECT_EQ(w.takeCalls(), (QStringList{u"menu 3 0"_s, u"menu 3 1"_s, u"menu 3 2"_s}));
}

TEST(SynchPages, ButtonsReachTheControllerAndTheViewCallsReachTheWidgets)
{
    SynchWindow w;
    MainWindow& win = w.window;
    win.setButtonEnabled(MainButton::SynchNext, true);
    for (const char* name :
         {"synchSelectAllButton", "synchClearAllButton", "synchNextButton", "synchBackButton"})
        QTest::mouseClick(child<QPushButton>(&win, name), Qt::LeftButton);
    win.setText(MainText::SelectedCount, u"1 Message Selected"_s);
    EXPECT_EQ(child<QLabel>(&win, "selectedCount")->text(), u"1 Message Selected"_s);
    win.setItemVisible(MainItem::SynchSelectControls, false);
    EXPECT_FALSE(child<QPushButton>(&win, "synchSelectAllButton")->isVisible());
    EXPECT_FALSE(child<QLabel>(&win, "synchLabel")->isVisible());

    win.showPage(MainPage::RestoreMessages);
    EXPECT_EQ(win.currentPage(), MainPage::RestoreMessages);
    EXPECT_TRUE(win.messagesPage()->isVisible());
    EXPECT_FALSE(win.synchPage()->isVisible());
    win.setText(MainText::MessagesCaution, u"Caution"_s);
    auto* caution = child<QLabel>(&win, "messagesCaution");
    EXPECT_FALSE(caution->isVisible());
    win.setItemVisible(MainItem::MessagesCaution, true);
    EXPECT_TRUE(caution->isVisible());
    EXPECT_EQ(caution->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    for (const char* name : {"restoreMessagesButton", "saveMboxButton", "messagesBackButton"})
        QTest::mouseClick(child<QPushButton>(&win, name), Qt::LeftButton);
    EXPECT_EQ(w.takeCalls(), (QStringList{u"selectAll"_s, u"clearAll"_s, u"next"_s, u"back"_s,
                                          u"restoreMessages"_s, u"saveMbox"_s, u"back"_s}));

    // Previous is on both pages: the logic's one button greys and hides both.
    win.setButtonEnabled(MainButton::SynchBack, false);
    win.setItemVisible(MainItem::SynchBack, false);
    for (const char* name : {"synchBackButton", "messagesBackButton"}) {
        EXPECT_FALSE(child<QPushButton>(&win, name)->isEnabled()) << name;
        EXPECT_TRUE(child<QPushButton>(&win, name)->isHidden()) << name;
    }
    win.setButtonEnabled(MainButton::RestoreMessages, false);
    EXPECT_FALSE(child<QPushButton>(&win, "restoreMessagesButton")->isEnabled());
}

// The messages' Windows paths become host files in the window's rows, and the run that asked
// from its worker waits until the window is closed.
TEST(SynchPages, DragWindowShowsTheFoldersAsHostFilesAndHoldsTheWorker)
{
    OeTestEnv env;
    gui::QtUi ui;
    ui.setFileSystem(&env.files);
    const QString folder = u"C:\\users\\tester\\Korvane-Synchronize\\Inbox\\"_s;
    const QList<DragFolder> folders{
        {u"Inbox"_s, u"Inbox.dbx"_s, {folder + u"Lunch.1.eml"_s, folder + u"Lunch.2.eml"_s}},
        {u"Sent Items"_s, u"Sent Items.dbx"_s, {}}};
    QStringList rows;
    QList<QUrl> urls;
    bool closed = false;
    whenModal([&](QWidget* modal) {
        auto* drag = qobject_cast<gui::DragWindow*>(modal);
        ASSERT_NE(drag, nullptr);
        for (int r = 0; r < drag->folderList()->count(); ++r)
            rows << drag->folderList()->item(r)->text();
        urls = drag->mimeDataForRow(0)->urls();
        EXPECT_TRUE(drag->caption().startsWith(u" Drag and drop each folder"_s));
        closed = true;
        drag->close();
    });
    gui::ThreadTaskRunner runner;
    bool done = false;
    runner.run([&] { ui.showDragWindow(folders); }, [&] { done = true; });
    QTRY_VERIFY_WITH_TIMEOUT(done, 5000);
    EXPECT_TRUE(closed);
    EXPECT_EQ(rows, (QStringList{u"Inbox"_s, u"Sent Items"_s}));
    ASSERT_EQ(urls.size(), 2);
    EXPECT_EQ(urls[1].toLocalFile(), env.files.toHostPath(folder + u"Lunch.2.eml"_s));
    EXPECT_TRUE(urls[1].toLocalFile().startsWith(u"/"_s));
}

} // namespace
} // namespace kv::test
