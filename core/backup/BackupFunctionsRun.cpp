// The backup function's runs: the wizard's and the quick backup's.
#include "backup/BackupFunctions.h"

#include "backup/BackupRun.h"
#include "backup/Inventory.h"
#include "backup/RunScreen.h"
#include "backup/WizardLog.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/TaskRunner.h"

#include "platform/Platform.h"

namespace kv {

namespace {

// What a run must not change under its feet: the reminder and the identity entries.
constexpr MenuEntry kOptionsLockedByRun[] = {MenuEntry::Reminder, MenuEntry::DefaultIdentity,
                                             MenuEntry::LastIdentity, MenuEntry::PromptIdentity,
                                             MenuEntry::SwitchIdentity};

} // namespace

bool BackupFunctions::buildQuickInventory(MainState& state)
{
    m_inventory =
        std::make_unique<Inventory>(m_s.platform, m_s.ui, m_s.settings, state, m_s.view.itemGrid());
    return m_inventory->buildFolders();
}

bool BackupFunctions::gatherQuickItems(MainState&)
{
    if (!m_inventory) {
        qCWarning(lcWizard) << "the quick backup's items come before its folders";
        return false;
    }
    return m_inventory->addOtherItems();
}

void BackupFunctions::runBackup(MainState& state)
{
    // On Linux no store file is ever "in use": a client that runs would be writing the files
    // while they are copied, and the run would report success.
    if (clientRunning(state)) {
        state.quickBackup = false;
        return;
    }
    if (!m_inventory) {
        qCWarning(lcWizard) << "a backup run without an inventory is refused";
        return;
    }
    m_runIsQuick = state.quickBackup;
    // The quick backup has no name step: an archive of the same name is kept as the settings
    // say.
    if (m_runIsQuick)
        state.renameExisting = state.doRename;
    // The run shows a quick backup's progress in the quick window, which it opens itself.
    RunProgress* progress = &m_s.view.runProgress();
    m_screen.reset();
    if (!m_runIsQuick) {
        m_screen = std::make_unique<RunScreen>(m_s.view.runProgress(), [this, &state](RunPhase p) {
            if (p == RunPhase::Preparing || p == RunPhase::Zipping)
                setRunControls(state, true, p == RunPhase::Zipping);
            else if (p == RunPhase::Returned)
                setRunControls(state, false, false);
        });
        progress = m_screen.get();
    }
    m_run = std::make_unique<BackupRun>(m_s.platform, m_s.ui, m_s.settings, state,
                                        m_s.view.itemGrid(), m_inventory->totals(), *progress);
    state.busy = true;
    qCInfo(lcWizard) << (m_runIsQuick ? "quick backup" : "backup")
                     << "starts:" << (m_runIsQuick ? state.backupName : state.backupFile);
    m_run->start(m_s.runner, [this, &state] { runEnded(state); });
}

void BackupFunctions::setRunControls(const MainState& state, bool running, bool zipping)
{
    IMainView& view = m_s.view;
    view.setGridLocked(running);
    view.setButtonEnabled(MainButton::Back, !running);
    const bool identities = state.oe5Mode && state.env.identityCount() > 1;
    for (MenuEntry entry : kOptionsLockedByRun)
        view.setMenuEnabled(entry, !running && (entry == MenuEntry::Reminder || identities));
    view.setText(MainText::RunButton,
                 zipping ? QStringLiteral("Cancel") : Strings::get(StringId::MakeBackupRun));
}

void BackupFunctions::runEnded(MainState& state)
{
    state.busy = false;
    if (m_run->showLogNow() && m_s.openLog)
        m_s.openLog(state.backupLogPath);
    // A quick backup ends the program whatever became of it; the window was never shown.
    if (m_runIsQuick || m_run->end() == BackupEnd::Close) {
        qCInfo(lcWizard) << "the backup run is over; the program ends";
        m_s.view.closeWindow();
        return;
    }
    qCInfo(lcWizard) << "the backup run returned to the wizard";
    setRunControls(state, false, false);
}

} // namespace kv
