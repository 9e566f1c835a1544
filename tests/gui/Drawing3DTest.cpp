#include "Drawing3D.h"
#include "DrawingSurface.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

using kv::gui::Drawing3D;
using kv::gui::DrawingSurface;
namespace color = kv::color;

namespace {

const QColor kBack(192, 192, 192);
const QColor kFill(0, 0, 255);     // QBColor 9
const QColor kText(255, 255, 255); // QBColor 15
const QColor kLight(255, 255, 255);
const QColor kDark(128, 128, 128);

// The meter's picture rectangle: inside width 102, so the bar is percent pixels long.
const QRect kPicture(10, 10, 102, 20);

QPalette testPalette()
{
    QPalette pal;
    pal.setColor(QPalette::Light, kLight);
    pal.setColor(QPalette::Dark, kDark);
    pal.setColor(QPalette::Window, kBack);
    pal.setColor(QPalette::Button, kBack);
    pal.setColor(QPalette::ButtonText, Qt::black);
    return pal;
}

Drawing3D meter(bool solid, bool percentText)
{
    Drawing3D m;
    m.setPalette(testPalette());
    m.setBackColor(color::rgb(192, 192, 192));
    m.setFillColor(color::qbColor(9));
    m.setForeColor(color::qbColor(15));
    m.setSolidMeter(solid);
    m.setShowPercent(percentText);
    return m;
}

QImage canvas()
{
    QImage img(130, 40, QImage::Format_RGB32);
    img.fill(kBack);
    return img;
}

void draw(Drawing3D& m, QImage& img, int percent)
{
    QPainter p(&img);
    m.PercentMeter(p, kPicture, percent);
}

// The colour of each bar column x = 0 .. 101 of the inside, sampled in the middle row; 'F' for
// the fill colour, '.' for the background, '?' for anything else.
std::string barRow(const QImage& img)
{
    std::string out;
    const int y = kPicture.center().y();
    for (int x = kPicture.left(); x <= kPicture.right(); ++x) {
        const QColor c = img.pixelColor(x, y);
        out += c == kFill ? 'F' : c == kBack ? '.' : '?';
    }
    return out;
}

std::string solid(int length)
{
    return "." + std::string(size_t(length), 'F') + std::string(size_t(101 - length), '.');
}

TEST(PercentMeter, SolidBarFollowsTheValueUpAndDown)
{
    struct Case
    {
        std::vector<int> values;
        int length;
    };
    const Case cases[] = {
        {{0}, 0},      {{60}, 60},     {{100}, 100}, {{60, 30}, 30}, {{30, 60}, 60},
        {{100, 0}, 0}, {{45, 45}, 45}, {{150}, 100}, {{-5}, 0},
    };
    for (const Case& c : cases) {
        Drawing3D m = meter(true, false);
        QImage img = canvas();
        for (int v : c.values)
            draw(m, img, v);
        EXPECT_EQ(barRow(img), solid(c.length)) << "after " << c.values.back();
        // The bar leaves one pixel inside the frame at top and bottom.
        const int x = kPicture.left() + 1;
        EXPECT_EQ(img.pixelColor(x, kPicture.top()), kBack);
        EXPECT_EQ(img.pixelColor(x, kPicture.bottom()), kBack);
        if (c.length > 0) {
            EXPECT_EQ(img.pixelColor(x, kPicture.top() + 1), kFill);
            EXPECT_EQ(img.pixelColor(x, kPicture.bottom() - 1), kFill);
        }
    }
}

TEST(PercentMeter, FrameInTheStyleColoursOutsideThePicture)
{
    struct Case
    {
        int style;
        QColor topLeft, bottomRight;
    };
    for (const Case& c : {Case{0, kDark, kLight}, Case{1, kLight, kDark}}) {
        Drawing3D m = meter(true, false);
        m.setStyle(c.style);
        QImage img = canvas();
        draw(m, img, 0);
        const int l = kPicture.left() - 1, t = kPicture.top() - 1;
        const int r = kPicture.right() + 1, b = kPicture.bottom() + 1;
        EXPECT_EQ(img.pixelColor(l + 5, t), c.topLeft) << "style " << c.style;
        EXPECT_EQ(img.pixelColor(l, t + 5), c.topLeft);
        EXPECT_EQ(img.pixelColor(l + 5, b), c.bottomRight);
        EXPECT_EQ(img.pixelColor(r, t + 5), c.bottomRight);
        // Nothing outside the frame, nothing but background inside it at 0 %.
        EXPECT_EQ(img.pixelColor(l - 1, t - 1), kBack);
        EXPECT_EQ(img.pixelColor(r + 1, b + 1), kBack);
        EXPECT_EQ(barRow(img), solid(0));
    }
}

TEST(PercentMeter, BlocksOfTenEveryFifteen)
{
    struct Case
    {
        int percent;
        std::string bar;
    };
    auto blocks = [](int length) {
        std::string s = ".";
        for (int x = 0; x < 101; ++x)
            s += x < length && x % 15 < 10 ? 'F' : '.';
        return s;
    };
    for (const Case& c :
         {Case{50, blocks(50)}, Case{100, blocks(100)}, Case{12, blocks(12)}, Case{0, blocks(0)}}) {
        Drawing3D m = meter(false, false);
        QImage img = canvas();
        draw(m, img, 100); // gaps must be background even over a previously full bar
        draw(m, img, c.percent);
        EXPECT_EQ(barRow(img), c.bar) << c.percent << "%";
    }
    // 50 %: the fourth block starts at 45 and is cut at the bar's end (45..49).
    EXPECT_EQ(blocks(50).substr(46, 6), "FFFFF.");
}

TEST(PercentMeter, PercentTextCentredAndNeverStale)
{
    Drawing3D m = meter(true, true);
    QImage img = canvas();
    draw(m, img, 44);
    draw(m, img, 45);
    // A rising value redraws over the old figure: the result is what a fresh meter shows.
    Drawing3D fresh = meter(true, true);
    QImage once = canvas();
    draw(fresh, once, 45);
    EXPECT_EQ(img, once);

    // The text pixels lie in the picture, centred, from one pixel below the top.
    int minX = 1000, maxX = -1, minY = 1000;
    for (int y = kPicture.top(); y <= kPicture.bottom(); ++y) {
        for (int x = kPicture.left(); x <= kPicture.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c != kFill && c != kBack) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
            }
        }
    }
    ASSERT_GE(maxX, 0) << "no text drawn";
    EXPECT_NEAR((minX + maxX) / 2.0, kPicture.left() + kPicture.width() / 2.0, 3.0);
    EXPECT_GE(minY, kPicture.top() + 1);
    EXPECT_EQ(m.lastPercent(), 45);
}

