#include "restore/RestoreFunctions.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "oeenv/RunningClient.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreSelection.h"
#include "restore/RestoreStart.h"
#include "shell/AppSettings.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/SystemUtils.h"
#include "util/TaskRunner.h"

#include "platform/Platform.h"

namespace kv {

namespace {

constexpr int kRestoreHelpContext = 1002;
constexpr int kRetainMessagesHelpTopic = 1007;
constexpr int kMessagePicture = 95;
constexpr int kSelectedFolders = 0;
constexpr int kFullRestore = 2;
constexpr int kSynchronise = 3;
constexpr int kRestorePageStep = 4;
constexpr int kStepPanels = 5;

} // namespace

RestoreFunctions::RestoreFunctions(Services services, IFunctions& others)
    : m_s(std::move(services)), m_others(others), m_current(std::make_unique<TreeListModel>())
{
}

RestoreFunctions::~RestoreFunctions() = default;

void RestoreFunctions::startRestore(MainState& state)
{
    m_s.view.setHelpContext(kRestoreHelpContext);
    start(state);
}

void RestoreFunctions::startSynchronise(MainState& state)
{
    start(state);
}

void RestoreFunctions::start(MainState& state)
{
    IMainView& view = m_s.view;
    const bool synchronise = state.function == MainFunction::Synchronise;
    if (RunningClient::isClientRunning(m_s.platform.processes)) {
        qCWarning(lcRestore) << "no restore: the mail client or the address book is running";
        m_s.ui.messageBox(Strings::get(StringId::MustExitClient) + Strings::kLineBreak +
                              Strings::get(StringId::PriorToBackupOrRestore),
                          MsgButtons::Ok, MsgIcon::Critical, state.programTitle);
        state.function = MainFunction::None;
        return;
    }
    setFunctionControls(state, false);
    state.selectedCount = 0;
    m_selection.reset();

    RestoreStart start(m_s.platform, m_s.ui);
    const QString section = state.settingsSection();
    BackupFileRequest request;
    request.defaultPath = RestoreStart::defaultBackupPath(
        state.lastSaveFolder, m_s.settings.get(Setting::LastSaveName, section));
    request.oe4Import = state.oe4ImportMode;
    request.synchronise = synchronise;
    const BackupFileAnswer answer = start.askBackupFile(request, state.programTitle);
    if (answer.path.isEmpty()) {
        abandonStart(state);
        return;
    }
    state.backupFile = answer.path;
    state.restoreType = synchronise           ? kSynchronise
                        : state.oe4ImportMode ? kFullRestore
                                              : answer.restoreType;
    qCInfo(lcRestore).noquote() << (synchronise ? "synchronise from" : "restore from")
                                << answer.path << "type" << state.restoreType;

    view.setBusyCursor(true);
    if (state.restoreType == kSelectedFolders)
        cautionOverwrite(state);
    showRestorePage(state);

    m_context = restoreContextFor(m_s.platform, state);
    m_currentLoaded = start.loadCurrentFolders(m_context, m_s.settings, *m_current);

    TreeListModel& grid = view.itemGrid();
    const RestoreStart::ListLoad load =
        start.loadItemList(m_context, itemListOptionsFor(m_context), grid);
    if (load.status != RestoreStart::ListStatus::Loaded) {
        qCWarning(lcRestore) << "the restore cannot read its item list; the program ends";
        view.setBusyCursor(false);
        view.closeWindow();
        return;
    }
    view.setCaption(ItemListReader::windowCaption(load.list, synchronise));
    m_context.backupIdentityId = load.list.identityId;
    m_context.archiveWabName = load.list.addressBookFile;
    view.setItemVisible(MainItem::RestoreHint, load.list.rowsAdded > 0);

    const bool selectable =
        state.restoreType == kSelectedFolders || state.restoreType == kSynchronise;
    view.setText(MainText::SelectAll, Strings::get(StringId::SelectAll));
    view.setText(MainText::ClearAll, Strings::get(StringId::ClearAll));
    view.setButtonEnabled(MainButton::SelectAll, selectable);
    view.setButtonEnabled(MainButton::ClearAll, selectable);
    view.setItemVisible(MainItem::SelectAll, selectable);

    m_selection = std::make_unique<RestoreSelection>(m_context, m_s.platform.files, m_s.ui, grid,
                                                     *m_current, m_currentLoaded);
    if (state.restoreType == kFullRestore)
        m_selection->markAllFolders();
    if (synchronise)
        markMissingFolders();
    setRestorePageTexts(state);
    marksChanged(state);
    grid.refresh();
    view.setItemVisible(MainItem::LoadingText, false);
    view.setBusyCursor(false);
}

void RestoreFunctions::markMissingFolders()
{
    TreeListModel& grid = m_s.view.itemGrid();
    for (int row = 1; row < grid.totalRowCount(); ++row)
        if (itemKind(grid, row) == int(ItemKind::MailFolder) &&
            !SystemUtils::fileExists(m_s.platform.files,
                                     m_context.storeFolder + grid.cell(row, cell::MbxName)))
            grid.setForeColor(row, color::rgb(255, 0, 0));
}

void RestoreFunctions::setFunctionControls(const MainState& state, bool enabled)
{
    IMainView& view = m_s.view;
    const bool backup = enabled && !state.oe4ImportMode;
    view.setButtonEnabled(MainButton::Restore, enabled);
    view.setButtonEnabled(MainButton::Backup, backup);
    view.setButtonEnabled(MainButton::Synch, backup);
    view.setMenuEnabled(MenuEntry::Restore, enabled);
    view.setMenuEnabled(MenuEntry::Backup, backup);
    view.setMenuEnabled(MenuEntry::Synchronise, backup);
}

void RestoreFunctions::abandonStart(MainState& state)
{
    qCInfo(lcRestore) << "no backup file chosen: the restore does not start";
    state.function = MainFunction::None;
    if (state.oe4ImportMode) {
        m_s.ui.messageBox(Strings::get(StringId::StartInOe5Mode) + Strings::kLineBreak +
                              Strings::get(StringId::RemoveOe4Switch),
                          MsgButtons::Ok, MsgIcon::Information, state.programTitle);
        m_s.view.closeWindow();
        return;
    }
    setFunctionControls(state, true);
}

void RestoreFunctions::cautionOverwrite(const MainState& state)
{
    const QString section = state.settingsSection();
    if (!isYes(m_s.settings.get(Setting::WarnOverWrite, section)))
        return;
    GenMessage message;
    message.picture = kMessagePicture;
    message.title = state.programTitle;
    message.text = QStringLiteral("CAUTION - You may replace existing mail messages with this "
                                  "option. Would you like additional Help on retaining existing "
                                  "messages?");
    message.helpStyle = 0;
    const GenMessageAnswer answer = m_s.ui.genMessage(message);
    if (answer.result)
        m_s.ui.showHelpTopic(state.helpFile, kRetainMessagesHelpTopic);
    m_s.settings.save(Setting::WarnOverWrite, section, yesNo(!answer.doNotShow));
}

void RestoreFunctions::showRestorePage(MainState& state)
{
    IMainView& view = m_s.view;
    view.setText(MainText::StepCaption, QStringLiteral("Items available in backup file"));
    view.showPage(MainPage::Wizard);
    for (int step = 0; step < kStepPanels; ++step)
        view.setStepVisible(step, false);
    state.step = kRestorePageStep;
    view.setStepVisible(kRestorePageStep, true);
    // Back from here sets the restore up again (another file, another type).
    view.setButtonEnabled(MainButton::Back, true);
    view.setButtonEnabled(MainButton::Next, true);
    view.refresh();
}

void RestoreFunctions::setRestorePageTexts(const MainState& state)
{
    IMainView& view = m_s.view;
    if (state.restoreType == kSynchronise) {
        view.setText(MainText::Instruction,
                     QStringLiteral("Click on the check box to select the mail folder(s) which "
                                    "you wish to synchronize."));
        view.setText(MainText::RestoreNote,
                     QStringLiteral("Folders with matching names will be used for the synchronize "
                                    "operation"));
        view.setText(MainText::RestoreHint,
                     QStringLiteral("Folders shown in RED are in the backup but are NOT in the "
                                    "current mail store"));
        return;
    }
    view.setText(MainText::Instruction,
                 QStringLiteral("Click on the check box to select the mail folder(s) which you "
                                "wish to restore"));
    if (state.restoreType == kFullRestore) {
        view.setText(MainText::RestoreNote,
                     QStringLiteral("For a \"Full Restore\", all Mail Folders in the backup will "
                                    "be restored."));
        view.setText(MainText::RestoreHint,
                     QStringLiteral("You may also select the Address Book if you wish"));
    } else {
        view.setText(MainText::RestoreNote,
                     QStringLiteral("The restore will replace existing data in the current "
                                    "folder of the same name."));
        view.setText(MainText::RestoreHint,
                     QStringLiteral("To restore to an alternate folder, double click on the "
                                    "folder name."));
    }
}

void RestoreFunctions::marksChanged(MainState& state)
{
    state.selectedCount = m_selection ? m_selection->markedCount() : 0;
    m_s.view.setButtonEnabled(MainButton::Next,
                              state.selectedCount > 0 && state.step == kRestorePageStep);
}

bool RestoreFunctions::pageReady(const MainState& state) const
{
    return (state.function == MainFunction::Restore ||
            state.function == MainFunction::Synchronise) &&
           m_selection && !state.busy;
}

bool RestoreFunctions::settingsGroupsTicked(const MainState& state)
{
    return state.function == MainFunction::Restore && m_selection &&
           m_selection->settingsGroupsMarked();
}

void RestoreFunctions::itemPictureClicked(MainState& state, int row)
{
    if (!pageReady(state))
        return;
    m_selection->markClicked(row);
    marksChanged(state);
}

void RestoreFunctions::itemDoubleClicked(MainState& state, int row)
{
    // Redirecting belongs to the restore: a synchronise compares folders of the same name.
    if (state.function != MainFunction::Restore || !pageReady(state))
        return;
    m_selection->redirectClicked(row);
    marksChanged(state);
}

void RestoreFunctions::itemDetailsRequested(MainState& state, int row)
{
    if (state.function != MainFunction::None && m_selection)
        m_selection->showDetails(row);
}

void RestoreFunctions::selectAllClicked(MainState& state)
{
    if (!pageReady(state))
        return;
    m_selection->selectAll();
    marksChanged(state);
}

void RestoreFunctions::clearAllClicked(MainState& state)
{
    if (!pageReady(state))
        return;
    m_selection->clearAll();
    marksChanged(state);
}

} // namespace kv
