#include "Drawing3D.h"

#include "DrawingSurface.h"
#include "ScreenColor.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QPainter>
#include <QWidget>

Q_LOGGING_CATEGORY(lcDraw3D, "kv.gui.draw3d")

namespace kv::gui {

Drawing3D::Drawing3D() : m_font(QGuiApplication::font()), m_palette(QGuiApplication::palette()) {}

QColor Drawing3D::toScreen(color::ColorRef c, const QColor& fallback) const
{
    return screenColor(c, m_palette, fallback);
}

QColor Drawing3D::firstColor() const
{
    return toScreen(
        color::system(m_style == Style::Raised ? color::Highlight3D : color::ButtonShadow));
}

QColor Drawing3D::secondColor() const
{
    return toScreen(
        color::system(m_style == Style::Raised ? color::ButtonShadow : color::Highlight3D));
}

QColor Drawing3D::backFor(const DrawingSurface* surface) const
{
    if (m_back != color::kDefault)
        return toScreen(m_back);
    if (surface)
        return surface->screenBackColor();
    if (m_container)
        return m_container->screenBackColor();
    return m_palette.color(QPalette::Window);
}

// The four one-pixel edges just outside r, drawn as filled rectangles so that every pixel is
// exactly where it is meant to be; corners shared by both colours take the second.
void Drawing3D::edges(QPainter& p, const QRect& r, const QColor& topLeft,
                      const QColor& bottomRight) const
{
    const int l = r.left() - 1, t = r.top() - 1, rt = r.right() + 1, b = r.bottom() + 1;
    p.fillRect(QRect(QPoint(l, t), QPoint(rt, t)), topLeft);
    p.fillRect(QRect(QPoint(l, t), QPoint(l, b)), topLeft);
    p.fillRect(QRect(QPoint(l, b), QPoint(rt, b)), bottomRight);
    p.fillRect(QRect(QPoint(rt, t), QPoint(rt, b)), bottomRight);
}

void Drawing3D::meterFrame(QPainter& p, const QRect& picture) const
{
    edges(p, picture, firstColor(), secondColor());
}

void Drawing3D::meterInside(QPainter& p, const QRect& inside, int percent, const QColor& back)
{
    // A value outside 0..100 would push the bar past the frame.
    percent = qBound(0, percent, 100);
    if (percent < m_lastPercent)
        p.fillRect(inside, back);
    m_lastPercent = percent;

    const int length = qMax(0, inside.width() - 2) * percent / 100;
    const QRect bar(inside.left() + 1, inside.top() + 1, length, qMax(0, inside.height() - 2));
    const QColor fill = toScreen(m_fill);
    if (m_solidMeter) {
        p.fillRect(bar, fill);
    } else {
        for (int x = 0; x < length; x += 15) {
            p.fillRect(QRect(bar.left() + x, bar.top(), qMin(10, length - x), bar.height()), fill);
            if (x + 10 < length)
                p.fillRect(
                    QRect(bar.left() + x + 10, bar.top(), qMin(5, length - x - 10), bar.height()),
                    back);
        }
    }
    if (!m_showPercent)
        return;
    // The bar only ever grows over the old text; what lies beyond it is cleared, or the new
    // figure would be written over the old one.
    p.fillRect(QRect(bar.right() + 1, inside.top(), inside.right() - bar.right(), inside.height()),
               back);
    const QString text = QString::number(percent) + QLatin1Char('%');
    p.setFont(m_font);
    const QFontMetrics fm(m_font);
    const int x = inside.left() + (inside.width() - fm.horizontalAdvance(text)) / 2;
    p.setPen(toScreen(m_fore));
    p.save();
    p.setClipRect(inside);
    p.drawText(QPoint(x, inside.top() + 1 + fm.ascent()), text);
    p.restore();
}

void Drawing3D::drawPercentMeter(QPainter& painter, const QRect& picture, int percent)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    meterFrame(painter, picture);
    meterInside(painter, picture, percent, backFor(nullptr));
    painter.restore();
}

void Drawing3D::drawPercentMeter(DrawingSurface* picture, int percent)
{
    if (!picture)
        return;
    if (!picture->isVisible())
        picture->show();
    if (auto* parent = qobject_cast<DrawingSurface*>(picture->parentWidget())) {
        QPainter p(&parent->image());
        meterFrame(p, picture->geometry());
        parent->update(picture->geometry().adjusted(-1, -1, 1, 1));
    }
    {
        QPainter p(&picture->image());
        meterInside(p, picture->rect(), percent, backFor(picture));
    }
    picture->update();
}

