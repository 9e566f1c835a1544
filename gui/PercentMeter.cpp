#include "PercentMeter.h"

#include "ScreenColor.h"

#include <QPaintEvent>
#include <QPainter>

namespace kv::gui {

namespace {
constexpr color::ColorRef kBar = color::qbColor(9);
constexpr color::ColorRef kGround = color::qbColor(15);
} // namespace

PercentMeter::PercentMeter(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("percentMeter"));
    m_draw.setFillColor(kBar);
    m_draw.setForeColor(kGround);
    m_draw.setBackColor(kGround);
    // The figures are written here, in two colours.
    m_draw.setShowPercent(false);
    QFont f = font();
    f.setBold(true);
    m_draw.setFont(f);
}

void PercentMeter::setPercent(int percent)
{
    percent = qBound(0, percent, 100);
    if (percent == m_percent)
        return;
    m_percent = percent;
    update();
}

// The frame lies one pixel outside the picture, so the picture is the widget less its edge.
QRect PercentMeter::inside() const
{
    return rect().adjusted(1, 1, -1, -1);
}

QRect PercentMeter::barRect() const
{
    const QRect in = inside();
    const int length = qMax(0, in.width() - 2) * m_percent / 100;
    return QRect(in.left() + 1, in.top() + 1, length, qMax(0, in.height() - 2));
}

QSize PercentMeter::sizeHint() const
{
    return QSize(240, fontMetrics().height() + 8);
}

QSize PercentMeter::minimumSizeHint() const
{
    return QSize(60, fontMetrics().height() + 6);
}

void PercentMeter::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    const QRect in = inside();
    const QColor ground = screenColor(kGround, palette());
    const QColor bar = screenColor(kBar, palette());
    // Each paint draws the whole meter, so the inside starts clean whatever was drawn before.
    p.fillRect(in, ground);
    m_draw.setPalette(palette());
    m_draw.drawPercentMeter(p, in, m_percent);

    const QString text = QString::number(m_percent) + QLatin1Char('%');
    p.setFont(m_draw.font());
    const QRect bounds = in.adjusted(1, 1, -1, -1);
    const QRect filled = barRect();
    p.save();
    p.setClipRect(filled);
    p.setPen(ground);
    p.drawText(bounds, Qt::AlignCenter, text);
    p.restore();
    p.save();
    p.setClipRegion(QRegion(bounds).subtracted(QRegion(filled)));
    p.setPen(bar);
    p.drawText(bounds, Qt::AlignCenter, text);
    p.restore();
}

} // namespace kv::gui
