#include "backup/BackupFunctions.h"

#include "backup/BackupRun.h"
#include "backup/Inventory.h"
#include "backup/RunScreen.h"
#include "backup/SaveLocation.h"
#include "backup/WizardLog.h"
#include "oeenv/RunningClient.h"
#include "shell/AppSettings.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/SystemUtils.h"

#include "platform/Platform.h"

namespace kv {

namespace {

constexpr int kMessagePicture = 95;
constexpr int kAddressBookHelpTopic = 1050;
constexpr int kLastStep = 3;
constexpr int kStepPanels = 5;

} // namespace

BackupFunctions::BackupFunctions(Services services, IFunctions& others)
    : m_s(std::move(services)), m_others(others)
{
}

BackupFunctions::~BackupFunctions() = default;

bool BackupFunctions::clientRunning(const MainState& state)
{
    if (!RunningClient::isClientRunning(m_s.platform.processes))
        return false;
    qCWarning(lcWizard) << "no backup: the mail client or the address book is running";
    m_s.ui.messageBox(Strings::get(StringId::MustExitClient) + Strings::kLineBreak +
                          Strings::get(StringId::PriorToBackupOrRestore),
                      MsgButtons::Ok, MsgIcon::Critical, state.programTitle);
    return true;
}

void BackupFunctions::startBackup(MainState& state)
{
    if (clientRunning(state))
        return;
    askAboutVirusScan(state);
    showBackupPage(state);
    makeInventory(state);
}

void BackupFunctions::askAboutVirusScan(const MainState& state)
{
    if (!isYes(m_s.settings.get(Setting::WarnVirus, state.settingsSection())))
        return;
    GenMessage message;
    message.picture = kMessagePicture;
    message.title = state.programTitle;
    message.text = Strings::kLineBreak + Strings::get(StringId::RunAntiVirus) +
                   Strings::kLineBreak + Strings::get(StringId::PriorToBackup);
    message.helpStyle = -1;
    const GenMessageAnswer answer = m_s.ui.genMessage(message);
    m_s.settings.save(Setting::WarnVirus, state.settingsSection(), yesNo(!answer.doNotShow));
}

void BackupFunctions::showBackupPage(MainState& state)
{
    IMainView& view = m_s.view;
    for (MenuEntry entry : {MenuEntry::Backup, MenuEntry::Restore, MenuEntry::Synchronise})
        view.setMenuEnabled(entry, false);
    for (MainButton button : {MainButton::Backup, MainButton::Restore, MainButton::Synch})
        view.setButtonEnabled(button, false);
    state.function = MainFunction::Backup;
    state.step = 0;
    view.setBusyCursor(true);
    const std::pair<MainText, StringId> texts[] = {
        {MainText::StepCaption, StringId::DataAvailableToBackup},
        {MainText::Instruction, StringId::SelectItemsToCopy},
        {MainText::ItemCountLabel, StringId::ItemsToSave},
        {MainText::TotalSizeLabel, StringId::TotalDataToSave},
        {MainText::EstimateLabel, StringId::EstimatedBackupSize},
        {MainText::SelectAll, StringId::SelectAll},
        {MainText::ClearAll, StringId::ClearAll}};
    for (const auto& [item, id] : texts)
        view.setText(item, Strings::get(id));
    view.showPage(MainPage::Wizard);
    for (int step = 0; step < kStepPanels; ++step)
        view.setStepVisible(step, step == 0);
    view.setButtonEnabled(MainButton::Back, false);
    view.setButtonEnabled(MainButton::Next, false);
    view.refresh();
}

void BackupFunctions::makeInventory(MainState& state)
{
    IMainView& view = m_s.view;
    m_inventory =
        std::make_unique<Inventory>(m_s.platform, m_s.ui, m_s.settings, state, view.itemGrid());
    m_inventory->setLoadingText([&view](const QString& text) {
        view.setText(MainText::Loading, text);
        view.setItemVisible(MainItem::LoadingText, !text.isEmpty());
        view.refresh();
    });
    const bool built = m_inventory->build();
    view.setBusyCursor(false);
    if (!built) {
        qCWarning(lcWizard) << "the inventory failed; the program ends";
        view.closeWindow();
        return;
    }
    showTotals(state);
    checkAddressBook(state, m_inventory->totals().wabRow);
}

void BackupFunctions::showTotals(MainState& state)
{
    ItemSelection selection(m_s.view.itemGrid(), m_inventory->totals());
    m_s.view.setText(MainText::ItemCount, selection.countText());
    m_s.view.setText(MainText::TotalSize, selection.totalSizeText());
    m_s.view.setText(MainText::BackupSize, selection.estimateText());
    state.selectedCount = m_inventory->totals().selectedCount;
    m_s.view.setButtonEnabled(MainButton::Next, state.selectedCount > 0 && state.step < kLastStep);
}

void BackupFunctions::checkAddressBook(MainState& state, int row)
{
    InventoryTotals& totals = m_inventory->totals();
    if (row < 1 || row != totals.wabRow)
        return;
    ItemSelection selection(m_s.view.itemGrid(), totals);
    m_s.view.setItemVisible(MainItem::WabWarning, selection.wabWarningVisible());
    if (!selection.wabCautionDue(row) || !isYes(m_s.settings.get(Setting::WarnAboutWAB, {})))
        return;
    GenMessage message;
    message.picture = kMessagePicture;
    message.title = state.programTitle;
    message.text = Strings::get(StringId::WabNotInUse) + Strings::kLineBreak + Strings::kLineBreak +
                   Strings::get(StringId::WabChooseHelp);
    message.helpStyle = kAddressBookHelpTopic;
    const GenMessageAnswer answer = m_s.ui.genMessage(message);
    m_s.settings.save(Setting::WarnAboutWAB, {}, yesNo(!answer.doNotShow));
}

void BackupFunctions::itemPictureClicked(MainState& state, int row)
{
    if (state.function != MainFunction::Backup)
        return m_others.itemPictureClicked(state, row);
    if (!m_inventory || state.busy)
        return;
    ItemSelection selection(m_s.view.itemGrid(), m_inventory->totals());
    if (!selection.toggle(row))
        return;
    showTotals(state);
    checkAddressBook(state, row);
}

void BackupFunctions::selectAllClicked(MainState& state)
{
    if (state.function != MainFunction::Backup)
        return m_others.selectAllClicked(state);
    if (!m_inventory || state.busy)
        return;
    ItemSelection selection(m_s.view.itemGrid(), m_inventory->totals());
    const QList<int> changed = selection.selectAll();
    for (int row : changed)
        checkAddressBook(state, row);
    selection.recount();
    showTotals(state);
}

void BackupFunctions::clearAllClicked(MainState& state)
{
    if (state.function != MainFunction::Backup)
        return m_others.clearAllClicked(state);
    if (!m_inventory || state.busy)
        return;
    ItemSelection selection(m_s.view.itemGrid(), m_inventory->totals());
    const QList<int> changed = selection.clearAll();
    for (int row : changed)
        checkAddressBook(state, row);
    selection.recount();
    showTotals(state);
}

void BackupFunctions::itemDetailsRequested(MainState& state, int row)
{
    if (state.function != MainFunction::Backup)
        return m_others.itemDetailsRequested(state, row);
    const QString text = ItemSelection::detailsText(m_s.view.itemGrid(), row,
                                                    state.function == MainFunction::Backup);
    if (!text.isEmpty())
        m_s.ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, state.programTitle);
}

