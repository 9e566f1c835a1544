#pragma once

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace kv::test {

// Runs `drive` on the modal dialog the code under test is about to show, once it is on screen.
// When `drive` leaves the dialog open, it is rejected after a while so that a test never hangs.
inline void whenModal(std::function<void(QWidget*)> drive)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, drive] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (++*tries > 400) {
                ADD_FAILURE() << "no modal dialog appeared";
                timer->deleteLater();
                timer->stop();
            }
            return;
        }
        timer->stop();
        timer->deleteLater();
        drive(modal);
        if (modal->isVisible() && QApplication::activeModalWidget() == modal) {
            QTimer::singleShot(2000, modal, [modal] {
                if (modal->isVisible()) {
                    ADD_FAILURE() << "dialog " << modal->objectName().toStdString() << " left open";
                    modal->close();
                }
            });
        }
    });
    timer->start();
}

// Saves a picture of a window under build/screens/ for a person to look at.
inline void saveScreen(QWidget* widget, const QString& name)
{
    const QString folder = QStringLiteral(KV_BINARY_DIR) + QStringLiteral("/screens");
    QDir().mkpath(folder);
    EXPECT_TRUE(widget->grab().save(folder + u'/' + name + QStringLiteral(".png")))
        << name.toStdString();
}

template <class T> T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace kv::test
