// gui_stall: how long the window's event loop is held while a synchronise of a large folder
// extracts, reads and compares, measured on the real window, Ui and worker thread.
//
//   gui_stall PREFIX ARCHIVE FOLDER_FILE
//
// A 5 ms timer on the GUI thread stands for the repaints: any gap between its ticks beyond
// its period is time in which the window could not have painted. The peer is the same work
// done on the GUI thread itself, which would hold the window for the whole run.
#include "MainWindow.h"
#include "QtUi.h"
#include "ThreadTaskRunner.h"
#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "shell/MainController.h"

#include "platform/posix/PosixPlatform.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Answers the backup-file dialog with the archive and closes any other modal box (the
// start-up tips): the run must not wait for a user.
void answerDialogs(QWidget* window, const QString& archive)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == window || !modal->isVisible())
        return;
    if (modal->objectName() == QLatin1String("BackupFileDialog")) {
        if (auto* box = modal->findChild<QLineEdit*>(QStringLiteral("backupLocation")))
            box->setText(archive);
        if (auto* ok = modal->findChild<QAbstractButton*>(QStringLiteral("okButton")))
            return ok->click();
    }
    auto* box = qobject_cast<QMessageBox*>(modal);
    std::fprintf(stderr, "gui_stall: answering %s \"%s\"\n", modal->metaObject()->className(),
                 qPrintable(box ? box->text() : modal->windowTitle()));
    if (box && box->escapeButton())
        return box->escapeButton()->click();
    modal->close();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4)
        return std::fprintf(stderr, "usage: gui_stall PREFIX ARCHIVE FOLDER_FILE\n"), 2;
    const QString prefix = QString::fromLocal8Bit(argv[1]);
    const QString archive = QString::fromLocal8Bit(argv[2]);
    const QString folderFile = QString::fromLocal8Bit(argv[3]);

    const auto host = kv::platform::posix::PosixPlatform::forPrefix(prefix);
    kv::platform::Platform services = host->services();
    kv::gui::MainWindow window;
    kv::gui::QtUi ui(&window);
    ui.setFileSystem(&services.files);
    kv::gui::ThreadTaskRunner runner;
    kv::MainController controller(services, ui, window, nullptr, &runner);
    window.setController(&controller);

    QTimer answering;
    QObject::connect(&answering, &QTimer::timeout, [&] { answerDialogs(&window, archive); });
    answering.start(50);
    if (controller.load({}, {QStringLiteral("--prefix"), prefix}) !=
        kv::MainController::LoadResult::Interactive)
        return std::fprintf(stderr, "gui_stall: the window did not open\n"), 2;
    window.show();

    controller.synchClicked();
    const kv::TreeListModel& items = window.itemGrid();
    const int row = items.findCell(kv::cell::MbxName, folderFile, 1);
    if (row <= 0 || window.currentPage() != kv::MainPage::Wizard)
        return std::fprintf(stderr, "gui_stall: no folder row %s\n", qPrintable(folderFile)), 2;
    controller.itemPictureClicked(row);

    std::vector<qint64> gaps;
    QElapsedTimer run;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    constexpr int kPeriodMs = 5;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        gaps.push_back(sinceTick.restart());
        if (window.currentPage() == kv::MainPage::SynchResult || window.isUnloaded())
            QApplication::exit(0); // not quit(): that would ask the window to close
    });
    QTimer::singleShot(0, [&] {
        run.start();
        sinceTick.start();
        ticker.start(kPeriodMs);
        controller.nextClicked(); // "Synch Now": extraction, reading and comparison
    });
    QApplication::exec();
    const qint64 total = run.elapsed();

    if (window.currentPage() != kv::MainPage::SynchResult)
        return std::fprintf(stderr, "gui_stall: the comparison did not reach its grid\n"), 1;
    std::sort(gaps.begin(), gaps.end());
    const auto at = [&](double q) { return gaps[size_t(q * double(gaps.size() - 1))]; };
    const auto over = std::count_if(gaps.begin(), gaps.end(), [](qint64 g) { return g > 100; });
    const kv::TreeListModel& grid = window.synchGrid();
    std::printf("synchronise of %s: %.2f s to the grid, %d grid rows\n", qPrintable(folderFile),
                double(total) / 1000, grid.totalRowCount());
    std::printf("event loop gaps (%zu ticks of %d ms): median %lld ms, 99th %lld ms, "
                "longest %lld ms, %lld over 100 ms\n",
                gaps.size(), kPeriodMs, static_cast<long long>(at(0.5)),
                static_cast<long long>(at(0.99)), static_cast<long long>(gaps.back()),
                static_cast<long long>(over));
    std::printf("peer, the same work on the GUI thread: the window held for %.2f s\n",
                double(total) / 1000);
    return 0;
}
