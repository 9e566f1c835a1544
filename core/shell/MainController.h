#pragma once

#include "shell/FunctionServices.h"
#include "shell/IFunctions.h"
#include "shell/IMainView.h"
#include "shell/MainMenus.h"
#include "shell/MainState.h"
#include "shell/WizardNavigator.h"

#include <QStringList>

#include "platform/Platform.h"

#include <memory>

namespace kv {

class AppSettings;
class GuardedRegistry;
class IFunctions;
class IMainView;
class RestoreFunctions;
class TaskRunner;
class Ui;

// The logic of the main window: the start-up, the menus, the close request and the unload.
// The window (IMainView) forwards its events here; everything modal goes through the Ui, and
// the backup, restore and synchronise work through IFunctions.
class MainController
{
public:
    enum class LoadResult
    {
        Unload,      // a start-up check failed (its message was shown): the window closes
        QuickBackup, // the quick backup was started; its end closes the window
        Interactive, // the opening page is shown
    };

    // functions may be null: the program's own functions are then used (synchronise, backup
    // and restore). runner carries the
    // backup run's long part; null runs it at once on the calling thread (command line, tests),
    // the GUI gives one that uses a worker thread.
    MainController(platform::Platform& platform, Ui& ui, IMainView& view,
                   IFunctions* functions = nullptr, TaskRunner* runner = nullptr);
    ~MainController();

    // The whole start-up. commandLine holds the program's arguments without our own options
    // (the prefix, ...); ownOptions are those options, given again to a restarted program.
    LoadResult load(const QStringList& commandLine, const QStringList& ownOptions = {});

    // Window events.
    void activated();
    void firstPaint();
    // The window's close box: false refuses the close.
    bool queryClose();
    // The window is closing (after queryClose, or closed by the program).
    void unload();

    // Buttons of the pages.
    void backupClicked();
    void restoreClicked();
    void synchClicked();
    void nextClicked() { m_nav.next(); }
    void backClicked() { m_nav.back(); }
    void exitClicked();

    // Controls of the backup pages.
    void itemPictureClicked(int row) { m_functions.itemPictureClicked(m_state, row); }
    void itemDetailsRequested(int row) { m_functions.itemDetailsRequested(m_state, row); }
    void itemDoubleClicked(int row) { m_functions.itemDoubleClicked(m_state, row); }
    void selectAllClicked() { m_functions.selectAllClicked(m_state); }
    void clearAllClicked() { m_functions.clearAllClicked(m_state); }
    void browseSaveLocationClicked() { m_functions.browseSaveLocationClicked(m_state); }
    void clearDisksClicked(bool checked) { m_functions.clearDisksClicked(m_state, checked); }
    void backupRunClicked() { m_functions.backupRunClicked(m_state); }

    // Controls of the synchronise grid page (rows of the synchronise grid) and of the
    // restore-messages page.
    void synchTickClicked(int row) { m_functions.synchTickClicked(m_state, row); }
    void synchMenuChosen(int row, SynchFolderMenu entry)
    {
        m_functions.synchMenuChosen(m_state, row, entry);
    }
    void synchSelectAllClicked() { m_functions.synchSelectAllClicked(m_state); }
    void synchClearAllClicked() { m_functions.synchClearAllClicked(m_state); }
    void synchNextClicked() { m_functions.synchNextClicked(m_state); }
    void synchBackClicked() { m_functions.synchBackClicked(m_state); }
    void restoreMessagesClicked() { m_functions.restoreMessagesClicked(m_state); }
    void saveMboxClicked() { m_functions.saveMboxClicked(m_state); }

    // A menu entry was chosen.
    void menuChosen(MenuEntry entry) { m_menus.chosen(entry); }
    // "Are you sure you wish to exit?" with Yes and No; true for Yes.
    bool askExit(const QString& title);

    // Long operations mark themselves busy so that the close box is refused meanwhile.
    void setBusy(bool busy) { m_state.busy = busy; }

    MainState& state() { return m_state; }
    const MainState& state() const { return m_state; }
    AppSettings& settings() { return *m_settings; }
    WizardNavigator& navigator() { return m_nav; }
    TaskRunner& runner() { return m_runner; }

    // The command-line switch test: the line begins with "\" and holds the text after it.
    static bool hasSwitch(const QString& commandLine, const QString& letters);

private:
    // What the window's own functions are made with.
    FunctionServices functionServices();
    LoadResult fail(const QString& message);
    void readCommandLine(const QStringList& commandLine);
    bool ensureProgramFolder();
    void setUpLabels();
    bool chooseEnvironment();
    void setUpMode();
    void firstRunOfIdentity();
    void setUpLogsMenu();
    void loadBackupDefaults();
    void askQuickBackup();
    void placeWindow();
    bool runQuickBackup();
    void showTidingsTip();

    // Every registry write of the run goes through the guard.
    std::unique_ptr<GuardedRegistry> m_registry;
    platform::Platform m_platform;
    Ui& m_ui;
    IMainView& m_view;
    std::unique_ptr<TaskRunner> m_ownRunner;
    TaskRunner& m_runner;
    std::unique_ptr<AppSettings> m_settings;
    // The program's own functions, in the order they are asked: synchronise, backup, restore,
    // then what is not there.
    std::unique_ptr<IFunctions> m_unavailable;
    std::unique_ptr<RestoreFunctions> m_restoreFunctions;
    std::unique_ptr<IFunctions> m_backupFunctions;
    std::unique_ptr<IFunctions> m_ownFunctions;
    IFunctions& m_functions;
    MainState m_state;
    WizardNavigator m_nav;
    MainMenus m_menus;
    bool m_unloaded = false;
    bool m_loadFailed = false;
};

} // namespace kv
