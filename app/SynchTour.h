#pragma once

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

class TourCamera;

// The synchronise's pages. Its archive is a real backup of the mail folders the backup pages
// ticked, so it is written while the item grid still holds them (the restore's tour replaces
// it); "" when it could not be written. The pictures follow later: the folder page, the grid
// with ticks after a real comparison, and the restore-messages page. One folder's message file
// is moved aside during the comparison so that the grid lists its messages; nothing is
// restored, and the file and the archive are put back and removed afterwards.
QString writeSynchTourArchive(gui::MainWindow& window, MainController& controller,
                              platform::IFileSystem& files);
void pictureSynchPages(gui::MainWindow& window, MainController& controller,
                       platform::IFileSystem& files, TourCamera& camera, const QString& archive);

} // namespace kv::app