bool Drawing3D::drawPercentMeter(const QRect& picture, int percent)
{
    if (!m_container) {
        qCWarning(lcDraw3D) << "percent meter without a container";
        return false;
    }
    {
        QPainter p(&m_container->image());
        drawPercentMeter(p, picture, percent);
    }
    m_container->update(picture.adjusted(-1, -1, 1, 1));
    return true;
}

bool Drawing3D::replaceWithPanel(QWidget* control)
{
    if (!control)
        return false;
    DrawingSurface* surface = qobject_cast<DrawingSurface*>(control->parentWidget());
    if (!surface)
        surface = m_container;
    if (!surface) {
        qCWarning(lcDraw3D) << "panel without a surface to draw on";
        return false;
    }
    control->hide();
    {
        QPainter p(&surface->image());
        drawBorder(p, control->geometry());
    }
    surface->update();
    return true;
}

void Drawing3D::drawBorder(QPainter& p, const QRect& control)
{
    for (int i = 0; i < m_depth; ++i)
        edges(p, control.adjusted(-i, -i, i, i), firstColor(), secondColor());
}

void Drawing3D::drawStatusBar(QPainter& p, const QRect& strip)
{
    p.fillRect(strip, toScreen(color::system(color::ButtonFace)));
    for (int i = 0; i < m_depth; ++i) {
        const QRect ring = strip.adjusted(i + 1, i + 1, -i - 1, -i - 1);
        if (ring.isEmpty())
            break;
        edges(p, ring, firstColor(), secondColor());
    }
}

void Drawing3D::drawDropShadow(QPainter& p, const QRect& control)
{
    const int d = qMax(1, m_depth);
    const QColor c = toScreen(color::system(m_shadow ? color::DarkShadow3D : color::ButtonShadow));
    p.fillRect(QRect(control.right() + 1, control.top() + d, d, control.height()), c);
    p.fillRect(QRect(control.left() + d, control.bottom() + 1, control.width(), d), c);
}

void Drawing3D::drawFormBorder(QPainter& p, const QRect& form)
{
    const int d = qMax(1, m_depth);
    for (int i = 0; i < d; ++i)
        edges(p, form.adjusted(i + 1, i + 1, -i - 1, -i - 1), firstColor(), secondColor());
    for (int i = d; i < 2 * d; ++i)
        edges(p, form.adjusted(i + 1, i + 1, -i - 1, -i - 1), secondColor(), firstColor());
}

void Drawing3D::drawEtchedLine(QPainter& p, const QLine& line)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    const int w = qMax(1, m_width);
    p.setPen(QPen(firstColor(), w, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(line);
    p.setPen(QPen(secondColor(), w, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(line.translated(w, w));
    p.restore();
}

bool Drawing3D::drawEtchedLine(const QLine& line)
{
    if (!m_container)
        return false;
    {
        QPainter p(&m_container->image());
        drawEtchedLine(p, line);
    }
    m_container->update();
    return true;
}

void Drawing3D::drawCaption(QPainter& p, const QRect& area, const QString& text)
{
    const QFontMetrics fm(m_font);
    const int tw = fm.horizontalAdvance(text);
    int x = area.left() + m_offset;
    if (m_alignment & Qt::AlignRight)
        x = area.right() + 1 - m_offset - tw;
    else if (m_alignment & Qt::AlignHCenter)
        x = area.left() + (area.width() - tw) / 2;
    const int y = area.top() + (area.height() - fm.height()) / 2 + fm.ascent();
    p.save();
    p.setFont(m_font);
    p.setPen(toScreen(m_fore));
    p.drawText(QPoint(x, y), text);
    p.restore();
}

void Drawing3D::drawFrame(QPainter& p, const QRect& area, const QString& title)
{
    const QFontMetrics fm(m_font);
    // Etched: the outline in the first colour, the same one pixel down and right in the second.
    // The top edge runs through the middle of the title.
    const int top = title.isEmpty() ? area.top() : area.top() + fm.height() / 2;
    const QRect first(QPoint(area.left(), top), QPoint(area.right() - 1, area.bottom() - 1));
    const QRect second = first.translated(1, 1);
    edges(p, first.adjusted(1, 1, -1, -1), firstColor(), firstColor());
    edges(p, second.adjusted(1, 1, -1, -1), secondColor(), secondColor());
    if (title.isEmpty())
        return;
    const int x = area.left() + m_offset + 4;
    p.fillRect(QRect(x, area.top(), fm.horizontalAdvance(title) + 4, fm.height()),
               backFor(nullptr));
    p.save();
    p.setFont(m_font);
    p.setPen(toScreen(m_fore));
    p.drawText(QPoint(x + 2, area.top() + fm.ascent()), title);
    p.restore();
}

} // namespace kv::gui
