#include "ThreadTaskRunner.h"

#include "GuiLog.h"

#include <QCoreApplication>
#include <QThread>

namespace kv::gui {

ThreadTaskRunner::ThreadTaskRunner(QObject* parent) : QObject(parent) {}

ThreadTaskRunner::~ThreadTaskRunner()
{
    for (QThread* thread : std::as_const(m_threads)) {
        qCWarning(lcGui) << "waiting for unfinished work at exit";
        // A worker may be waiting for an answer from this thread; deliver what it posted.
        while (!thread->wait(50))
            QCoreApplication::sendPostedEvents();
        delete thread;
    }
}

void ThreadTaskRunner::run(std::function<void()> work, std::function<void()> done)
{
    if (thread() != QThread::currentThread()) {
        qCWarning(lcGui) << "work handed to the runner from a foreign thread; running it there";
        work();
        if (done)
            done();
        return;
    }
    QThread* worker = QThread::create(std::move(work));
    worker->setObjectName(QStringLiteral("kv-worker"));
    m_threads.append(worker);
    // finished comes from the worker; the receiver lives here, so the call is queued to us.
    connect(worker, &QThread::finished, this, [this, worker, done = std::move(done)] {
        m_threads.removeOne(worker);
        worker->deleteLater();
        if (done)
            done();
    });
    worker->start();
}

} // namespace kv::gui
