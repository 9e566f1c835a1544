#pragma once

#include "util/TaskRunner.h"

#include <QList>
#include <QObject>

class QThread;

namespace kv::gui {

// Runs each piece of long work on a thread of its own and calls its done on the thread that owns
// the runner (the GUI thread) once the work has returned. The event loop goes on meanwhile, so the
// window repaints, its Cancel button works and the worker's questions can be answered.
class ThreadTaskRunner : public QObject, public TaskRunner
{
    Q_OBJECT

public:
    explicit ThreadTaskRunner(QObject* parent = nullptr);
    // Waits for work still running (the window refuses to close while a run is busy, so this
    // only happens when the program is torn down early).
    ~ThreadTaskRunner() override;

    // Call from the runner's own thread.
    void run(std::function<void()> work, std::function<void()> done) override;

    // Pieces of work started and not yet done.
    int pending() const { return int(m_threads.size()); }

private:
    QList<QThread*> m_threads;
};

} // namespace kv::gui
