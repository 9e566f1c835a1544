#pragma once

#include "Drawing3D.h"
#include "DrawingSurface.h"

#include <QWidget>

namespace kv::gui {

// The progress meter of a run: Drawing3D's percent meter in the program's run colours, a light
// blue bar (QBColor 9) on white (QBColor 15) in a sunken frame, with the percentage centred.
// The figures are white over the bar and light blue beyond it: white alone vanishes on the white
// ground until the bar reaches the middle. GUI thread only; ScreenProgress brings values here.
class PercentMeter : public QWidget
{
    Q_OBJECT

public:
    explicit PercentMeter(QWidget* parent = nullptr);

    // Clamped to 0..100.
    void setPercent(int percent);
    int percent() const { return m_percent; }

    // Where the bar ends, in the widget's pixels (for tests and the picture tour).
    QRect barRect() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect inside() const;

    Drawing3D m_draw;
    int m_percent = 0;
};

} // namespace kv::gui
