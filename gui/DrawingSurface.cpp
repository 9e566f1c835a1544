#include "DrawingSurface.h"

#include "ScreenColor.h"

#include <QPaintEvent>
#include <QPainter>

namespace kv::gui {

DrawingSurface::DrawingSurface(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void DrawingSurface::setBackColor(color::ColorRef color)
{
    m_back = color;
    clearDrawing();
}

QColor DrawingSurface::screenBackColor() const
{
    return screenColor(m_back, palette(), palette().color(QPalette::Window));
}

QImage& DrawingSurface::image()
{
    ensureImageSize();
    return m_image;
}

void DrawingSurface::clearDrawing()
{
    ensureImageSize();
    m_image.fill(screenBackColor());
    update();
}

void DrawingSurface::ensureImageSize()
{
    const QSize want = size().expandedTo(QSize(1, 1));
    if (m_image.size() == want)
        return;
    // Growing keeps what was drawn, as a container with a persistent drawing does.
    QImage grown(want, QImage::Format_RGB32);
    grown.fill(screenBackColor());
    if (!m_image.isNull()) {
        QPainter p(&grown);
        p.drawImage(0, 0, m_image);
    }
    m_image = grown;
}

void DrawingSurface::paintEvent(QPaintEvent* event)
{
    ensureImageSize();
    QPainter p(this);
    p.drawImage(event->rect(), m_image, event->rect());
}

void DrawingSurface::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ensureImageSize();
}

} // namespace kv::gui