TEST(PercentMeter, OnASurfaceTheFrameGoesOnTheContainer)
{
    DrawingSurface form;
    form.resize(200, 60);
    form.setPalette(testPalette());
    form.setBackColor(color::rgb(192, 192, 192));
    auto* picture = new DrawingSurface(&form);
    picture->setGeometry(kPicture);
    picture->setBackColor(color::rgb(192, 192, 192));
    picture->hide();
    Drawing3D m = meter(true, false);
    m.PercentMeter(picture, 60);
    m.PercentMeter(picture, 30);
    EXPECT_TRUE(picture->isVisibleTo(&form));
    EXPECT_EQ(form.image().pixelColor(kPicture.left() - 1, kPicture.top() + 3), kDark);
    EXPECT_EQ(form.image().pixelColor(kPicture.right() + 1, kPicture.top() + 3), kLight);
    const QImage& inside = picture->image();
    EXPECT_EQ(inside.pixelColor(30, 5), kFill);
    EXPECT_EQ(inside.pixelColor(31, 5), kBack);
    EXPECT_EQ(inside.pixelColor(45, 5), kBack);

    // Without a container there is nowhere to draw by rectangle.
    Drawing3D lone;
    EXPECT_FALSE(lone.PercentMeter(QRect(0, 0, 10, 10), 50));
    lone.setContainer(&form);
    EXPECT_TRUE(lone.PercentMeter(QRect(20, 40, 50, 10), 50));
}

