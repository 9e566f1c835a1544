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

namespace {

QString yesNo(bool value)
{
    return value ? QStringLiteral("Y") : QStringLiteral("N");
}

} // namespace

MainMenus::MainMenus(MainController& controller, platform::Platform& platform, Ui& ui,
                     IMainView& view)
    : m_c(controller), m_platform(platform), m_ui(ui), m_view(view)
{
}

void MainMenus::chosen(MainMenu menu, int index)
{
    using namespace MenuIndex;
    switch (menu) {
    case MainMenu::File:
        if (index == FileBackup)
            m_c.backupClicked();
        else if (index == FileRestore)
            m_c.restoreClicked();
        else if (index == FileSynch)
            m_c.synchClicked();
        else if (index == FileExit && m_c.askExit(m_c.state().programTitle))
            m_view.closeWindow();
        break;
    case MainMenu::Options:
        if (index == OptReminder)
            options(int(Options::Mode::Reminder));
        else if (index == OptDefaultIdent || index == OptLastIdent || index == OptPromptIdent)
            setIdentOption(index);
        else if (index == OptSwitchIdent)
            switchIdentities();
        else if (index == OptPurge)
            options(int(Options::Mode::Purge));
        else if (index == OptUseSysTemp || index == OptExcludeNews)
            toggleOption(index);
        break;
    case MainMenu::Logs:
        if (index == LogsBackup)
            openLog(m_c.state().backupLogPath);
        else if (index == LogsRestore)
            openLog(m_c.state().restoreLogPath);
        else if (index == LogsAutoShow) {
            m_c.state().autoShowLog = !m_c.state().autoShowLog;
            m_view.setMenuChecked(MainMenu::Logs, LogsAutoShow, m_c.state().autoShowLog);
        }
        break;
    case MainMenu::Help:
        helpChosen(index);
        break;
    }
}

void MainMenus::helpChosen(int index)
{
    using namespace MenuIndex;
    static constexpr std::pair<int, int> kTopics[] = {{HelpBackup, 1001},
                                                      {HelpRestore, 1002},
                                                      {HelpSynch, 1500},
                                                      {HelpCopying, 1005},
                                                      {HelpContact, 1006}};
    for (const auto& [entry, topic] : kTopics)
        if (entry == index) {
            m_ui.showHelpTopic(m_c.state().helpFile, topic);
            return;
        }
    if (index == HelpContents) {
        m_ui.showHelpContents(m_c.state().helpFile);
    } else if (index == HelpAbout) {
        m_ui.showAbout(m_c.state().programTitle, m_c.state().versionText);
    } else if (index == HelpTidings) {
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

void MainMenus::setIdentOption(int option)
{
    for (int entry :
         {MenuIndex::OptDefaultIdent, MenuIndex::OptLastIdent, MenuIndex::OptPromptIdent})
        m_view.setMenuChecked(MainMenu::Options, entry, entry == option);
    m_c.state().env.identOption = option;
    m_c.settings().save(Setting::IdentOption, QString(), QString::number(option));
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

void MainMenus::toggleOption(int index)
{
    const bool sysTemp = index == MenuIndex::OptUseSysTemp;
    bool& value = sysTemp ? m_c.state().useSysTemp : m_c.state().excludeNews;
    value = !value;
    m_view.setMenuChecked(MainMenu::Options, index, value);
    m_c.settings().save(sysTemp ? Setting::UseSysTemp : Setting::ExcludeNews,
                        m_c.state().settingsSection(), yesNo(value));
}

void MainMenus::options(int mode)
{
    const auto m = Options::Mode(mode);
    const SettingDef& def =
        m == Options::Mode::Reminder ? Setting::RemindDays : Setting::BackupPurge;
    const std::optional<OptionsAnswer> answer =
        m_ui.getOptions(Options::request(m, m_c.settings().get(def, QString())));
    if (!answer)
        return;
    m_c.settings().save(def, QString(), QString::number(Options::valueFor(m, *answer)));
}

} // namespace kv
