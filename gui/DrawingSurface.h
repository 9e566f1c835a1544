#pragma once

#include "util/ColorRef.h"

#include <QImage>
#include <QWidget>

namespace kv::gui {

// A form area or picture box that keeps what is drawn on it, as the program's containers
// always did: drawing goes into a backing image, painting shows the image. Drawing3D draws here
// when it is the container, so a percent meter that only adds to its bar keeps the rest.
class DrawingSurface : public QWidget
{
    Q_OBJECT

public:
    explicit DrawingSurface(QWidget* parent = nullptr);

    // color::kDefault: the palette's window colour.
    void setBackColor(color::ColorRef color);
    color::ColorRef backColor() const { return m_back; }
    QColor screenBackColor() const;

    // The backing image; call update() after drawing into it.
    QImage& image();
    // Fills the image with the back colour.
    void clearDrawing();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ensureImageSize();

    QImage m_image;
    color::ColorRef m_back = color::kDefault;
};

} // namespace kv::gui
