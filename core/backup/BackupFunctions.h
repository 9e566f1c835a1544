#pragma once

#include "shell/FunctionServices.h"
#include "shell/IFunctions.h"

#include <QString>

#include <functional>
#include <memory>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class BackupRun;
class IMainView;
class Inventory;
class RunProgress;
class RunScreen;
class TaskRunner;
class Ui;

// The backup function of the main window: the wizard's four steps (items, location, name,
// start), its controls, the run it starts and the quick backup. Restore and synchronise are
// handed to `others`.
class BackupFunctions : public IFunctions
{
public:
    using Services = FunctionServices;

    BackupFunctions(Services services, IFunctions& others);
    ~BackupFunctions() override;

    bool buildQuickInventory(MainState& state) override;
    bool gatherQuickItems(MainState& state) override;
    void runBackup(MainState& state) override;

    void startBackup(MainState& state) override;
    void startRestore(MainState& state) override { m_others.startRestore(state); }
    void startSynchronise(MainState& state) override { m_others.startSynchronise(state); }
    void backupStepChanged(MainState& state, int step) override;
    void runRestore(MainState& state) override { m_others.runRestore(state); }
    bool settingsGroupsTicked(const MainState& state) override
    {
        return m_others.settingsGroupsTicked(state);
    }

    void itemPictureClicked(MainState& state, int row) override;
    void itemDetailsRequested(MainState& state, int row) override;
    void itemDoubleClicked(MainState& state, int row) override
    {
        m_others.itemDoubleClicked(state, row);
    }
    void selectAllClicked(MainState& state) override;
    void clearAllClicked(MainState& state) override;
    void browseSaveLocationClicked(MainState& state) override;
    void clearDisksClicked(MainState& state, bool checked) override;
    void backupRunClicked(MainState& state) override;

private:
    // The mail client or the address book holds the store: told, and true.
    bool clientRunning(const MainState& state);
    void askAboutVirusScan(const MainState& state);
    void showBackupPage(MainState& state);
    void makeInventory(MainState& state);
    void showTotals(MainState& state);
    void checkAddressBook(MainState& state, int row);
    void showLocation(MainState& state);
    void estimateSpace(MainState& state);
    void showBackupName(MainState& state);
    void runEnded(MainState& state);
    // The controls a run locks while it works, and gives back.
    void setRunControls(const MainState& state, bool running, bool zipping);

    Services m_s;
    IFunctions& m_others;
    std::unique_ptr<Inventory> m_inventory;
    std::unique_ptr<RunScreen> m_screen;
    std::unique_ptr<BackupRun> m_run;
    bool m_runIsQuick = false;
};

} // namespace kv
