#include "Drawing3D.h"
#include "DrawingSurface.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

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
    for (int x = kPicture.left(); x <= kPicture.right(); ++x) {
        const QColor c = img.pixelColor(x, y);
        out += c == kFill ? 'F' : c == kBack ? '.' : '?';
    }
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

} // namespace
} // namespace kv::gui
