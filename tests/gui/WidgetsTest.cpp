#include "Drawing3D.h"
#include "DrawingSurface.h"
#include "ModalDriver.h"
#include "TreeListView.h"
#include "grid/TreeListModel.h"
#include "support/QtPrinters.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QPainter>
#include <QSignalSpy>

// The drawn widgets: the 3D meter and frames, and the tree list of the item grid.
namespace kv::gui {
namespace {

using Picture = TreeListModel::Picture;

const QColor kBack(192, 192, 192), kFill(0, 0, 255), kLight(255, 255, 255), kDark(128, 128, 128);
// The meter's picture rectangle: inside width 102, so the bar is percent pixels long.
const QRect kPicture(10, 10, 102, 20);

QPalette testPalette()
{
    QPalette pal;
    pal.setColor(QPalette::Light, kLight);
    pal.setColor(QPalette::Dark, kDark);
    pal.setColor(QPalette::Window, kBack);
    return pal;
}

// Set up as the progress displays set it up: QBColor 9 bar, QBColor 15 figure.
Drawing3D meter(bool solid, bool showPercent)
{
    Drawing3D m;
    m.setPalette(testPalette());
    m.setBackColor(color::rgb(192, 192, 192));
    m.setFillColor(color::qbColor(9));
    m.setForeColor(color::qbColor(15));
    m.setSolidMeter(solid);
    m.setShowPercent(showPercent);
    return m;
}

QImage drawn(Drawing3D& m, const std::vector<int>& percents)
{
    QImage img(130, 40, QImage::Format_RGB32);
    img.fill(kBack);
    QPainter p(&img);
    for (int percent : percents)
        m.drawPercentMeter(p, kPicture, percent);
    return img;
}

// Row y of the inside: 'F' fill, '.' background, '?' anything else.
std::string row(const QImage& img, int y)
{
    std::string out;
    for (int x = kPicture.left(); x <= kPicture.right(); ++x)
        out += img.pixelColor(x, y) == kFill ? 'F' : img.pixelColor(x, y) == kBack ? '.' : '?';
    return out;
}

// The expected row: filled in the given [from, to) runs of the bar, which starts one pixel in.
std::string bar(std::initializer_list<std::pair<int, int>> runs)
{
    std::string out(102, '.');
    for (const auto& [from, to] : runs)
        out.replace(size_t(from + 1), size_t(to - from), size_t(to - from), 'F');
    return out;
}

TEST(Drawing3DTest, MeterBarFollowsTheValue)
{
    // Solid, the values drawn in turn, the bar left.
    const std::tuple<bool, std::vector<int>, std::string> cases[] = {
        {true, {0}, bar({})},
        {true, {100}, bar({{0, 100}})},
        {true, {60, 30}, bar({{0, 30}})}, // a falling value clears the inside first
        {true, {150}, bar({{0, 100}})},
        {true, {50, -5}, bar({})},
        {false, {100, 50}, bar({{0, 10}, {15, 25}, {30, 40}, {45, 50}})},
        {false, {100}, bar({{0, 10}, {15, 25}, {30, 40}, {45, 55}, {60, 70}, {75, 85}, {90, 100}})},
    };
    for (const auto& [solid, percents, want] : cases) {
        Drawing3D m = meter(solid, false);
        const QImage img = drawn(m, percents);
        EXPECT_EQ(row(img, kPicture.center().y()), want) << solid << " " << m.lastPercent();
        EXPECT_EQ(row(img, kPicture.top()), bar({})); // one pixel clear above the bar
    }
}

// Raised: light above and left, dark below and right; sunken the other way round.
TEST(Drawing3DTest, MeterFrameAndEtchedLineFollowTheStyle)
{
    for (const auto style : {Drawing3D::Style::Sunken, Drawing3D::Style::Raised}) {
        const bool raised = style == Drawing3D::Style::Raised;
        const QColor first = raised ? kLight : kDark, second = raised ? kDark : kLight;
        SCOPED_TRACE(raised);
        Drawing3D m = meter(true, false);
        m.setStyle(style);
        QImage img = drawn(m, {0});
        const QRect f = kPicture.adjusted(-1, -1, 1, 1); // the frame: top, left, bottom, right
        EXPECT_EQ((std::vector<QColor>{img.pixelColor(f.left() + 5, f.top()),
                                       img.pixelColor(f.left(), f.top() + 5),
                                       img.pixelColor(f.left() + 5, f.bottom()),
                                       img.pixelColor(f.right(), f.top() + 5)}),
                  (std::vector<QColor>{first, first, second, second}));

        img.fill(kBack);
        QPainter p(&img);
        m.drawEtchedLine(p, QLine(5, 20, 100, 20));
        p.end();
        EXPECT_EQ((std::vector<QColor>{img.pixelColor(50, 19), img.pixelColor(50, 20),
                                       img.pixelColor(50, 21), img.pixelColor(50, 22)}),
                  (std::vector<QColor>{kBack, first, second, kBack}));
    }
}

// A rising figure is written on a cleared inside, not over the old one.
TEST(Drawing3DTest, PercentFigureNeverStale)
{
    Drawing3D m = meter(true, true), fresh = meter(true, true);
    const QImage img = drawn(m, {44, 45});
    EXPECT_EQ(img, drawn(fresh, {45}));
    const int middle = kPicture.top() + 1 + QFontMetrics(m.font()).ascent() / 2;
    EXPECT_NE(row(img, middle).find('?'), std::string::npos) << "no figure";
}

TEST(Drawing3DTest, OnSurfacesAndTheContainer)
{
    DrawingSurface form;
    form.resize(200, 60);
    form.setPalette(testPalette());
    auto* picture = new DrawingSurface(&form);
    picture->setGeometry(kPicture);
    picture->hide();
    auto* control = new QWidget(&form);
    control->setGeometry(130, 20, 40, 20);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));

