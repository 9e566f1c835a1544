#pragma once

#include <QString>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

class TreeListModel;
class Ui;
struct RestoreContext;

// The marks of the restore page: mark clicks with their checks and messages, a folder
// redirected into another current folder, Select All and Clear All row by row, and the details
// box. Works on the item grid the archive's list filled (row 0 is the root).
class RestoreSelection
{
public:
    // current: the current-folder list (may be empty when currentLoaded is false).
    RestoreSelection(const RestoreContext& context, platform::IFileSystem& files, Ui& ui,
                     TreeListModel& grid, TreeListModel& current, bool currentLoaded);

    // A full restore starts with every folder row of the archive marked; returns the count.
    int markAllFolders();

    // A click on the row's check box: marks or unmarks it after the checks.
    void markClicked(int row);
    // A double click: asks for the current folder to restore the row into.
    void redirectClicked(int row);
    // Redirects a row into the current folder at currentRow (1 or more) without asking, as the
    // command line's --to does; false (and told) when it may not be.
    bool redirectTo(int row, int currentRow);
    void selectAll();
    void clearAll();
    // The right mouse button: the details box of the row.
    void showDetails(int row);

    int markedCount() const { return m_marked; }
    // True when a settings group row is marked.
    bool settingsGroupsMarked() const;

    // The texts a redirected row shows: the name, TAB, ">>> " and the target's name.
    static QString redirectedText(const QString& name, const QString& target);
    // The row's own name: its text before the first TAB.
    static QString ownName(const QString& rowText);

private:
    // The checks before a redirect, each refusal told.
    bool mayRedirect(int row);
    // A current folder that can receive messages: not the root, and with a message file.
    bool validTarget(int currentRow) const;
    void redirect(int row, int currentRow);

    const RestoreContext& m_context;
    platform::IFileSystem& m_files;
    Ui& m_ui;
    TreeListModel& m_grid;
    TreeListModel& m_current;
    bool m_currentLoaded;
    int m_marked = 0;
};

} // namespace kv
