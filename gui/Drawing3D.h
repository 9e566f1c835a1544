#pragma once

#include "util/ColorRef.h"

#include <QFont>
#include <QLine>
#include <QPalette>
#include <QPointer>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

namespace kv::gui {

class DrawingSurface;

// The 3D look of the program's windows, drawn with plain lines and rectangles: sunken or raised
// borders, etched lines, frames, captions and, above all, the percent meter that every progress
// display uses. Configure the properties, then draw: either with a painter on any rectangle (an
// image, a widget's paint event), or onto the container, a DrawingSurface that keeps what is
// drawn on it.
//
// Colours are program colour values (color::ColorRef): system colours follow the palette.
class Drawing3D
{
public:
    // Raised: light top and left edges, dark bottom and right; sunken the other way round.
    enum class Style
    {
        Sunken,
        Raised
    };

    Drawing3D();

    // The meter: a frame one pixel outside the picture rectangle, the inside cleared when the
    // value drops, a bar of (width - 2) * percent / 100 pixels one pixel inside the frame, solid
    // or in blocks of 10 pixels every 15, and the percentage centred one pixel below the top.
    void drawPercentMeter(QPainter& painter, const QRect& picture, int percent);
    // The same on a picture surface: its frame on the surface's parent (when that is a
    // DrawingSurface), the rest on the picture itself, which is shown if it was hidden.
    void drawPercentMeter(DrawingSurface* picture, int percent);
    // On the container, at a rectangle of it; false without a container.
    bool drawPercentMeter(const QRect& picture, int percent);

    // Hides the control and draws a border around where it was, on its parent surface (or the
    // container); false when there is nothing to draw on.
    bool replaceWithPanel(QWidget* control);
    // A border of depth() pixels around the rectangle.
    void drawBorder(QPainter& painter, const QRect& control);
    // A strip in the button face colour with a border of depth() pixels inside its edges.
    void drawStatusBar(QPainter& painter, const QRect& strip);
    // A shadow of depth() pixels along the right and bottom edges, outside the rectangle.
    void drawDropShadow(QPainter& painter, const QRect& control);
    // Around a whole form, inside its edges: a ring in the current style, then one the other way.
    void drawFormBorder(QPainter& painter, const QRect& form);
    // The line in the style's first colour and a second one pixel lower and one to the right in
    // its second colour.
    void drawEtchedLine(QPainter& painter, const QLine& line);
    bool drawEtchedLine(const QLine& line);
    // Text in font() and foreColor(), offset() pixels in from the edge alignment() names (left,
    // right or centred), centred vertically.
    void drawCaption(QPainter& painter, const QRect& area, const QString& text);
    // An etched rectangle with its title on the top edge, offset() + 4 pixels from the left.
    void drawFrame(QPainter& painter, const QRect& area, const QString& title);

    Style style() const { return m_style; }
    void setStyle(Style style) { m_style = style; }
    const QFont& font() const { return m_font; }
    void setFont(const QFont& font) { m_font = font; }
    color::ColorRef foreColor() const { return m_fore; }
    void setForeColor(color::ColorRef c) { m_fore = c; }
    bool shadow() const { return m_shadow; }
    void setShadow(bool on) { m_shadow = on; }
    int depth() const { return m_depth; }
    void setDepth(int pixels) { m_depth = qMax(0, pixels); }
    int width() const { return m_width; }
    void setWidth(int pixels) { m_width = qMax(0, pixels); }
    Qt::Alignment alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment alignment) { m_alignment = alignment; }
    int offset() const { return m_offset; }
    void setOffset(int pixels) { m_offset = pixels; }
    color::ColorRef fillColor() const { return m_fill; }
    void setFillColor(color::ColorRef c) { m_fill = c; }
    bool showPercent() const { return m_showPercent; }
    void setShowPercent(bool on) { m_showPercent = on; }
    bool solidMeter() const { return m_solidMeter; }
    void setSolidMeter(bool on) { m_solidMeter = on; }
    DrawingSurface* container() const { return m_container; }
    // Null returns to drawing only through a painter.
    void setContainer(DrawingSurface* container) { m_container = container; }

    // What the meter clears to when drawn through a painter: color::kDefault is the
    // container's back colour, or the palette's window colour without a container.
    color::ColorRef backColor() const { return m_back; }
    void setBackColor(color::ColorRef c) { m_back = c; }
    // The palette system colours are taken from.
    void setPalette(const QPalette& palette) { m_palette = palette; }
    int lastPercent() const { return m_lastPercent; }

    // The style's two colours: first for the top and left edges, second for bottom and right.
    QColor firstColor() const;
    QColor secondColor() const;
    QColor toScreen(color::ColorRef c, const QColor& fallback = Qt::black) const;

private:
    void meterFrame(QPainter& painter, const QRect& picture) const;
    void meterInside(QPainter& painter, const QRect& inside, int percent, const QColor& back);
    void edges(QPainter& painter, const QRect& r, const QColor& topLeft,
               const QColor& bottomRight) const;
    QColor backFor(const DrawingSurface* surface) const;

    Style m_style = Style::Sunken;
    QFont m_font;
    color::ColorRef m_fore = color::system(color::ButtonText);
    bool m_shadow = false;
    int m_depth = 1;
    int m_width = 0;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    int m_offset = 3;
    color::ColorRef m_fill = color::system(color::ButtonShadow);
    bool m_showPercent = true;
    bool m_solidMeter = true;
    QPointer<DrawingSurface> m_container;
    color::ColorRef m_back = color::kDefault;
    QPalette m_palette;
    int m_lastPercent = 0;
};

} // namespace kv::gui