TEST(Draw3D, Line3DIsEtchedByStyle)
{
    struct Case
    {
        int style;
        QColor upper, lower;
    };
    for (const Case& c : {Case{1, kLight, kDark}, Case{0, kDark, kLight}}) {
        Drawing3D m = meter(true, false);
        m.setStyle(c.style);
        QImage img = canvas();
        {
            QPainter p(&img);
            m.Line3D(p, QLine(5, 20, 100, 20));
        }
        EXPECT_EQ(img.pixelColor(50, 20), c.upper) << "style " << c.style;
        EXPECT_EQ(img.pixelColor(50, 21), c.lower) << "style " << c.style;
        EXPECT_EQ(img.pixelColor(50, 19), kBack);
        EXPECT_EQ(img.pixelColor(50, 22), kBack);
    }
}

TEST(Draw3D, BordersShadowsAndPanels)
{
    Drawing3D m = meter(true, false);
    m.setStyle(1);
    m.setDepth(2);
    QImage img = canvas();
    const QRect r(20, 10, 40, 15);
    {
        QPainter p(&img);
        m.Border(p, r);
        m.DropShadow(p, QRect(80, 5, 20, 10));
    }
    // Two rings outside the rectangle, light above and dark below; the inside untouched.
    for (int i = 1; i <= 2; ++i) {
        EXPECT_EQ(img.pixelColor(r.center().x(), r.top() - i), kLight) << i;
        EXPECT_EQ(img.pixelColor(r.center().x(), r.bottom() + i), kDark) << i;
    }
    EXPECT_EQ(img.pixelColor(r.center().x(), r.top() - 3), kBack);
    EXPECT_EQ(img.pixelColor(r.center()), kBack);
    // The shadow: Depth pixels right of and below the control, offset by Depth.
    EXPECT_EQ(img.pixelColor(100, 10), kDark);
    EXPECT_EQ(img.pixelColor(101, 10), kDark);
    EXPECT_EQ(img.pixelColor(102, 10), kBack);
    EXPECT_EQ(img.pixelColor(90, 15), kDark);
    EXPECT_EQ(img.pixelColor(81, 15), kBack);

    // Panel hides the control and draws the border where it was.
    DrawingSurface form;
    form.resize(120, 60);
    form.setPalette(testPalette());
    form.setBackColor(color::rgb(192, 192, 192));
    QWidget* control = new QWidget(&form);
    control->setGeometry(30, 20, 40, 20);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    Drawing3D panel = meter(true, false);
    ASSERT_TRUE(panel.Panel(control));
    EXPECT_FALSE(control->isVisible());
    EXPECT_EQ(form.image().pixelColor(29, 30), kDark); // sunken: dark left edge
    EXPECT_EQ(form.image().pixelColor(70, 30), kLight);
}

TEST(Draw3D, Screenshot)
{
    DrawingSurface form;
    form.resize(320, 150);
    form.setPalette(testPalette());
    form.setBackColor(color::rgb(192, 192, 192));
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    Drawing3D m = meter(true, true);
    m.setContainer(&form);
    m.setFontBold(true);
    QImage& img = form.image();
    {
        QPainter p(&img);
        m.FormBorder(p, form.rect());
        m.PercentMeter(p, QRect(20, 20, 280, 18), 60);
        m.PercentMeter(p, QRect(20, 20, 280, 18), 37);
        m.setSolidMeter(false);
        m.setShowPercent(false);
        m.setStyle(1);
        m.PercentMeter(p, QRect(20, 50, 280, 12), 72);
        m.Line3D(p, QLine(20, 75, 300, 75));
        m.setStyle(0);
        m.setForeColor(color::rgb(0, 0, 0));
        m.Frame(p, QRect(20, 85, 135, 50), "Frame");
        m.setAlignment(2);
        m.Caption(p, QRect(165, 90, 135, 20), "Caption");
        m.StatusBar(p, QRect(165, 115, 135, 20));
    }
    form.update();
    const QImage shot = form.grab().toImage();
    EXPECT_TRUE(shot.save(QStringLiteral(KV_BINARY_DIR "/draw3d.png")));
    // The first meter shows 37 %: its bar ends at (280 - 2) * 37 / 100 = 102 pixels.
    EXPECT_EQ(shot.pixelColor(21 + 101, 35), kFill);
    EXPECT_EQ(shot.pixelColor(21 + 102, 35), kBack);
}

} // namespace