void BackupFunctions::backupStepChanged(MainState& state, int step)
{
    switch (step) {
    case 1:
        showLocation(state);
        break;
    case 2:
        showBackupName(state);
        break;
    case 3:
        m_s.view.setText(MainText::RunLabel, Strings::get(StringId::SelectMakeBackup));
        m_s.view.setText(MainText::RunButton, Strings::get(StringId::MakeBackupRun));
        break;
    default:
        break;
    }
}

void BackupFunctions::showLocation(MainState& state)
{
    m_s.view.setText(MainText::SaveLocation, state.saveFolder);
    estimateSpace(state);
}

void BackupFunctions::estimateSpace(MainState& state)
{
    IMainView& view = m_s.view;
    const qint64 estimated =
        m_inventory ? ItemSelection(view.itemGrid(), m_inventory->totals()).estimatedBytes() : 0;
    const SaveLocation::SpaceEstimate e =
        SaveLocation::estimate(m_s.platform.files, state.saveFolder, state.clearDisks, estimated);
    view.setItemVisible(MainItem::ClearDisks, e.clearDisksVisible);
    view.setClearDisksHighlighted(e.clearDisksRed);
    view.setItemVisible(MainItem::DisketteCount, e.disketteCountVisible);
    if (e.disketteCountVisible)
        view.setText(MainText::DisketteCount, e.disketteCount);
    if (e.spaceWarning) {
        view.setText(MainText::SpaceWarning,
                     QStringLiteral("Warning! - location shown may have insufficient space to "
                                    "save the backup file."));
        view.setText(MainText::SpaceRequirement, e.requirement);
    }
    view.setItemVisible(MainItem::SpaceWarning, e.spaceWarning);
    view.setItemVisible(MainItem::SpaceRequirement, e.spaceWarning);
}

