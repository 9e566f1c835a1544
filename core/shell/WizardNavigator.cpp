#include "shell/WizardNavigator.h"

#include "shell/AppSettings.h"
#include "shell/IFunctions.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"
#include "shell/ShellLog.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/SystemUtils.h"

namespace kv {

namespace {
constexpr int kRegistryUpdateHelpTopic = 2000;
constexpr int kMessagePicture = 95;
} // namespace

WizardNavigator::WizardNavigator(MainState& state, IMainView& view, Ui& ui, IFunctions& functions,
                                 AppSettings& settings, platform::IFileSystem& files)
    : m_state(state), m_view(view), m_ui(ui), m_functions(functions), m_settings(settings),
      m_files(files)
{
}

void WizardNavigator::showStep(int step)
{
    m_view.setStepVisible(m_state.step, false);
    m_state.step = step;
    m_view.setStepVisible(step, true);
}

void WizardNavigator::next()
{
    if (m_state.function == MainFunction::Backup)
        nextBackup();
    else if (m_state.restoreType == 3)
        nextSynchronise();
    else
        nextRestore();
}

void WizardNavigator::back()
{
    if (m_state.function == MainFunction::Backup)
        backBackup();
    else
        backRestore();
}

void WizardNavigator::nextBackup()
{
    if (m_state.step < kLastStep) {
        if (m_state.step == 1 && !SystemUtils::folderExists(m_files, m_state.saveFolder)) {
            qCInfo(lcShell) << "save folder missing:" << m_state.saveFolder;
            m_ui.messageBox(Strings::get(StringId::DriveNotReady), MsgButtons::Ok,
                            MsgIcon::Information, m_state.programTitle);
        } else {
            showStep(m_state.step + 1);
            m_view.setButtonEnabled(MainButton::Back, true);
            if (m_state.step == kLastStep)
                m_view.setButtonEnabled(MainButton::Next, false);
        }
    }
    m_view.refresh();
    m_functions.backupStepChanged(m_state, m_state.step);
}

void WizardNavigator::nextRestore()
{
    if (m_state.step != kRestoreFirstStep)
        return;
    m_view.setButtonEnabled(MainButton::Next, false);
    m_view.setText(MainText::RunLabel, Strings::get(StringId::SelectRestoreNow));
    m_view.setText(MainText::RunButton, Strings::get(StringId::RestoreNow));
    showStep(kLastStep);
    warnRegistryUpdate();
    m_view.refresh();
}

void WizardNavigator::warnRegistryUpdate()
{
    if (!m_functions.settingsGroupsTicked(m_state))
        return;
    const QString section = m_state.settingsSection();
    if (!isYes(m_settings.get(Setting::WarnRegUpdate, section)))
        return;
    GenMessage message;
    message.picture = kMessagePicture;
    message.title = m_state.programTitle;
    message.text = Strings::get(StringId::RegistryCaution) + QStringLiteral("  ") +
                   Strings::get(StringId::RegistryMoreInfo);
    message.helpStyle = 0;
    const GenMessageAnswer answer = m_ui.genMessage(message);
    if (answer.result)
        m_ui.showHelpTopic(m_state.helpFile, kRegistryUpdateHelpTopic);
    m_settings.save(Setting::WarnRegUpdate, section,
                    answer.doNotShow ? QStringLiteral("N") : QStringLiteral("Y"));
}

void WizardNavigator::nextSynchronise()
{
    if (m_state.step != kRestoreFirstStep)
        return;
    showStep(kLastStep);
    m_view.setText(MainText::RunLabel, Strings::get(StringId::SelectSynchNow));
    m_view.setText(MainText::RunButton, Strings::get(StringId::SynchNow));
    m_view.setButtonEnabled(MainButton::Next, false);
    m_view.refresh();
    m_functions.runRestore(m_state);
}

void WizardNavigator::backBackup()
{
    if (m_state.step > 0) {
        showStep(m_state.step - 1);
        m_view.setButtonEnabled(MainButton::Next, m_state.selectedCount >= 1);
        if (m_state.step == 0)
            m_view.setButtonEnabled(MainButton::Back, false);
    }
    m_functions.backupStepChanged(m_state, m_state.step);
}

void WizardNavigator::backRestore()
{
    if (m_state.step == kLastStep) {
        m_view.setButtonEnabled(MainButton::Next, true);
        showStep(kRestoreFirstStep);
    } else if (m_state.step == kRestoreFirstStep) {
        // Back from the first step sets the function up again instead of leaving it.
        if (m_state.restoreType == 3)
            m_functions.startSynchronise(m_state);
        else
            m_functions.startRestore(m_state);
    }
}

} // namespace kv
