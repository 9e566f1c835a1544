#include "TreeListView.h"
#include "TreeListAdapter.h"
#include "util/TreeListModel.h"

#include "support/QtPrinters.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using kv::TreeListModel;
using kv::gui::TreeListView;
namespace color = kv::color;

namespace {

// The item grid as a backup shows it: a root and rows with check-state pictures and colours.
void fillItemGrid(TreeListModel& g)
{
    g.addRow("Outlook Express");
    g.setPicture(0, TreeListModel::PicRootOE5);
    const struct
    {
        const char* name;
        int parent, state;
        color::ColorRef back, fore;
    } rows[] = {
        {"Inbox\t>>> Inbox", 0, 1, color::kDefault, color::kDefault},
        {"Work", 1, 0, color::kDefault, color::kDefault},
        {"Deleted Items", 0, 2, color::kDefault, color::rgb(128, 128, 128)},
        {"news.example.com", 0, 0, color::rgb(128, 255, 128), color::kDefault},
        {"Windows Address Book (WAB)", 0, 1, color::rgb(128, 255, 255), color::kDefault},
        {"IE Favorites", 0, 0, color::rgb(255, 255, 128), color::kDefault},
    };
    for (const auto& r : rows) {
        const int row = g.addChild(r.parent, r.name);
        g.setCheckState(row, r.state);
        g.setPicture(row, r.state);
        g.setBackColor(row, r.back);
        g.setForeColor(row, r.fore);
    }
}

class TreeListViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fillItemGrid(grid);
        view.resize(420, 260);
        view.setGrid(&grid);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    QPoint textPoint(int row) const
    {
        const QRect cell = view.cellRect(row, 0);
        return QPoint(cell.right() - 4, cell.center().y());
    }

    TreeListModel grid;
    TreeListView view;
};

TEST_F(TreeListViewTest, HitTestFindsEveryRowAndNothingBelow)
{
    for (int r = 0; r < grid.rowCount(); ++r) {
        const QRect cell = view.cellRect(r, 0);
        ASSERT_FALSE(cell.isEmpty()) << "row " << r << " is shown (rows arrive expanded)";
        EXPECT_EQ(view.hitTest(cell.center()), r);
        EXPECT_EQ(view.hitTest(QPoint(cell.left() + 1, cell.bottom())), r);
    }
    const QRect last = view.cellRect(grid.rowCount() - 1, 0);
    EXPECT_EQ(view.hitTest(QPoint(last.center().x(), last.bottom() + 5)), -1);
}

TEST_F(TreeListViewTest, ClicksAreReportedWhereTheyLand)
{
    QSignalSpy picture(&view, &TreeListView::pictureClicked);
    QSignalSpy mark(&view, &TreeListView::markClicked);
    QSignalSpy cell(&view, &TreeListView::cellClicked);
    QSignalSpy down(&view, &TreeListView::mouseDown);

    const QRect pic = view.pictureRect(3);
    ASSERT_FALSE(pic.isEmpty());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pic.center());
    ASSERT_EQ(picture.size(), 1);
    EXPECT_EQ(picture[0][0].toInt(), 3);
    ASSERT_EQ(cell.size(), 1);
    EXPECT_EQ(cell[0], (QVariantList{3, 0}));
    EXPECT_EQ(mark.size(), 0);
    // The view reports; the owner decides. The state is unchanged.
    EXPECT_EQ(grid.checkState(3), 2);

    // A click on the text is a cell click only.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, textPoint(5));
    EXPECT_EQ(picture.size(), 1);
    ASSERT_EQ(cell.size(), 2);
    EXPECT_EQ(cell[1], (QVariantList{5, 0}));
    EXPECT_EQ(view.currentRow(), 5);

    // The right button: mouse down with button and position, no click.
    const QPoint at = textPoint(2);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
    ASSERT_EQ(down.size(), 3);
    EXPECT_EQ(down[2][0].value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(down[2][1].toPoint(), at);
    EXPECT_EQ(down[2][2].toInt(), 2);
    EXPECT_EQ(cell.size(), 2);

    // The expand sign of a parent row folds it and is no cell click.
    const QRect inbox = view.cellRect(1, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      QPoint(inbox.left() - view.indentation() / 2, inbox.center().y()));
    EXPECT_FALSE(view.isExpanded(view.adapter()->indexOfRow(1)));
    EXPECT_EQ(cell.size(), 2);
    view.expandAll();

    // The space bar stands for a picture click on the current row.
    view.setCurrentRow(6);
    QTest::keyClick(&view, Qt::Key_Space);
    ASSERT_EQ(picture.size(), 2);
    EXPECT_EQ(picture[1][0].toInt(), 6);
}

TEST_F(TreeListViewTest, MarkClicksWhenMarksAreShown)
{
    view.setShowMarks(true);
    QSignalSpy picture(&view, &TreeListView::pictureClicked);
    QSignalSpy mark(&view, &TreeListView::markClicked);
    const QRect m = view.markRect(1), p = view.pictureRect(1);
    ASSERT_FALSE(m.isEmpty());
    ASSERT_FALSE(m.intersects(p));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, m.center());
    ASSERT_EQ(mark.size(), 1);
    EXPECT_EQ(mark[0][0].toInt(), 1);
    EXPECT_EQ(picture.size(), 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, p.center());
    EXPECT_EQ(picture.size(), 1);
    EXPECT_EQ(mark.size(), 1);
}

