#pragma once

#include "backup/ItemGrid.h"

#include <QList>
#include <QPixmap>
#include <QString>

#include <functional>

namespace kv {
class MainController;
class TreeListModel;
} // namespace kv
namespace kv::gui {
class MainWindow;
class QtUi;
} // namespace kv::gui

namespace kv::app {

// What the picture tour offers its parts: saving a picture and picturing a modal dialog that a
// call opens (the dialog is closed once pictured).
class TourCamera
{
public:
    virtual ~TourCamera() = default;
    virtual void save(const QPixmap& picture, const QString& name) = 0;
    virtual void dialogPicture(const QString& name, const std::function<void()>& show) = 0;
};

// Lets the event loop run for a while, so that what changed is painted.
void settle(int ms = 150);

// The rows of a kind that can be marked, in grid order.
QList<int> availableRows(const TreeListModel& grid, ItemKind kind);

// The backup's wizard steps, a run under way and the two quick-backup windows. The Backup
// button starts the wizard as a user would; where the backup functions are not part of this
// build the page is filled as they fill it, so the pictures still show the pages' look.
void pictureBackupPages(gui::MainWindow& window, gui::QtUi& ui, MainController& controller,
                        TourCamera& camera);

} // namespace kv::app
