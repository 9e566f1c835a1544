#pragma once

#include "restore/RestoreContext.h"
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
class TaskRunner;
class TreeListModel;
class Ui;

// The restore function of the main window: the start (backup file, item list, current
// folders), the restore page's controls, Next with its registry caution, and the run on the
// last page. Backup is never asked of it; synchronise is handed to `others` for now.
class RestoreFunctions : public IFunctions
{
public:
    struct Services
    {
        platform::Platform& platform;
        Ui& ui;
        IMainView& view;
        AppSettings& settings;
        TaskRunner& runner;
        // Opens a log for reading (the Logs menu's way).
        std::function<void(const QString& path)> openLog;
    };

    RestoreFunctions(Services services, IFunctions& others);
    ~RestoreFunctions() override;

    bool buildQuickInventory(MainState& state) override { return m_others.buildQuickInventory(state); }
    bool gatherQuickItems(MainState& state) override { return m_others.gatherQuickItems(state); }
    void runBackup(MainState& state) override { m_others.runBackup(state); }
    void startBackup(MainState& state) override { m_others.startBackup(state); }
    void backupStepChanged(MainState& state, int step) override
    {
        m_others.backupStepChanged(state, step);
    }

    void startRestore(MainState& state) override;
    void startSynchronise(MainState& state) override { m_others.startSynchronise(state); }
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
    Services m_s;
    IFunctions& m_others;
    RestoreContext m_context;
    std::unique_ptr<TreeListModel> m_current;
    bool m_currentLoaded = false;
    std::unique_ptr<RestoreSelection> m_selection;
    std::unique_ptr<RestoreRun> m_run;
};

} // namespace kv
