#pragma once

#include "shell/MenuTable.h"

#include <QPoint>
#include <QSize>
#include <QString>

namespace kv {

class RunProgress;
class TreeListModel;

// The buttons of the main window the logic enables and disables.
enum class MainButton
{
    Backup,
    Restore,
    Synch,
    Back,
    Next,
    Run,
    SelectAll, // the two selection buttons of the item grid
    ClearAll,

    // The synchronise grid page.
    SynchSelectAll, // "Select &All"
    SynchClearAll,  // "&Clear All"
    SynchBack,      // "< &Previous Step" of the grid and restore-messages pages
    SynchNext,      // "&Next Step >" to the restore-messages page
    // The restore-messages page.
    RestoreMessages, // "&Restore Messages"
    SaveMbox,        // "Save as &mbox..." beside it
};

// The pages of the main window; one is shown at a time.
enum class MainPage
{
    Opening,
    Wizard,
    SynchResult,
    RestoreMessages
};

// Texts of the main window the logic sets.
enum class MainText
{
    Version,    // the version label of the opening page
    WabWarning, // the address-book warning label
    Loading,    // the loading text box
    BackupButton,
    RestoreButton,
    SynchButton,
    RunLabel, // what the run step's button does
    RunButton,
    ClearDisks, // the clear-diskettes check box

    // The backup pages.
    StepCaption,    // "Data Available to Backup"
    Instruction,    // the instruction label above the grid
    ItemCountLabel, // "Items to Save:"
    TotalSizeLabel, // "Total Data to Save:"
    EstimateLabel,  // "Estimated Backup Size:"
    ItemCount,      // "3 of 12 Items"
    TotalSize,      // "1,234 KBytes"
    BackupSize,     // the estimate
    SelectAll,      // the two selection buttons' captions
    ClearAll,
    SaveLocation,     // the location step's folder box
    SpaceWarning,     // "Warning! - location shown may have insufficient space ..."
    SpaceRequirement, // what is required (free space, or several disks)
    DisketteCount,    // "Estimated diskettes required = 2"
    BackupName,       // the name step's full archive path
    ProgressLabel,    // what the run is doing

    // The restore page.
    RestoreNote, // what the restore does to the current data (label 2)
    RestoreHint, // how to redirect, or what else may be chosen (label 7)

    // The synchronise grid page.
    SynchLabel,    // "Select the messages to be restored", above the grid
    SelectedCount, // "5 Messages Selected"
    // The restore-messages page.
    MessagesTarget,   // "The selected messages will be restored to:", a blank line, the folder
    MessagesCaution,  // the files in the target folder will be erased
    MessagesProgress, // the message being written
};

// Parts of the main window the logic shows and hides.
enum class MainItem
{
    WabWarning,
    LoadingText,
    Instruction,
    ProgressLabel,
    ProgressMeter,
    ClearDisks,
    SpaceWarning,
    SpaceRequirement,
    DisketteCount,
    RenameFrame, // "Replace the existing backup" / "Save the existing backup ..."
    RestoreHint, // the restore page's second note
    SelectAll,   // the Select All button (shown only while it is enabled on the restore page)

    // The synchronise grid page: its label, the two select buttons and the count label.
    SynchSelectControls,
    SynchBack,
    SynchNext,
    MessagesCaution, // the restore-messages page's caution
};

// What the main window's logic needs of the screen. The window implements it, holds no logic of
// its own, and forwards its events to the controller. Positions and sizes are in twips (1440 per
// logical inch), as the stored window position is.
class IMainView
{
public:
    virtual ~IMainView() = default;

    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;
    virtual void setText(MainText item, const QString& text) = 0;

    virtual void showPage(MainPage page) = 0;
    virtual void setStepVisible(int step, bool visible) = 0;
    virtual void setButtonEnabled(MainButton button, bool enabled) = 0;

    virtual void setMenuCaption(MenuEntry entry, const QString& caption) = 0;
    virtual void setMenuEnabled(MenuEntry entry, bool enabled) = 0;
    virtual void setMenuVisible(MenuEntry entry, bool visible) = 0;
    virtual void setMenuChecked(MenuEntry entry, bool checked) = 0;
    virtual void setClearDisksChecked(bool checked) = 0;

    // The backup pages.
    virtual void setItemVisible(MainItem item, bool visible) = 0;
    // The clear-diskettes box in red (the disks will be emptied) or in the caution's colour.
    virtual void setClearDisksHighlighted(bool red) = 0;
    // The rename frame's choice: true for "Save the existing backup and create a new one".
    virtual void setRenameChoice(bool rename) = 0;
    virtual bool renameChoice() const = 0;
    // While a run is under way the grid ignores clicks.
    virtual void setGridLocked(bool locked) = 0;
    // The hourglass over the window during the inventory.
    virtual void setBusyCursor(bool busy) = 0;
    // The item grid the backup and restore pages show (owned by the window).
    virtual TreeListModel& itemGrid() = 0;
    // The wizard page's progress label and meter. Safe to call from a worker thread.
    virtual RunProgress& runProgress() = 0;
    // The synchronise grid: folder rows and, below each, the messages found missing or changed
    // (owned by the window).
    virtual TreeListModel& synchGrid() = 0;
    // The restore-messages page's meter and its label (MainText::MessagesProgress is the same
    // label). Safe to call from a worker thread.
    virtual RunProgress& messagesProgress() = 0;

    virtual QSize screenSize() const = 0;
    virtual QSize windowSize() const = 0;
    virtual QPoint position() const = 0;
    virtual void moveTo(const QPoint& topLeft) = 0;

    // The help topic F1 opens while the window is active.
    virtual void setHelpContext(int topic) = 0;
    // Paints what changed now (the logic calls it before long work).
    virtual void refresh() = 0;
    virtual void hideWindow() = 0;
    // Closes the window without asking; the window then calls the controller's unload().
    virtual void closeWindow() = 0;
};

} // namespace kv
