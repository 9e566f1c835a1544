#pragma once

#include <QString>
#include <QStringList>

#include <optional>

#include <functional>

namespace kv {

class RunProgress;
class TreeListModel;

// Message-box buttons, icons and answers, numbered as the Windows message box numbers them.
enum class MsgButtons
{
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class MsgIcon
{
    None = 0,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64
};
enum class MsgResult
{
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7
};

// The answer of a box closed without a button, or shown where nobody can answer: the button
// that backs out.
inline MsgResult backOutResult(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return MsgResult::Ok;
    case MsgButtons::YesNo:
        return MsgResult::No;
    case MsgButtons::AbortRetryIgnore:
        return MsgResult::Abort;
    default:
        return MsgResult::Cancel;
    }
}

// How the messages should be restored when version-4 mode was requested and its store is
// missing.
enum class Oe4ImportChoice
{
    Cancel,
    TemporaryStore, // restore the folders to a temporary message store
    SingleFiles     // restore the messages as single files
};

// The quick-backup confirmation.
enum class QuickBackupAnswer
{
    Cancel,
    Proceed,
    ProceedAndStopAsking // only offered when the "do not ask again" box is shown
};

// The backup-file dialog of a restore: the type of restore and the archive to read.
struct BackupFileRequest
{
    QString defaultPath;    // the last backup, shown in the dialog's box
    bool oe4Import = false; // version-4 import: full restore only, the type options hidden
    // Synchronise: no type to choose; the note reads that the backup's folders will be
    // available to "Synchronize", and OK needs only the file.
    bool synchronise = false;
};
struct BackupFileAnswer
{
    QString path;         // as typed or browsed; "" when the dialog was cancelled
    int restoreType = -1; // 0 "A" selected folders, 2 "B" full restore, 3 synchronise
};

// One row of the drag window that hands restored messages to a version-5 mail client: a mail
// folder and the .eml files written for it, offered together when the row is dragged.
struct DragFolder
{
    QString displayText; // the folder's name as the synchronise grid shows it
    QString fileName;    // its message file ("Inbox.dbx")
    QStringList paths;   // Windows paths of the .eml files, in the order they were written
};

// Where a restored address book goes.
enum class WabRestoreTarget
{
    NormalLocation = 0, // over the registered address book (the default)
    TemporaryFolder = 1 // "RestoredAddressBook.wab" in My Documents, for an import
};

// The general message dialog: a text beside a picture, with a "&Do not show this again" box.
struct GenMessage
{
    int picture = 95; // icon resource shown beside the text
    QString title;    // window caption
    QString text;     // may hold line breaks
    // Above 0: "&OK" and "&Help", and this is the Help button's topic; 0: "&Yes" and "&No";
    // below 0: "&OK" alone.
    int helpStyle = 0;
};
struct GenMessageAnswer
{
    bool result = false;    // Yes/No style: true for Yes; false otherwise and when closed
    bool doNotShow = false; // the box was ticked when the dialog closed
};

// The options dialog: a number, or the "off" choice. What it shows comes from Options.h.
struct OptionsRequest
{
    QString caption;
    QString onCaption;  // the choice with the number
    QString offCaption; // the "off" choice
    QString unit;       // the label after the number
    bool on = true;     // which choice is selected when the dialog opens
    QString text;       // the number shown (empty with the "off" choice)
};
struct OptionsAnswer
{
    bool on = true;
    QString text; // as typed; Options.h turns it into the value saved
};

// Everything modal the program asks or tells the user. The GUI shows dialogs; the command line
// answers from its options; tests answer from a script and record what was shown. Later parts
// of the program add their questions here. A run that works on a worker thread asks from there
// (a file in use, the next diskette): implementations must accept calls from any thread.
class Ui
{
public:
    virtual ~Ui() = default;

    // A message box titled with the given title (the program title unless a Part says else).
    virtual MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                 const QString& title) = 0;

    // The identity chooser: names in list order, the current 1-based index preselected. Returns
    // the chosen 1-based index, or the negated current index when cancelled (only possible when
    // offerCancel is true).
    virtual int chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                               const QString& caption) = 0;

    // The general message dialog. Its Help button (help style above 0) shows the topic and
    // leaves the dialog open.
    virtual GenMessageAnswer genMessage(const GenMessage& message) = 0;

    // The reminder or purge dialog; nullopt when cancelled. The answer is saved by the caller.
    virtual std::optional<OptionsAnswer> getOptions(const OptionsRequest& request) = 0;

    // The about box: the program's name and the version text of the opening page.
    virtual void showAbout(const QString& programName, const QString& version) = 0;

    // The help file at a topic, at its contents, and closing its window (at exit).
    virtual void showHelpTopic(const QString& helpFile, int topic) = 0;
    virtual void showHelpContents(const QString& helpFile) = 0;
    virtual void closeHelp() = 0;

    // The system's warning sound.
    virtual void beep() = 0;

    // Asked when version-4 mode was requested and its store is missing.
    virtual Oe4ImportChoice chooseOe4Import() = 0;

    // The quick-backup confirmation; showCheckBox offers "do not ask again".
    virtual QuickBackupAnswer confirmQuickBackup(bool showCheckBox) = 0;

    // The folder browser with its title, starting at a folder; "" when nothing was chosen.
    virtual QString chooseFolder(const QString& title, const QString& startFolder) = 0;

    // The backup-file dialog (restore and synchronise). The caller checks that the file exists.
    virtual BackupFileAnswer chooseBackupFile(const BackupFileRequest& request) = 0;

    // The folder chooser of a redirected restore, over the current-folder list: the row chosen
    // (OK or a double click), -1 for none or Cancel. The caller checks the row.
    virtual int chooseRestoreFolder(TreeListModel& currentFolders) = 0;

    // The address-book dialog; its "Additional Help" shows the help file's topic 1050.
    virtual WabRestoreTarget chooseWabRestore(const QString& helpFile) = 0;

    // The quick backup's progress window, shown beside the (hidden) main window while the run
    // lasts; its Cancel button calls cancel. Null where there is no such window.
    virtual RunProgress* openQuickBackupWindow(std::function<void()> cancel) = 0;
    virtual void closeQuickBackupWindow() = 0;

    // The always-on-top drag window of restored messages, one row per folder; returns when the
    // user has closed it.
    virtual void showDragWindow(const QList<DragFolder>& folders) = 0;

    // The Save As dialog: a Windows path, or "" when cancelled. filter is "description|pattern|".
    virtual QString chooseSaveFile(const QString& title, const QString& startPath,
                                   const QString& filter) = 0;
};

} // namespace kv