    // The frame goes on the picture's container, the bar on the picture, which is shown.
    Drawing3D m = meter(true, false);
    m.drawPercentMeter(picture, 60);
    m.drawPercentMeter(picture, 30);
    EXPECT_TRUE(picture->isVisible());
    EXPECT_EQ(form.image().pixelColor(kPicture.left() - 1, 15), kDark);
    EXPECT_EQ(form.image().pixelColor(kPicture.right() + 1, 15), kLight);
    EXPECT_EQ(picture->image().pixelColor(30, 5), kFill);
    EXPECT_EQ(picture->image().pixelColor(31, 5), kBack);

    // A sunken panel in place of a control.
    ASSERT_TRUE(m.replaceWithPanel(control));
    EXPECT_FALSE(control->isVisible());
    EXPECT_EQ(form.image().pixelColor(129, 30), kDark);
    EXPECT_EQ(form.image().pixelColor(170, 30), kLight);

    // By rectangle it draws on the container, and without one nowhere.
    Drawing3D lone = meter(true, false);
    EXPECT_FALSE(lone.drawPercentMeter(QRect(20, 40, 52, 10), 50));
    lone.setContainer(&form);
    EXPECT_TRUE(lone.drawPercentMeter(QRect(20, 40, 52, 10), 50));
    EXPECT_EQ(form.image().pixelColor(21 + 24, 45), kFill);
    EXPECT_EQ(form.image().pixelColor(21 + 25, 45), kBack);
}

// The item grid as a backup shows it: a root and rows with check-state pictures and colours.
void fillItemGrid(TreeListModel& g)
{
    g.addRow("Outlook Express");
    g.setPicture(0, Picture::RootOE5);
    // Name, parent row, check state (and picture), back colour.
    const std::tuple<const char*, int, int, color::ColorRef> rows[] = {
        {"Inbox\t>>> Inbox", 0, 1, color::kDefault},
        {"Work", 1, 0, color::kDefault},
        {"Deleted Items", 0, 2, color::kDefault},
        {"news.example.com", 0, 0, color::system(color::InfoBackground)},
        {"Windows Address Book (WAB)", 0, 1, color::rgb(128, 255, 255)},
        {"IE Favorites", 0, 0, color::rgb(255, 255, 128)},
    };
    for (const auto& [name, parent, state, back] : rows) {
        const int row = g.addChild(parent, name);
        g.setCheckState(row, state);
        g.setPicture(row, Picture(state));
        g.setBackColor(row, back);
    }
}

void showGrid(TreeListView& view, TreeListModel& grid, QSize size)
{
    view.resize(size);
    view.setGrid(&grid);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
}

class TreeListViewTest : public testing::Test
{
protected:
    void SetUp() override
    {
        fillItemGrid(grid);
        showGrid(view, grid, {420, 260});
    }
    QPoint textPoint(int row) const
    {
        const QRect cell = view.cellRect(row, 0);
        return QPoint(cell.right() - 4, cell.center().y());
    }

    TreeListModel grid;
    TreeListView view;
};

