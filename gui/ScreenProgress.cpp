#include "ScreenProgress.h"

#include "PercentMeter.h"

#include <QLabel>
#include <QThread>

namespace kv::gui {

ScreenProgress::ScreenProgress(QLabel* label, PercentMeter* meter, QObject* parent)
    : QObject(parent), m_label(label), m_meter(meter),
      m_textColor(label ? label->palette().color(QPalette::WindowText) : QColor(Qt::black))
{
}

template <class F> void ScreenProgress::onScreen(F&& show)
{
    if (QThread::currentThread() == thread())
        show();
    else
        QMetaObject::invokeMethod(this, std::forward<F>(show), Qt::QueuedConnection);
}

void ScreenProgress::setProgressText(const QString& text, ProgressStyle style)
{
    onScreen([this, text, style] {
        if (!m_label)
            return;
        const bool checking = style == ProgressStyle::Checking;
        QPalette pal = m_label->palette();
        pal.setColor(QPalette::WindowText, checking ? QColor(255, 0, 0) : m_textColor);
        m_label->setPalette(pal);
        m_label->setAlignment((checking ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);
        m_label->setText(text);
    });
}

void ScreenProgress::setPercent(int percent)
{
    onScreen([this, percent] {
        if (m_meter)
            m_meter->setPercent(percent);
    });
}

void ScreenProgress::setMeterVisible(bool visible)
{
    onScreen([this, visible] {
        if (m_meter)
            m_meter->setVisible(visible);
    });
}

void ScreenProgress::setPhase(RunPhase phase)
{
    onScreen([this, phase] {
        m_phase = phase;
        Q_EMIT phaseChanged(phase);
    });
}

} // namespace kv::gui
