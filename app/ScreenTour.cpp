#include "ScreenTour.h"

#include "BackupTour.h"
#include "RestoreTour.h"
#include "SynchTour.h"

#include "MainWindow.h"
#include "QtUi.h"
#include "shell/MainController.h"
#include "shell/Options.h"
#include "shell/Strings.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTextStream>
#include <QTimer>

#include <functional>
#include <memory>

namespace kv::app {

namespace {

struct Tour : TourCamera
{
    Tour(gui::MainWindow& w, gui::QtUi& u, MainController& c, platform::IFileSystem& fs, QString f)
        : window(w), ui(u), controller(c), files(fs), folder(std::move(f))
    {
    }

    gui::MainWindow& window;
    gui::QtUi& ui;
    MainController& controller;
    platform::IFileSystem& files;
    QString folder;
    int failures = 0;

    void save(const QPixmap& picture, const QString& name) override
    {
        const QString path = folder + u'/' + name + QStringLiteral(".png");
        if (picture.isNull() || !picture.save(path)) {
            QTextStream(stderr) << "kv2000: cannot save " << path << "\n";
            ++failures;
            return;
        }
        QTextStream(stdout) << path << "\n";
    }

    // The window with an opened menu painted over it where it stands on the screen.
    void menuPicture(MainMenu which, const QString& name)
    {
        QMenu* menu = window.menu(which);
        const QRect bar = window.menuBar()->actionGeometry(menu->menuAction());
        menu->popup(window.menuBar()->mapToGlobal(bar.bottomLeft()));
        settle();
        QPixmap picture = window.grab();
        const QPoint at = window.mapFromGlobal(menu->pos());
        const QPixmap opened = menu->grab();
        if (picture.width() < at.x() + opened.width() ||
            picture.height() < at.y() + opened.height()) {
            QPixmap larger(qMax(picture.width(), at.x() + opened.width()),
                           qMax(picture.height(), at.y() + opened.height()));
            larger.fill(Qt::darkGray);
            QPainter(&larger).drawPixmap(0, 0, picture);
            picture = larger;
        }
        QPainter(&picture).drawPixmap(at, opened);
        menu->hide();
        save(picture, name);
    }

    // Runs show(), which opens a modal dialog; the dialog is pictured and closed.
    void dialogPicture(const QString& name, const std::function<void()>& show) override
    {
        auto* timer = new QTimer;
        timer->setInterval(50);
        auto tries = std::make_shared<int>(0);
        QObject::connect(timer, &QTimer::timeout, [this, timer, tries, name] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible()) {
                if (++*tries > 100) {
                    QTextStream(stderr) << "kv2000: no dialog for " << name << "\n";
                    ++failures;
                    timer->stop();
                    timer->deleteLater();
                }
                return;
            }
            timer->stop();
            timer->deleteLater();
            save(modal->grab(), name);
            modal->close();
        });
        timer->start();
        show();
    }

    void run()
    {
        // A first-run question may be open: picture it and answer it.
        if (QApplication::activeModalWidget()) {
            save(QApplication::activeModalWidget()->grab(), QStringLiteral("first-run-question"));
            QApplication::activeModalWidget()->close();
            settle();
        }
        save(window.grab(), QStringLiteral("main-opening"));
        menuPicture(MainMenu::File, QStringLiteral("menu-file"));
        menuPicture(MainMenu::Options, QStringLiteral("menu-options"));
        menuPicture(MainMenu::Logs, QStringLiteral("menu-logs"));
        menuPicture(MainMenu::Help, QStringLiteral("menu-help"));

        const MainState& st = controller.state();
        dialogPicture(QStringLiteral("dialog-about"),
                      [&] { ui.showAbout(st.programTitle, st.versionText); });
        dialogPicture(QStringLiteral("dialog-options"), [&] {
            ui.getOptions(options::request(options::Mode::Reminder, QStringLiteral("2")));
        });
        dialogPicture(QStringLiteral("dialog-identity"), [&] {
            QStringList names = st.env.identities.names;
            if (names.isEmpty())
                names << QStringLiteral("Main Identity");
            ui.chooseIdentity(names, qMax(1, st.env.chosenIndex), true, window.caption());
        });
        dialogPicture(QStringLiteral("dialog-message"), [&] {
            GenMessage m;
            m.title = st.programTitle;
            m.text = Strings::get(StringId::RegistryCaution) + QStringLiteral("  ") +
                     Strings::get(StringId::RegistryMoreInfo);
            ui.genMessage(m);
        });
        dialogPicture(QStringLiteral("dialog-exit"), [&] {
            ui.messageBox(Strings::get(StringId::ConfirmExit), MsgButtons::YesNo,
                          MsgIcon::Information, window.caption());
        });

        pictureBackupPages(window, ui, controller, *this);
        const QString synchArchive = writeSynchTourArchive(window, controller, files);
        pictureRestorePages(window, ui, controller, files, *this);
        pictureSynchPages(window, controller, files, *this, synchArchive);
        window.closeWindow();
        if (failures)
            QApplication::exit(1);
    }
};

} // namespace

QObject* answerStartUpMessages(const QString& folder)
{
    QDir().mkpath(folder);
    auto* watcher = new QTimer;
    auto count = std::make_shared<int>(0);
    QObject::connect(watcher, &QTimer::timeout, watcher, [count, folder] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        const QString path =
            QDir(folder).absoluteFilePath(QStringLiteral("startup-message-%1.png").arg(++*count));
        if (modal->grab().save(path))
            QTextStream(stdout) << path << "\n";
        modal->close();
    });
    watcher->start(400);
    return watcher;
}

void startScreenTour(gui::MainWindow& window, gui::QtUi& ui, MainController& controller,
                     platform::IFileSystem& files, const QString& folder)
{
    QDir().mkpath(folder);
    auto* tour = new Tour(window, ui, controller, files, QDir(folder).absolutePath());
    QTimer::singleShot(500, &window, [tour] {
        tour->run();
        delete tour;
    });
}

} // namespace kv::app
