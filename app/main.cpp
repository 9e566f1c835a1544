// kv2000: the desktop program on a Windows environment held in a Wine prefix.
#include "ScreenTour.h"

#include "DemoPrefix.h"
#include "MainWindow.h"
#include "QtUi.h"
#include "ThreadTaskRunner.h"
#include "shell/MainController.h"
#include "util/CommandArgs.h"

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WinePrefix.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTextStream>

#include <memory>

namespace {

using kv::takeFlag;
using kv::takeOption;
using kv::platform::posix::WinePrefix;

const char kUsage[] =
    "usage: kv2000 [--prefix DIR | --demo] [SWITCHES...]\n"
    "       kv2000 --help | --version\n"
    "Opens the main window on a Windows environment held in a Wine prefix.\n"
    "\n"
    "options:\n"
    "  --prefix DIR              the Wine prefix (default: $WINEPREFIX, then ~/.wine)\n"
    "  --demo                    the demo environment, made on first use\n"
    "  --screenshot-tour DIR     pictures of the window, its menus and dialogs, then close\n"
    "  -h, --help                show this help\n"
    "  --version                 show the program's version\n"
    "The switches are the program's own: \\F quick backup, \\4 version-4 mode, ...\n";

// Answered before the window system is reached, so that they work without a display.
bool answeredAtOnce(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            QTextStream(stdout) << kUsage;
            return true;
        }
        if (arg == "--version") {
            QTextStream(stdout) << "kv2000 " << KV_VERSION_TEXT << "\n";
            return true;
        }
    }
    return false;
}

int startFailed(const QString& message)
{
    QTextStream(stderr) << "kv2000: " << message << "\n";
    QMessageBox::critical(nullptr, QStringLiteral("Korvane 2000"), message);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (answeredAtOnce(argc, argv))
        return 0;
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setQuitOnLastWindowClosed(false);

    // Our own options; what is left is the program's command line ("\F", "\4", ...).
    QStringList args = QApplication::arguments().mid(1);
    QString folder;
    QString tourFolder;
    const bool hasPrefix = takeOption(args, QStringLiteral("--prefix"), &folder);
    const bool demo = takeFlag(args, QStringLiteral("--demo"));
    const bool tour = takeOption(args, QStringLiteral("--screenshot-tour"), &tourFolder);
    if (hasPrefix && demo)
        return startFailed(QStringLiteral("--prefix and --demo cannot be used together"));
    if (demo) {
        folder = kv::demo::demoPrefixFolder();
        QString error;
        if (!kv::demo::ensureDemoPrefix(folder, &error))
            return startFailed(error);
    } else if (!hasPrefix) {
        folder = WinePrefix::defaultFolder();
    }
    folder = QDir(folder).absolutePath();
    if (!WinePrefix(folder).looksValid())
        return startFailed(QStringLiteral("No Windows environment in ") + folder);

    const auto host = kv::platform::posix::PosixPlatform::forPrefix(folder);
    kv::platform::Platform services = host->services();
    kv::gui::MainWindow window;
    kv::gui::QtUi ui(&window);
    ui.setFileSystem(&services.files);
    // A run zips on a worker thread while the window (or the quick backup's window) stays live.
    kv::gui::ThreadTaskRunner runner;
    kv::MainController controller(services, ui, window, nullptr, &runner);
    window.setController(&controller);
    window.setHelpRequest(
        [&](int context) { ui.showHelpTopic(controller.state().helpFile, context); });
    QObject::connect(&window, &kv::gui::MainWindow::unloaded, &app, &QApplication::quit,
                     Qt::QueuedConnection);

    // A restarted program (a change of identity) finds the same environment.
    const QStringList ownOptions{QStringLiteral("--prefix"), folder};
    std::unique_ptr<QObject> startUpWatcher;
    if (tour)
        startUpWatcher.reset(kv::app::answerStartUpMessages(tourFolder));
    const auto loaded = controller.load(args, ownOptions);
    startUpWatcher.reset();
    switch (loaded) {
    case kv::MainController::LoadResult::Unload:
        controller.unload();
        return 1;
    case kv::MainController::LoadResult::QuickBackup:
        // The run goes on in its window and closes the main window when it is over; a run that
        // ended inside the load but left the window open is closed here.
        if (!window.isUnloaded() && runner.pending() == 0)
            window.closeWindow();
        return window.isUnloaded() && runner.pending() == 0 ? 0 : QApplication::exec();
    case kv::MainController::LoadResult::Interactive:
        break;
    }
    window.show();
    if (tour)
        kv::app::startScreenTour(window, ui, controller, services.files, tourFolder);
    return QApplication::exec();
}
