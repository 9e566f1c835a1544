#pragma once

#include <QObject>
#include <QString>

namespace kv {
class MainController;
}
namespace kv::platform {
class IFileSystem;
}
namespace kv::gui {
class MainWindow;
class QtUi;
} // namespace kv::gui

namespace kv::app {

// Pictures of the main window, each menu opened and each dialog, saved as PNG files in folder;
// the program ends when they are taken. For a person to look at the screens after a change.
// While the start-up runs, pictures each message it shows (a first-run question, the tip) into
// folder and answers it, so that the tour never waits for a person. Delete the returned watcher
// once the start-up is over.
QObject* answerStartUpMessages(const QString& folder);

// files: the environment's, where the restore's pages find the tour's own archive.
void startScreenTour(gui::MainWindow& window, gui::QtUi& ui, MainController& controller,
                     platform::IFileSystem& files, const QString& folder);

} // namespace kv::app
