#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

#include <type_traits>
#include <utility>

namespace kv::gui {

// True on the thread that owns the application object, the only one that may touch widgets.
inline bool onGuiThreadNow()
{
    const QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

// Runs f on the GUI thread and returns its answer. A run that zips on a worker thread asks its
// questions (a file in use, the next diskette) from there; the dialogs must open on the GUI
// thread, and the worker has nothing to do until the user answers, so it waits. Never call this
// from the worker while the GUI thread waits for that worker.
template <class F> std::invoke_result_t<F> onGuiThread(F&& f)
{
    using Result = std::invoke_result_t<F>;
    if (onGuiThreadNow())
        return std::forward<F>(f)();
    if constexpr (std::is_void_v<Result>) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), std::forward<F>(f),
                                  Qt::BlockingQueuedConnection);
    } else {
        Result result{};
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&result, &f] { result = f(); },
            Qt::BlockingQueuedConnection);
        return result;
    }
}

} // namespace kv::gui
