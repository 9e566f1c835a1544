#pragma once

#include "msgstore/MessageExport.h"
#include "shell/FunctionServices.h"
#include "shell/IFunctions.h"

#include <QList>
#include <QString>

#include <memory>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class IMainView;
class RestoreFunctions;
class ScratchFolder;
class TaskRunner;
class TreeListModel;
class Ui;
struct DragFolder;
struct RestoreOutcome;
namespace msgstore {
struct SyncFolderResult;
}

// The synchronise function after its folder page: "Synch Now" extracts the chosen folders from
// the backup and compares them with the store's, the grid page lists the backup's messages that
// are missing or changed, and the restore-messages page writes the ticked ones as .eml files (or
// one mbox file) and hands them to the user. First in the chain: everything that is not its own
// goes to `others`; the start and the folder page are the restore's (`restore`).
class SynchroniseFunctions : public IFunctions
{
public:
    using Services = FunctionServices;

    SynchroniseFunctions(Services services, IFunctions& others, RestoreFunctions& restore);
    ~SynchroniseFunctions() override;

    bool buildQuickInventory(MainState& state) override
    {
        return m_others.buildQuickInventory(state);
    }
    bool gatherQuickItems(MainState& state) override { return m_others.gatherQuickItems(state); }
    void runBackup(MainState& state) override { m_others.runBackup(state); }
    void startBackup(MainState& state) override { m_others.startBackup(state); }
    void startRestore(MainState& state) override { m_others.startRestore(state); }
    void backupStepChanged(MainState& state, int step) override
    {
        m_others.backupStepChanged(state, step);
    }
    bool settingsGroupsTicked(const MainState& state) override
    {
        return m_others.settingsGroupsTicked(state);
    }
    void itemPictureClicked(MainState& state, int row) override
    {
        m_others.itemPictureClicked(state, row);
    }
    void itemDoubleClicked(MainState& state, int row) override
    {
        m_others.itemDoubleClicked(state, row);
    }
    void itemDetailsRequested(MainState& state, int row) override
    {
        m_others.itemDetailsRequested(state, row);
    }
    void selectAllClicked(MainState& state) override { m_others.selectAllClicked(state); }
    void clearAllClicked(MainState& state) override { m_others.clearAllClicked(state); }
    void browseSaveLocationClicked(MainState& state) override
    {
        m_others.browseSaveLocationClicked(state);
    }
    void clearDisksClicked(MainState& state, bool checked) override
    {
        m_others.clearDisksClicked(state, checked);
    }

    void startSynchronise(MainState& state) override;
    // "Synch Now": Next on the folder page, or the run button after Back from the grid page.
    void runRestore(MainState& state) override;
    void backupRunClicked(MainState& state) override;

    void synchTickClicked(MainState& state, int row) override;
    void synchMenuChosen(MainState& state, int row, SynchFolderMenu entry) override;
    void synchSelectAllClicked(MainState& state) override;
    void synchClearAllClicked(MainState& state) override;
    void synchNextClicked(MainState& state) override;
    void synchBackClicked(MainState& state) override;
    void restoreMessagesClicked(MainState& state) override;
    void saveMboxClicked(MainState& state) override;

    // The ticked message rows.
    int tickedCount() const { return m_ticked; }
    // The restore-messages target ("" before its page opened).
    const QString& targetFolder() const { return m_target; }

    // "Select the messages to be restored" and the count label's text for n ticked rows.
    static QString countText(int ticked);

private:
    enum class Page
    {
        None,
        Grid,
        Messages
    };
    struct Compared;

    bool isOurs(const MainState& state) const;
    void compareEnded(MainState& state, const RestoreOutcome& outcome, const Compared& compared);
    void fillGrid(MainState& state, const QList<msgstore::SyncFolderResult>& results);
    void showGridPage();
    void showFolderPage(MainState& state);
    void setRunControls(bool running);
    // Ticks (or clears) one message row; false when it already was.
    bool setTick(int row, bool ticked);
    void tickAll(bool ticked);
    void countChanged();

    // The ticked messages in grid order: what the restore-messages page writes.
    QList<msgstore::MessageExport::Request> tickedMessages() const;
    bool messagesPageReady(const MainState& state) const;
    void setMessagesControls(bool running);
    void messagesWritten(MainState& state, const QList<DragFolder>& dragList, int written,
                         int failed);
    void tellAboutDragging(const MainState& state);

    Services m_s;
    IFunctions& m_others;
    RestoreFunctions& m_restore;
    Page m_page = Page::None;
    int m_ticked = 0;
    bool m_oe5 = true;
    QString m_priorFolder; // Windows path with "\", where the backup's copies were extracted
    QString m_documents;   // the documents folder the target was found in
    QString m_target;      // "<documents>\Korvane-Synchronize\"
    std::unique_ptr<ScratchFolder> m_prior;
};

} // namespace kv
