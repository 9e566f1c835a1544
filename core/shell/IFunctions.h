#pragma once

namespace kv {

struct MainState;

// The entries of the synchronise grid's folder-row context menu.
enum class SynchFolderMenu
{
    SelectAllInFolder, // "&Select All in folder"
    ClearAllInFolder,  // "&Clear All in folder"
    SelectAllInList,   // "Select &All in List"
};

// The work the main window hands over to the backup, restore and synchronise functions. The
// start-up and the wizard's buttons call these; each function's own code implements them.
class IFunctions
{
public:
    virtual ~IFunctions() = default;

    // Quick backup: the store's inventory (mail, news unless excluded, the other items); false
    // when it failed, so the window opens normally.
    virtual bool buildQuickInventory(MainState& state) = 0;
    // Quick backup: the address book, favourites and settings; false when the settings could
    // not be exported (the program then ends).
    virtual bool gatherQuickItems(MainState& state) = 0;
    // Runs the backup of the current selection (quick backup or the wizard's run button).
    virtual void runBackup(MainState& state) = 0;

    // The function buttons: each sets up its first step.
    virtual void startBackup(MainState& state) = 0;
    virtual void startRestore(MainState& state) = 0;
    virtual void startSynchronise(MainState& state) = 0;

    // The backup wizard shows what belongs to the step it moved to.
    virtual void backupStepChanged(MainState& state, int step) = 0;
    // The run button of the restore and synchronise paths.
    virtual void runRestore(MainState& state) = 0;
    // True when any settings group of the item grid is ticked for restore.
    virtual bool settingsGroupsTicked(const MainState& state) = 0;

    // The controls of the backup pages. rows are item-grid rows.
    virtual void itemPictureClicked(MainState& state, int row) { (void)state, (void)row; }
    // A double click: the restore redirects a folder.
    virtual void itemDoubleClicked(MainState& state, int row) { (void)state, (void)row; }
    virtual void itemDetailsRequested(MainState& state, int row) { (void)state, (void)row; }
    virtual void selectAllClicked(MainState& state) { (void)state; }
    virtual void clearAllClicked(MainState& state) { (void)state; }
    virtual void browseSaveLocationClicked(MainState& state) { (void)state; }
    virtual void clearDisksClicked(MainState& state, bool checked) { (void)state, (void)checked; }
    // The run button of the backup's last step: Make Backup, or Cancel while a run is busy.
    virtual void backupRunClicked(MainState& state) { (void)state; }

    // The synchronise grid page (rows are synchronise-grid rows) and the restore-messages page.
    // A click in the first column of a message row toggles its tick.
    virtual void synchTickClicked(MainState& state, int row) { (void)state, (void)row; }
    // The folder-row context menu; row is the folder row it was opened on.
    virtual void synchMenuChosen(MainState& state, int row, SynchFolderMenu entry)
    {
        (void)state, (void)row, (void)entry;
    }
    virtual void synchSelectAllClicked(MainState& state) { (void)state; }
    virtual void synchClearAllClicked(MainState& state) { (void)state; }
    virtual void synchNextClicked(MainState& state) { (void)state; }
    virtual void synchBackClicked(MainState& state) { (void)state; }
    virtual void restoreMessagesClicked(MainState& state) { (void)state; }
    virtual void saveMboxClicked(MainState& state) { (void)state; }
};

} // namespace kv