TEST_F(TreeListViewTest, ClicksAreReportedWhereTheyLand)
{
    QSignalSpy picture(&view, &TreeListView::pictureClicked);
    QSignalSpy mark(&view, &TreeListView::markClicked);
    QSignalSpy cell(&view, &TreeListView::cellClicked);
    QSignalSpy down(&view, &TreeListView::mouseDown);

    const QRect pic = view.pictureRect(3);
    ASSERT_EQ(pic.size(), QSize(16, 16));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, pic.center());
    EXPECT_EQ(picture, (QList<QVariantList>{{3}}));
    EXPECT_EQ(cell, (QList<QVariantList>{{3, 0}}));

    // A click on the text is a cell click only.
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, textPoint(5));
    EXPECT_EQ(picture.size(), 1);
    EXPECT_EQ(cell.last(), (QVariantList{5, 0}));
    EXPECT_EQ(view.currentRow(), 5);

    // The right button: mouse down with button and position, no click.
    const QPoint at = textPoint(2);
    QTest::mouseClick(view.viewport(), Qt::RightButton, {}, at);
    EXPECT_EQ(down.last(), (QVariantList{QVariant::fromValue(Qt::RightButton), at, 2}));
    EXPECT_EQ(cell.size(), 2);

    // The expand sign of a parent row folds it and is no cell click.
    const QRect inbox = view.cellRect(1, 0);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      QPoint(inbox.left() - view.indentation() / 2, inbox.center().y()));
    EXPECT_FALSE(view.isExpanded(grid.indexOfRow(1)));
    EXPECT_EQ(cell.size(), 2);
    view.expandAll();

    // The space bar stands for a picture click on the current row.
    view.setCurrentRow(6);
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(picture.last(), QVariantList{6});

    // A double click reports the row and must not fold the tree.
    QSignalSpy dbl(&view, &TreeListView::rowDoubleClicked);
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, textPoint(1));
    EXPECT_EQ(dbl, (QList<QVariantList>{{1}}));
    EXPECT_TRUE(view.isExpanded(grid.indexOfRow(1)));

    // With marks shown, a click on the mark is a mark click, beside the picture.
    EXPECT_TRUE(view.markRect(1).isEmpty());
    view.setShowMarks(true);
    const QRect m = view.markRect(1), p = view.pictureRect(1);
    ASSERT_FALSE(m.isEmpty());
    ASSERT_FALSE(m.intersects(p));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, m.center());
    EXPECT_EQ(mark, (QList<QVariantList>{{1}}));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, p.center());
    EXPECT_EQ(picture.last(), QVariantList{1});
    EXPECT_EQ(mark.size(), 1);
}

TEST_F(TreeListViewTest, HitTestFollowsTheGrid)
{
    grid.removeRowAt(1); // Inbox and Work
    grid.redrawOff();
    EXPECT_FALSE(view.updatesEnabled());
    for (int i = 0; i < 30; ++i)
        grid.addChild(3, QString("group %1").arg(i));
    grid.redrawOn();
    EXPECT_TRUE(view.updatesEnabled());
    // Every row, old or new, is shown (rows arrive expanded) and hit where it is drawn.
    for (int r = 0; r < grid.totalRowCount(); ++r) {
        view.scrollTo(grid.indexOfRow(r));
        const QRect cell = view.cellRect(r, 0);
        EXPECT_EQ(view.hitTest(QPoint(cell.left() + 1, cell.bottom())), r);
    }
    grid.removeRowAt(3);
    const QRect last = view.cellRect(grid.totalRowCount() - 1, 0);
    EXPECT_EQ(view.hitTest(QPoint(last.center().x(), last.bottom() + 5)), -1);
}

TEST(TreeListView, ColumnWidthsInTwips)
{
    // 15 twips to the pixel at 96 DPI; 1300 twips is 86.67 pixels and shows as 87.
    EXPECT_EQ(TreeListView::twipsToPixels(1300, 96), 87);
    TreeListModel grid;
    grid.setColumnCount(4);
    const int widths[] = {1500, 2370, 3630, 1300};
    for (int c = 0; c < 4; ++c)
        grid.setColumnWidth(c, widths[c]);
    TreeListView view;
    showGrid(view, grid, {700, 200});
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

TEST_F(TreeListViewTest, ColoursAndPicturesOnScreen)
{
    const QImage shot = view.grab().toImage();
    const QPoint origin = view.viewport()->pos();
    auto countOf = [&](const QRect& rect, const QColor& colour) {
        int n = 0;
        const QRect r = rect.translated(origin);
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += shot.pixelColor(x, y) == colour;
        return n;
    };
    const QRect wab = view.cellRect(5, 0), news = view.cellRect(4, 0);
    EXPECT_GT(countOf(wab, QColor(128, 255, 255)), wab.width() * wab.height() / 2);
    EXPECT_GT(countOf(news, QGuiApplication::palette().color(QPalette::ToolTipBase)),
              news.width() * news.height() / 2);
    // The ticked box has a black tick; the unavailable one a grey tick.
    EXPECT_GT(countOf(view.pictureRect(5), Qt::black), 4);
    EXPECT_EQ(countOf(view.pictureRect(3), Qt::black), 0);
}

} // namespace
} // namespace kv::gui