void BackupFunctions::showBackupName(MainState& state)
{
    state.backupFile = SaveLocation::backupFilePath(
        state.saveFolder, state.env.backupBaseName, state.env.nameInfix,
        m_s.platform.system.now().date(), state.timeSuffix);
    m_s.view.setText(MainText::BackupName, state.backupFile);
    // Emptied diskettes hold no earlier archive to keep.
    if (SaveLocation::isDiskette(state.saveFolder) && state.clearDisks) {
        m_s.view.setItemVisible(MainItem::RenameFrame, false);
        m_s.view.setRenameChoice(false);
        return;
    }
    const bool exists = SystemUtils::fileExists(m_s.platform.files, state.backupFile);
    m_s.view.setItemVisible(MainItem::RenameFrame, exists);
    m_s.view.setRenameChoice(exists);
}

void BackupFunctions::browseSaveLocationClicked(MainState& state)
{
    const QString chosen =
        m_s.ui.chooseFolder(Strings::get(StringId::SelectSaveLocation), state.saveFolder);
    if (chosen.isEmpty()) {
        if (state.saveFolder.isEmpty())
            state.saveFolder = QStringLiteral("a:\\");
    } else if (chosen.size() > 1 && chosen.at(1) == QLatin1Char(':')) {
        const QString drive = SaveLocation::driveOf(chosen);
        if (!SaveLocation::isDiskette(chosen) &&
            m_s.platform.files.driveType(drive) == platform::DriveType::RamDisk) {
            // The location shown stays the one Next checks and the run uses.
            qCInfo(lcWizard) << "RAM disk refused as backup location:" << chosen;
            m_s.ui.messageBox(drive + Strings::get(StringId::NotValidBackupDrive), MsgButtons::Ok,
                              MsgIcon::Information, state.programTitle);
            return;
        }
        state.saveFolder = chosen;
    } else {
        state.saveFolder = chosen;
    }
    showLocation(state);
}

void BackupFunctions::clearDisksClicked(MainState& state, bool checked)
{
    state.clearDisks = checked;
    m_s.settings.save(Setting::ClearDisks, state.settingsSection(), yesNo(checked));
    if (state.step == 1)
        estimateSpace(state);
}

void BackupFunctions::backupRunClicked(MainState& state)
{
    // The same button is the restore's "Restore Now".
    if (state.function == MainFunction::Restore || state.function == MainFunction::Synchronise)
        return m_others.runRestore(state);
    // Cancel must work even when the client was started meanwhile.
    if (state.busy) {
        if (m_run) {
            qCInfo(lcWizard) << "the user cancels the backup";
            m_run->requestCancel();
        }
        return;
    }
    if (state.function != MainFunction::Backup) {
        m_others.runRestore(state);
        return;
    }
    state.renameExisting = m_s.view.renameChoice();
    runBackup(state);
}

} // namespace kv
