#include "shell/MainMenus.h"

#include "oeenv/OeEnvironment.h"
#include "shell/AppSettings.h"
#include "shell/MainController.h"
#include "shell/Options.h"
#include "shell/SettingsTable.h"
#include "shell/ShellLog.h"
#include "shell/Ui.h"
#include "util/SystemUtils.h"

#include "platform/Platform.h"

namespace kv {

using MailClient::IdentityOption;

namespace {

// The entries of the identity option, each with the option it stands for.
constexpr std::pair<MenuEntry, IdentityOption> kIdentityOptionEntries[] = {
    {MenuEntry::DefaultIdentity, IdentityOption::Default},
    {MenuEntry::LastIdentity, IdentityOption::Last},
    {MenuEntry::PromptIdentity, IdentityOption::Prompt}};

} // namespace

MainMenus::MainMenus(MainController& controller, platform::Platform& platform, Ui& ui,
                     IMainView& view)
    : m_c(controller), m_platform(platform), m_ui(ui), m_view(view)
{
}

void MainMenus::chosen(MenuEntry entry)
{
    MainState& state = m_c.state();
    switch (entry) {
    case MenuEntry::Backup:
        m_c.backupClicked();
        break;
    case MenuEntry::Restore:
        m_c.restoreClicked();
        break;
    case MenuEntry::Synchronise:
        m_c.synchClicked();
        break;
    case MenuEntry::Exit:
        if (m_c.askExit(state.programTitle))
            m_view.closeWindow();
        break;
    case MenuEntry::Reminder:
        askOption(options::Mode::Reminder);
        break;
    case MenuEntry::Purge:
        askOption(options::Mode::Purge);
        break;
    case MenuEntry::DefaultIdentity:
        setIdentityOption(IdentityOption::Default);
        break;
    case MenuEntry::LastIdentity:
        setIdentityOption(IdentityOption::Last);
        break;
    case MenuEntry::PromptIdentity:
        setIdentityOption(IdentityOption::Prompt);
        break;
    case MenuEntry::SwitchIdentity:
        switchIdentities();
        break;
    case MenuEntry::UseSystemTemp:
    case MenuEntry::ExcludeNews:
        toggleOption(entry);
        break;
    case MenuEntry::BackupLog:
        openLog(state.backupLogPath);
        break;
    case MenuEntry::RestoreLog:
        openLog(state.restoreLogPath);
        break;
    case MenuEntry::AutoShowLog:
        state.autoShowLog = !state.autoShowLog;
        m_view.setMenuChecked(MenuEntry::AutoShowLog, state.autoShowLog);
        break;
    default:
        helpChosen(entry);
        break;
    }
}

void MainMenus::helpChosen(MenuEntry entry)
{
    static constexpr std::pair<MenuEntry, int> kTopics[] = {{MenuEntry::HelpBackup, 1001},
                                                            {MenuEntry::HelpRestore, 1002},
                                                            {MenuEntry::HelpSynchronise, 1500},
                                                            {MenuEntry::HelpCopying, 1005},
                                                            {MenuEntry::Contact, 1006}};
    for (const auto& [topicEntry, topic] : kTopics)
        if (topicEntry == entry) {
            m_ui.showHelpTopic(m_c.state().helpFile, topic);
            return;
        }
    if (entry == MenuEntry::HelpContents) {
        m_ui.showHelpContents(m_c.state().helpFile);
    } else if (entry == MenuEntry::About) {
        m_ui.showAbout(m_c.state().programTitle, m_c.state().versionText);
    } else if (entry == MenuEntry::Tidings) {
        const QString tool = m_c.state().programFolder + QStringLiteral("\\Tidings.exe");
        // The news tool is optional: when it is not installed the entry quietly does nothing.
        if (!SystemUtils::fileExists(m_platform.files, tool) ||
            !m_platform.processes.start(tool, {}))
            qCInfo(lcShell) << "news tool not started:" << tool;
    }
}

void MainMenus::openLog(const QString& path)
{
    const QString notepad = SystemUtils::findNotepad(m_platform.files, m_platform.system);
    if (notepad.isEmpty()) {
        qCInfo(lcShell) << "no notepad: log not shown";
        return;
    }
    if (!SystemUtils::fileExists(m_platform.files, path))
        return;
    if (!m_platform.processes.start(notepad, {path}))
        qCWarning(lcShell) << "cannot open" << path << "with" << notepad;
}

void MainMenus::checkIdentityOption(IMainView& view, IdentityOption option)
{
    for (const auto& [entry, entryOption] : kIdentityOptionEntries)
        view.setMenuChecked(entry, entryOption == option);
}

void MainMenus::setIdentityOption(IdentityOption option)
{
    checkIdentityOption(m_view, option);
    m_c.state().env.identityOption = option;
    m_c.settings().save(Setting::IdentOption, QString(), QString::number(int(option)));
}

void MainMenus::switchIdentities()
{
    if (!OeEnvironment::switchIdentity(m_c.settings(), m_ui, m_c.state().env.identities,
                                       m_c.state().env.chosenIndex, m_view.caption()))
        return;
    qCInfo(lcShell) << "identity switch: restarting";
    m_c.state().restartRequested = true;
    m_view.closeWindow();
}

void MainMenus::toggleOption(MenuEntry entry)
{
    const bool sysTemp = entry == MenuEntry::UseSystemTemp;
    bool& value = sysTemp ? m_c.state().useSysTemp : m_c.state().excludeNews;
    value = !value;
    m_view.setMenuChecked(entry, value);
    m_c.settings().save(sysTemp ? Setting::UseSysTemp : Setting::ExcludeNews,
                        m_c.state().settingsSection(), yesNo(value));
}

void MainMenus::askOption(options::Mode mode)
{
    const SettingDef& def =
        mode == options::Mode::Reminder ? Setting::RemindDays : Setting::BackupPurge;
    const std::optional<OptionsAnswer> answer =
        m_ui.getOptions(options::request(mode, m_c.settings().get(def, QString())));
    if (!answer)
        return;
    m_c.settings().save(def, QString(), QString::number(options::valueFor(mode, *answer)));
}

} // namespace kv
