#pragma once

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

// The restore's pages and dialogs. The tour writes a small archive of its own, holding only
// the item list of what the backup pages showed, and restores from it as a user would: the
// backup-file dialog, the item page with marks and a redirected folder, the last page. Nothing
// is restored (the run is not started), and the archive is removed again.
void pictureRestorePages(gui::MainWindow& window, gui::QtUi& ui, MainController& controller,
                         platform::IFileSystem& files, TourCamera& camera);

} // namespace kv::app
