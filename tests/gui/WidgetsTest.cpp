#include "Drawing3D.h"
#include "DrawingSurface.h"
#include "ModalDriver.h"
#include "TreeListView.h"
#include "grid/TreeListModel.h"
#include "support/QtPrinters.h"

#include <QHeaderView>
#include <QPainter>
#include <QSignalSpy>

// The drawn widgets: the 3D meter, and the tree list of the item grid.
namespace kv::gui {
namespace {

// The meter's two mended faults: values outside 0..100 are clamped, and a rising figure is
// written on a cleared inside, not over the old one.
TEST(Drawing3DTest, MeterClampsAndNeverLeavesAStaleFigure)
{
    const QColor back(192, 192, 192), fill(0, 0, 255);
    const QRect picture(10, 10, 102, 20); // inside width 102: the bar is percent pixels long
    auto draw = [&](bool showPercent, const std::vector<int>& percents) {
        Drawing3D m;
        m.setBackColor(color::rgb(192, 192, 192));
        m.setFillColor(color::qbColor(9));
        m.setForeColor(color::qbColor(15));
        m.setShowPercent(showPercent);
        QImage img(130, 40, QImage::Format_RGB32);
        img.fill(back);
        QPainter p(&img);
        for (int percent : percents)
            m.drawPercentMeter(p, picture, percent);
        return img;
    };
    // Values drawn in turn, the filled length left.
    const std::pair<std::vector<int>, int> cases[] = {{{150}, 100}, {{50, -5}, 0}, {{60, 30}, 30}};
    for (const auto& [percents, filled] : cases) {
        const QImage img = draw(false, percents);
        int n = 0;
        for (int x = picture.left(); x <= picture.right() + 2; ++x)
            n += img.pixelColor(x, picture.center().y()) == fill;
        EXPECT_EQ(n, filled) << percents.front();
    }
    const QImage risen = draw(true, {44, 45});
    EXPECT_EQ(risen, draw(true, {45}));
    EXPECT_NE(risen, draw(false, {45})) << "no figure";
}

// The item grid as a backup shows it; picture, right and double clicks are the pages' test's.
TEST(TreeListViewTest, ReportsClicksWhereTheyLandAndKeepsTheGridsWidths)
{
    TreeListModel grid;
    grid.setColumnCount(2);
    grid.setColumnWidth(0, 3630);
    grid.setColumnWidth(1, 1300);
    grid.addRow("Outlook Express");
    for (const auto& [name, parent] : {std::pair{"Inbox", 0}, {"Work", 1}, {"Deleted", 0}})
        grid.setPicture(grid.addChild(parent, name), TreeListModel::Picture::Ticked);
    TreeListView view;
    view.resize(500, 260);
    view.setGrid(&grid);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    auto textPoint = [&](int row) {
        const QRect cell = view.cellRect(row, 0);
        return QPoint(cell.right() - 4, cell.center().y());
    };
    QSignalSpy picture(&view, &TreeListView::pictureClicked),
        mark(&view, &TreeListView::markClicked), cell(&view, &TreeListView::cellClicked);
    // A click on the text is a cell click only.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, textPoint(3));
    EXPECT_EQ(cell, (QList<QVariantList>{{3, 0}}));
    EXPECT_TRUE(picture.isEmpty());
    // The expand sign folds and is no cell click; a double click never folds.
    const QRect inbox = view.cellRect(1, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      QPoint(inbox.left() - view.indentation() / 2, inbox.center().y()));
    EXPECT_FALSE(view.isExpanded(grid.indexOfRow(1)));
    EXPECT_EQ(cell.size(), 1);
    view.expandAll();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, textPoint(1)); // a double click's press
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, textPoint(1));
    EXPECT_TRUE(view.isExpanded(grid.indexOfRow(1)));
    // With marks shown, a click on the mark is a mark click, beside the picture.
    view.setShowMarks(true);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.markRect(1).center());
    EXPECT_EQ(mark, (QList<QVariantList>{{1}}));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.pictureRect(1).center());
    EXPECT_EQ(picture, (QList<QVariantList>{{1}}));
    EXPECT_EQ(mark.size(), 1);

    // A dragged column's width goes back to the grid; the other keeps its exact twips.
    const int dpi = view.logicalDpiX();
    EXPECT_EQ(view.header()->sectionSize(1), TreeListView::twipsToPixels(1300, dpi));
    view.header()->resizeSection(0, 200);
    EXPECT_EQ(grid.columnWidth(0), TreeListView::pixelsToTwips(200, dpi));
    EXPECT_EQ(grid.columnWidth(1), 1300);
}

} // namespace
} // namespace kv::gui
