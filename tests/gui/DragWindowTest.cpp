#include "DragWindow.h"

#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QScreen>
#include <QUrl>

#include <gtest/gtest.h>

// The window the restored messages are dragged from: its rows, what a drag of a row carries and
// where the window sits.
namespace kv::gui {
namespace {

const QString kCaption =
    QStringLiteral(" Drag and drop each folder to the folder of same name in ") +
    QStringLiteral("Outlook Express 5 folder list.");

QList<DragFolderFiles> sampleFolders()
{
    return {
        {QStringLiteral("Inbox"),
         {QStringLiteral("/home/u/Korvane-Synchronize/Inbox/Meeting notes.17.eml"),
          QStringLiteral("/home/u/Korvane-Synchronize/Inbox/Meeting notes.18.eml"),
          QStringLiteral("/home/u/Korvane-Synchronize/Inbox/.12.eml")}},
        {QStringLiteral("Sent Items"), {}},
        {QStringLiteral("Zürich #1"),
         {QStringLiteral("/home/u/Korvane-Synchronize/Zürich #1/Re Lunch today.4.eml")}},
    };
}

// One row per folder, in order; a row's drag offers its files in list order for copying.
TEST(DragWindowTest, ARowPerFolderOffersItsFilesInListOrderForCopying)
{
    const QList<DragFolderFiles> folders = sampleFolders();
    DragWindow w(folders, kCaption);
    EXPECT_EQ(w.caption(), kCaption);
    ASSERT_EQ(w.folderList()->count(), folders.size());
    for (int row = 0; row < folders.size(); ++row) {
        EXPECT_EQ(w.folderList()->item(row)->text(), folders[row].text);
        EXPECT_FALSE(w.folderList()->item(row)->icon().isNull());
    }
    struct Case
    {
        int row;
        Qt::DropActions actions;
    };
    const Case cases[] = {{0, Qt::CopyAction},
                          {1, Qt::IgnoreAction},
                          {2, Qt::CopyAction},
                          {3, Qt::IgnoreAction},
                          {-1, Qt::IgnoreAction}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        QStringList expected;
        if (c.row >= 0 && c.row < folders.size())
            expected = folders[c.row].hostPaths;
        const std::unique_ptr<QMimeData> data = w.mimeDataForRow(c.row);
        ASSERT_TRUE(data);
        QStringList paths;
        for (const QUrl& url : data->urls()) {
            EXPECT_TRUE(url.isLocalFile()) << url.toString().toStdString();
            paths << url.toLocalFile();
        }
        EXPECT_EQ(paths, expected);
        EXPECT_EQ(data->hasFormat(QStringLiteral("text/uri-list")), !expected.isEmpty());
        EXPECT_EQ(w.dragActionsForRow(c.row), c.actions);
    }
    // The list as other programs read it: encoded file URLs, one a line.
    const QByteArray uriList = w.mimeDataForRow(2)->data(QStringLiteral("text/uri-list"));
    EXPECT_EQ(uriList.trimmed(), QByteArray("file:///home/u/Korvane-Synchronize/Z%C3%BCrich%20%231/"
                                            "Re%20Lunch%20today.4.eml"));
}

TEST(DragWindowTest, StaysOnTopAgainstTheRightEdgeOfTheScreen)
{
    DragWindow w(sampleFolders(), kCaption);
    w.showModeless();
    QApplication::processEvents();
    ASSERT_TRUE(w.isVisible());
    EXPECT_TRUE(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w.windowFlags() & Qt::WindowType_Mask, Qt::Tool);

    const QScreen* screen = w.screen();
    ASSERT_TRUE(screen);
    const QRect area = screen->geometry();
    const int dpi = qRound(screen->logicalDotsPerInchY());
    EXPECT_EQ(w.frameGeometry().right(), area.right());
    EXPECT_EQ(w.frameGeometry().top(), area.top() + qRound(300.0 * dpi / 1440.0));
    EXPECT_LT(w.frameGeometry().width(), area.width() / 2);
    w.close();
}

} // namespace
} // namespace kv::gui
