#pragma once

#include "BackupTour.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHash>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace kv::app {

// Answers each modal dialog that opens while the tour drives the controller: a handler by the
// dialog's object name pictures and answers it; any other dialog is pictured and closed.
class DialogAnswers
{
public:
    using Handler = std::function<void(QWidget*)>;

    DialogAnswers(TourCamera& camera, QString prefix)
        : m_camera(camera), m_prefix(std::move(prefix))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answer(); });
        m_timer.start(200);
    }
    void on(const QString& objectName, Handler handler)
    {
        m_handlers[objectName] = std::move(handler);
    }

private:
    void answer()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || m_busy)
            return;
        // A handler may open a dialog of its own; the next one waits until it is back.
        m_busy = true;
        const auto found = m_handlers.constFind(modal->objectName());
        if (found != m_handlers.constEnd()) {
            found.value()(modal);
        } else {
            m_camera.save(modal->grab(), m_prefix + QString::number(++m_count));
            modal->close();
        }
        m_busy = false;
    }

    TourCamera& m_camera;
    QString m_prefix;
    QTimer m_timer;
    QHash<QString, Handler> m_handlers;
    int m_count = 0;
    bool m_busy = false;
};

inline void click(QWidget* dialog, const char* name)
{
    if (auto* b = dialog->findChild<QAbstractButton*>(QLatin1String(name)))
        b->click();
    else
        dialog->close();
}

} // namespace kv::app
