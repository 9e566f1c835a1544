#pragma once

#include "backup/RunProgress.h"

#include <QObject>
#include <QThread>

#include <functional>

namespace kv {

// The wizard page's progress as the run sees it: everything goes on to the page's own progress,
// and each phase is also handed to the page's logic on the thread that made this object, since
// the run may announce a phase from the worker thread that zips.
class RunScreen : public RunProgress
{
public:
    RunScreen(RunProgress& page, std::function<void(RunPhase)> phaseChanged)
        : m_page(page), m_phaseChanged(std::move(phaseChanged)), m_owner(QThread::currentThread())
    {
    }

    void setProgressText(const QString& text, ProgressStyle style) override
    {
        m_page.setProgressText(text, style);
    }
    void setPercent(int percent) override { m_page.setPercent(percent); }
    void setMeterVisible(bool visible) override { m_page.setMeterVisible(visible); }
    void setBytes(qint64 done, qint64 total) override { m_page.setBytes(done, total); }
    void setPhase(RunPhase phase) override
    {
        m_page.setPhase(phase);
        if (QThread::currentThread() == m_owner) {
            m_phaseChanged(phase);
            return;
        }
        // Queued to the owner: a phase that arrives after this object is gone is dropped with
        // the context.
        QMetaObject::invokeMethod(
            &m_context, [this, phase] { m_phaseChanged(phase); }, Qt::QueuedConnection);
    }

private:
    RunProgress& m_page;
    std::function<void(RunPhase)> m_phaseChanged;
    QThread* m_owner;
    QObject m_context;
};

} // namespace kv
