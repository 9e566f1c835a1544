#pragma once

#include <QString>

namespace kv {
class MainController;
}
namespace kv::gui {
class frmMain;
class QtUi;
} // namespace kv::gui

namespace kv::app {

// Pictures of the main window, each menu opened and each dialog, saved as PNG files in folder;
// the program ends when they are taken. For a person to look at the screens after a change.
void startScreenTour(gui::frmMain& window, gui::QtUi& ui, MainController& controller,
                     const QString& folder);

} // namespace kv::app
