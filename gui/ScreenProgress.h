#pragma once

#include "backup/RunProgress.h"

#include <QColor>
#include <QObject>
#include <QPointer>

class QLabel;

namespace kv::gui {

class PercentMeter;

// A run's progress on screen: a label and a meter, on the wizard page or in the quick-backup
// window. The run calls it from the worker thread that zips; every call is then posted to the
// thread the widgets live on and the caller goes on at once, so a slow screen never holds up
// the zipping. Posted calls arrive in the order they were made. Calls on the GUI thread act at
// once (anything posted earlier has been delivered by then, as the run's done comes after it).
class ScreenProgress : public QObject, public RunProgress
{
    Q_OBJECT

public:
    ScreenProgress(QLabel* label, PercentMeter* meter, QObject* parent = nullptr);

    void setProgressText(const QString& text, ProgressStyle style = ProgressStyle::Normal) override;
    void setPercent(int percent) override;
    void setMeterVisible(bool visible) override;
    void setPhase(RunPhase phase) override;

    RunPhase phase() const { return m_phase; }

Q_SIGNALS:
    // On the GUI thread, whichever thread the run changed its phase on.
    void phaseChanged(kv::RunPhase phase);

private:
    template <class F> void onScreen(F&& show);

    QPointer<QLabel> m_label;
    QPointer<PercentMeter> m_meter;
    QColor m_textColor;
    RunPhase m_phase = RunPhase::Finished;
};

} // namespace kv::gui
