#pragma once

#include "restore/RestoreContext.h"
#include "shell/FunctionServices.h"
#include "shell/IFunctions.h"

#include <functional>
#include <memory>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class IMainView;
class RestoreRun;
class RestoreSelection;
struct RestoreOutcome;
class TaskRunner;
class TreeListModel;
class Ui;

// The restore function of the main window: the start (backup file, item list, current
// folders), the restore page's controls, Next with its registry caution, and the run on the
// last page. The synchronise's start is the same start in its synchronise form, and its folder
// page is this page; what follows the folder page belongs to SynchroniseFunctions. Backup is
// never asked of it.
class RestoreFunctions : public IFunctions
{
public:
    using Services = FunctionServices;

    RestoreFunctions(Services services, IFunctions& others);
    ~RestoreFunctions() override;

    bool buildQuickInventory(MainState& state) override
    {
        return m_others.buildQuickInventory(state);
    }
    bool gatherQuickItems(MainState& state) override { return m_others.gatherQuickItems(state); }
    void runBackup(MainState& state) override { m_others.runBackup(state); }
    void startBackup(MainState& state) override { m_others.startBackup(state); }
    void backupStepChanged(MainState& state, int step) override
    {
        m_others.backupStepChanged(state, step);
    }

    void startRestore(MainState& state) override;
    void startSynchronise(MainState& state) override;
    void runRestore(MainState& state) override;
    bool settingsGroupsTicked(const MainState& state) override;

    void itemPictureClicked(MainState& state, int row) override;
    void itemDoubleClicked(MainState& state, int row) override;
    void itemDetailsRequested(MainState& state, int row) override;
    void selectAllClicked(MainState& state) override;
    void clearAllClicked(MainState& state) override;

    // The current-folder list (for the folder chooser and tests).
    TreeListModel& currentFolders() { return *m_current; }
    const RestoreContext& context() const { return m_context; }

private:
    // The start shared by restore and synchronise (state.function tells which).
    void start(MainState& state);
    // Synchronise: folders the current store does not have are shown in red.
    void markMissingFolders();
    // The three function buttons and their File-menu entries (Backup and Synchronise stay off in
    // version-4 import mode).
    void setFunctionControls(const MainState& state, bool enabled);
    // No backup file: back to the opening page, or the end of a version-4 import.
    void abandonStart(MainState& state);
    void cautionOverwrite(const MainState& state);
    void showRestorePage(MainState& state);
    void setRestorePageTexts(const MainState& state);
    // The marked-row count into the state, and Next after it.
    void marksChanged(MainState& state);
    // The page takes clicks: a restore is set up and no run works on the grid.
    bool pageReady(const MainState& state) const;
    // The controls a run locks while it works, and gives back.
    void setRunControls(bool running);
    void runEnded(MainState& state, const RestoreOutcome& outcome);

    Services m_s;
    IFunctions& m_others;
    RestoreContext m_context;
    std::unique_ptr<TreeListModel> m_current;
    bool m_currentLoaded = false;
    std::unique_ptr<RestoreSelection> m_selection;
    std::unique_ptr<RestoreRun> m_run;
};

} // namespace kv