TEST_F(TreeListViewTest, DoubleClickReportsTheRowAndKeepsTheTreeOpen)
{
    QSignalSpy dbl(&view, &TreeListView::rowDoubleClicked);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, textPoint(1));
    ASSERT_EQ(dbl.size(), 1);
    EXPECT_EQ(dbl[0][0].toInt(), 1);
    EXPECT_TRUE(view.isExpanded(view.adapter()->indexOfRow(1)));
    EXPECT_EQ(view.hitTest(view.cellRect(2, 0).center()), 2);
}

TEST_F(TreeListViewTest, FollowsTheGridAsItChanges)
{
    grid.removeRow(1); // Inbox and Work
    EXPECT_EQ(view.hitTest(view.cellRect(1, 0).center()), 1);
    EXPECT_EQ(view.adapter()->indexOfRow(1).data().toString(), "Deleted Items");

    grid.redrawOff();
    EXPECT_FALSE(view.updatesEnabled());
    for (int i = 0; i < 30; ++i)
        grid.setPicture(grid.addChild(3, QString("group %1").arg(i)), 0);
    grid.redrawOn();
    EXPECT_TRUE(view.updatesEnabled());
    // New rows arrive expanded and can be hit.
    const int last = grid.rowCount() - 1;
    view.scrollTo(view.adapter()->indexOfRow(last));
    EXPECT_EQ(view.hitTest(view.cellRect(last, 0).center()), last);
}

TEST(TreeListView, ColumnWidthsInTwips)
{
    // 15 twips to the pixel at 96 DPI; 1300 twips is 86.67 pixels and shows as 87.
    EXPECT_EQ(TreeListView::twipsToPixels(1300, 96), 87);
    EXPECT_EQ(TreeListView::pixelsToTwips(120, 120), 1440);

    TreeListModel grid;
    grid.setColumnCount(4);
    const int widths[] = {1500, 2370, 3630, 1300};
    const char* headings[] = {"Folder", "From", "Subject", "Date"};
    for (int c = 0; c < 4; ++c) {
        grid.setColumnHeading(c, headings[c]);
        grid.setColumnWidth(c, widths[c]);
    }
    TreeListView view;
    view.resize(700, 200);
    view.setGrid(&grid);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const int dpi = view.logicalDpiX();
    EXPECT_FALSE(view.isHeaderHidden());
    for (int c = 0; c < 4; ++c)
        EXPECT_EQ(view.header()->sectionSize(c), TreeListView::twipsToPixels(widths[c], dpi)) << c;

    // The user drags a column: the grid holds the new width; the others keep their exact twips.
    view.header()->resizeSection(1, 200);
    EXPECT_EQ(grid.columnWidth(1), TreeListView::pixelsToTwips(200, dpi));
    EXPECT_EQ(grid.columnWidth(3), 1300);
    // The owner sets widths: the view follows.
    grid.setColumnWidth(2, 1440);
    EXPECT_EQ(view.header()->sectionSize(2), dpi);
}

TEST(TreeListView, SynchroniseGridScreenshot)
{
    TreeListModel grid;
    grid.setColumnCount(4);
    const int widths[] = {1500, 2370, 3630, 1300};
    const char* headings[] = {"Folder", "From", "Subject", "Date"};
    for (int c = 0; c < 4; ++c) {
        grid.setColumnHeading(c, headings[c]);
        grid.setColumnWidth(c, widths[c]);
    }
    grid.setColumnMultiLine(2, true);
    for (const char* folder : {"Inbox", "Sent Items"}) {
        const int f = grid.addRow(folder);
        grid.setPicture(f, TreeListModel::PicFolder);
        grid.setBackColor(f, color::system(color::InfoBackground));
        for (int i = 1; i <= 3; ++i) {
            const QString subject =
                i == 3 ? "Two lines\r\nof subject" : QString("Subject %1").arg(i);
            const int m = grid.addChild(
                f, QString("\tsender%1@example.com\t%2\tMon, %1 Jan 2001").arg(i).arg(subject));
            grid.setPicture(m, i == 2 ? TreeListModel::PicTicked : TreeListModel::PicUnticked);
            grid.setCheckState(m, i == 2 ? 1 : 0);
        }
        grid.setText(f, QString(folder) + "\t** Items below are missing or changed **");
    }
    TreeListView view;
    view.resize(640, 220);
    view.setGrid(&grid);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const QImage shot = view.grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral(KV_BINARY_DIR "/synch-grid.png")));

    TreeListModel items;
    fillItemGrid(items);
    TreeListView itemView;
    itemView.resize(320, 200);
    itemView.setGrid(&items);
    itemView.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&itemView));
    const QImage itemShot = itemView.grab().toImage();
    EXPECT_TRUE(itemShot.save(QStringLiteral(KV_BINARY_DIR "/item-grid.png")));
    // The WAB row's back colour is on screen.
    const QRect wab = itemView.cellRect(5, 0).translated(itemView.viewport()->pos());
    EXPECT_EQ(itemShot.pixelColor(wab.right() - 2, wab.center().y()), QColor(128, 255, 255));
}

} // namespace
