#pragma once

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

// Every dialog test compares with string literals.
using namespace Qt::StringLiterals;

namespace kv::test {

// Runs `drive` on the modal dialog the code under test is about to show, once it is on screen.
// A dialog `drive` leaves open is closed after a while, so that a test fails instead of hanging.
inline void whenModal(std::function<void(QWidget*)> drive)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, tries = 0, drive]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if ((!modal || !modal->isVisible()) && ++tries <= 400)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal || !modal->isVisible())
            return ADD_FAILURE() << "no modal dialog appeared";
        drive(modal);
        if (modal->isVisible() && QApplication::activeModalWidget() == modal)
            QTimer::singleShot(2000, modal, [modal] {
                EXPECT_FALSE(modal->isVisible())
                    << modal->objectName().toStdString() << " left open";
                modal->close();
            });
    });
    timer->start();
}

template <class T> T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

} // namespace kv::test
