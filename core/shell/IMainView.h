#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

namespace kv {

// The buttons of the main window the logic enables and disables.
enum class MainButton
{
    Backup,
    Restore,
    Synch,
    Back,
    Next,
    DoIt
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
    StepLabel1, // label 1 of the run step
    DoIt,       // the run button
    ClearDisks, // the clear-diskettes check box
};

// The main window's menus; entries are addressed by their index, separators included.
enum class MainMenu
{
    File,
    Options,
    Logs,
    Help
};

namespace MenuIndex {
inline constexpr int FileBackup = 0, FileRestore = 1, FileSynch = 2, FileExit = 4;
inline constexpr int OptReminder = 0, OptDefaultIdent = 2, OptLastIdent = 3, OptPromptIdent = 4,
                     OptSwitchIdent = 6, OptPurge = 8, OptUseSysTemp = 10, OptExcludeNews = 12;
inline constexpr int LogsBackup = 0, LogsRestore = 1, LogsAutoShow = 3;
inline constexpr int HelpContents = 0, HelpBackup = 1, HelpRestore = 2, HelpSynch = 3,
                     HelpCopying = 4, HelpTidings = 6, HelpContact = 10, HelpAbout = 11;
} // namespace MenuIndex

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

    // Shows one page (0 opening, 1 wizard, 2 synchronise result, 3 restore messages); every
    // other page is hidden.
    virtual void showPage(int page) = 0;
    virtual void setStepVisible(int step, bool visible) = 0;
    virtual void setButtonEnabled(MainButton button, bool enabled) = 0;

    virtual void setMenuCaption(MainMenu menu, int index, const QString& caption) = 0;
    virtual void setMenuEnabled(MainMenu menu, int index, bool enabled) = 0;
    virtual void setMenuVisible(MainMenu menu, int index, bool visible) = 0;
    virtual void setMenuChecked(MainMenu menu, int index, bool checked) = 0;
    virtual void setClearDisksChecked(bool checked) = 0;

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
