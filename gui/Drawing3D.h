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
// Style 1 is raised (light top and left edges, dark bottom and right), any other value sunken.
class Drawing3D
{
public:
    Drawing3D();

    // The meter: a frame one pixel outside the picture rectangle, the inside cleared when the
    // value drops, a bar of (width - 2) * percent / 100 pixels one pixel inside the frame, solid
    // or in blocks of 10 pixels every 15, and the percentage centred one pixel below the top.
    void PercentMeter(QPainter& painter, const QRect& picture, int percent);
    // The same on a picture surface: its frame on the surface's parent (when that is a
    // DrawingSurface), the rest on the picture itself, which is shown if it was hidden.
    void PercentMeter(DrawingSurface* picture, int percent);
    // On the container, at a rectangle of it; false without a container.
    bool PercentMeter(const QRect& picture, int percent);

    // A border of Depth pixels around the rectangle.
    void Panel(QPainter& painter, const QRect& control) { Border(painter, control); }
    // Hides the control and draws a border around where it was, on its parent surface (or the
    // container); false when there is nothing to draw on.
    bool Panel(QWidget* control);
    void Border(QPainter& painter, const QRect& control);
    // A strip in the button face colour with a border of Depth pixels inside its edges.
    void StatusBar(QPainter& painter, const QRect& strip);
    // A shadow of Depth pixels along the right and bottom edges, outside the rectangle.
    void DropShadow(QPainter& painter, const QRect& control);
    // Around a whole form, inside its edges: a ring in the current Style, then one the other way.
    void FormBorder(QPainter& painter, const QRect& form);
    // The line in the Style's first colour and a second one pixel lower and one to the right in
    // its second colour: an etched line.
    void Line3D(QPainter& painter, const QLine& line);
    bool Line3D(const QLine& line);
    // Text in the font properties and ForeColor: Alignment 0 left, 1 right, 2 centred, Offset
    // pixels in from the near edge, centred vertically.
    void Caption(QPainter& painter, const QRect& area, const QString& text);
    // An etched rectangle with its title on the top edge, Offset pixels from the left.
    void Frame(QPainter& painter, const QRect& area, const QString& title);

    int style() const { return m_style; }
    void setStyle(int style) { m_style = style; }
    QString fontName() const { return m_font.family(); }
    void setFontName(const QString& name) { m_font.setFamily(name); }
    double fontSize() const { return m_font.pointSizeF(); }
    void setFontSize(double points);
    bool fontBold() const { return m_font.bold(); }
    void setFontBold(bool on) { m_font.setBold(on); }
    bool fontUnderline() const { return m_font.underline(); }
    void setFontUnderline(bool on) { m_font.setUnderline(on); }
    bool fontItalic() const { return m_font.italic(); }
    void setFontItalic(bool on) { m_font.setItalic(on); }
    bool fontStrikethru() const { return m_font.strikeOut(); }
    void setFontStrikethru(bool on) { m_font.setStrikeOut(on); }
    color::ColorRef foreColor() const { return m_fore; }
    void setForeColor(color::ColorRef c) { m_fore = c; }
    bool shadow() const { return m_shadow; }
    void setShadow(bool on) { m_shadow = on; }
    int depth() const { return m_depth; }
    void setDepth(int pixels) { m_depth = qMax(0, pixels); }
    int width() const { return m_width; }
    void setWidth(int pixels) { m_width = qMax(0, pixels); }
    int alignment() const { return m_alignment; }
    void setAlignment(int alignment) { m_alignment = alignment; }
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
    const QFont& font() const { return m_font; }
    int lastPercent() const { return m_lastPercent; }

    // The Style's two colours: first for the top and left edges, second for bottom and right.
    QColor firstColor() const;
    QColor secondColor() const;
    QColor toScreen(color::ColorRef c, const QColor& fallback = Qt::black) const;

private:
    void meterFrame(QPainter& painter, const QRect& picture) const;
    void meterInside(QPainter& painter, const QRect& inside, int percent, const QColor& back);
    void edges(QPainter& painter, const QRect& r, const QColor& topLeft,
               const QColor& bottomRight) const;
    QColor backFor(const DrawingSurface* surface) const;

    int m_style = 0;
    QFont m_font;
    color::ColorRef m_fore = color::system(color::ButtonText);
    bool m_shadow = false;
    int m_depth = 1;
    int m_width = 0;
    int m_alignment = 0;
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
