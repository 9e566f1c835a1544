#include "shell/MainController.h"

#include "backup/BackupFunctions.h"
#include "msgstore/MessageExport.h"
#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "oeenv/RunningClient.h"
#include "restore/RestoreFunctions.h"
#include "restore/SynchroniseFunctions.h"
#include "shell/AppSettings.h"
#include "shell/BackupDefaults.h"
#include "shell/ControlFile.h"
#include "shell/GuardedRegistry.h"
#include "shell/IFunctions.h"
#include "shell/Preset.h"
#include "shell/SettingsTable.h"
#include "shell/ShellLog.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "shell/UnavailableFunctions.h"
#include "util/FieldList.h"
#include "util/FileOperation.h"
#include "util/Like.h"
#include "util/SystemUtils.h"
#include "util/TaskRunner.h"

#include "platform/Platform.h"
#include "platform/WinPath.h"

namespace kv {

using namespace platform;
using Outcome = OeEnvironmentResult::Outcome;

namespace {

constexpr int kOpeningHelpContext = 999;
constexpr char kAppPathsKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KV2000.exe";
constexpr char kExecutable[] = "\\KV2000.exe";

} // namespace

MainController::MainController(Platform& platform, Ui& ui, IMainView& view, IFunctions* functions,
                               TaskRunner* runner)
    : m_registry(
          std::make_unique<GuardedRegistry>(platform.registry, &ui, Strings::programTitle())),
      m_platform{*m_registry, platform.files, platform.system, platform.processes}, m_ui(ui),
      m_view(view), m_ownRunner(runner ? nullptr : std::make_unique<InlineTaskRunner>()),
      m_runner(runner ? *runner : *m_ownRunner),
      m_settings(std::make_unique<AppSettings>(m_platform.registry)),
      m_unavailable(std::make_unique<UnavailableFunctions>(ui)),
      m_restoreFunctions(functions
                             ? nullptr
                             : std::make_unique<RestoreFunctions>(
                                   functionServices(), *m_unavailable)),
      m_backupFunctions(functions ? nullptr
                                  : std::make_unique<BackupFunctions>(
                                        functionServices(), *m_restoreFunctions)),
      m_ownFunctions(functions ? nullptr
                               : std::make_unique<SynchroniseFunctions>(
                                     functionServices(), *m_backupFunctions,
                                     *m_restoreFunctions)),
      m_functions(functions ? *functions : *m_ownFunctions),
      m_nav(m_state, view, ui, m_functions, *m_settings, platform.files),
      m_menus(*this, m_platform, ui, view)
{
}

MainController::~MainController() = default;

FunctionServices MainController::functionServices()
{
    return {m_platform, m_ui, m_view, *m_settings, m_runner,
            [this](const QString& path) { m_menus.openLog(path); }};
}

bool MainController::hasSwitch(const QString& commandLine, const QString& letters)
{
    return likeMatch(commandLine, QStringLiteral("\\*") + letters + QLatin1Char('*'));
}

MainController::LoadResult MainController::fail(const QString& message)
{
    qCWarning(lcShell) << "start-up ends:" << message;
    m_ui.messageBox(message, MsgButtons::Ok, MsgIcon::Information, m_state.programTitle);
    m_loadFailed = true;
    return LoadResult::Unload;
}

MainController::LoadResult MainController::load(const QStringList& commandLine,
                                                const QStringList& ownOptions)
{
    FieldList::setSeparators();
    m_state.programTitle = Strings::programTitle();
    m_state.windowsFolder =
        winpath::removeTrailingBackslash(m_platform.system.windowsDirectory()) + QLatin1Char('\\');
    m_settings->setCompany(QStringLiteral("Tarnworks"));
    m_settings->setAppName(QStringLiteral("Korvane"));
    m_state.programFolder = winpath::removeTrailingBackslash(m_platform.system.programFolder());
    m_state.helpFile = m_state.programFolder + QStringLiteral("\\KV2000.hlp");
    m_state.programFolderReady = ensureProgramFolder();
    setUpLabels();
    m_state.timeSuffix =
        QLatin1Char('-') + m_platform.system.now().toString(QStringLiteral("hh-mm"));

    // The program registers where it lives; a registry that cannot be written is no reason
    // not to start.
    const WinError appPaths = m_platform.registry.setValue(
        Hive::LocalMachine, QLatin1String(kAppPathsKey), QString(),
        RegValue::fromString(m_state.programFolder + QLatin1String(kExecutable)));
    if (appPaths != kErrorSuccess)
        qCInfo(lcShell) << "App Paths not written:" << appPaths;

    m_state.ownOptions = ownOptions;
    readCommandLine(commandLine);

    if (!chooseEnvironment())
        return LoadResult::Unload;
    setUpMode();
    firstRunOfIdentity();
    Preset::apply(m_platform.files, m_platform.system, *m_settings, m_state.settingsSection(),
                  m_state.programFolder);
    setUpLogsMenu();
    loadBackupDefaults();
    askQuickBackup();

    const ControlFile::Remembered remembered =
        ControlFile::readRemembered(m_platform.files, m_state.controlFilePath);
    m_state.controlFileHeader = remembered.header;
    m_state.rememberedNames = remembered.names;
    m_state.rememberedFlags = remembered.flags;

    if (m_state.quickBackup) {
        m_state.backupName = winpath::removeTrailingBackslash(m_state.lastSaveFolder) +
                             QLatin1Char('\\') + m_state.env.backupBaseName +
                             m_state.env.nameInfix +
                             m_platform.system.now().toString(QStringLiteral("yyyy-MM-dd")) +
                             m_state.timeSuffix + QStringLiteral(".eaz");
        if (!m_functions.buildQuickInventory(m_state)) {
            qCInfo(lcShell) << "quick backup off: the inventory failed";
            m_state.quickBackup = false;
        }
    }
    placeWindow();

    if (m_state.quickBackup) {
        if (!runQuickBackup()) {
            m_loadFailed = true;
            return LoadResult::Unload;
        }
        if (m_state.quickBackup)
            return LoadResult::QuickBackup;
    }

    m_view.showPage(MainPage::Opening);
    if (m_state.oe4ImportMode) {
        if (m_state.oe4ImportChoice == Oe4ImportChoice::TemporaryStore)
            restoreClicked();
        else
            synchClicked();
    }
    showTidingsTip();
    return LoadResult::Interactive;
}

void MainController::readCommandLine(const QStringList& commandLine)
{
    const QString line = commandLine.join(QLatin1Char(' '));
    m_state.switchOe4 = hasSwitch(line, QStringLiteral("4"));
    m_state.switchFast = hasSwitch(line, QStringLiteral("F"));
    m_state.switchFastAsk = hasSwitch(line, QStringLiteral("FX"));
    m_state.switchCloseClient = hasSwitch(line, QStringLiteral("A"));
    if (!line.isEmpty())
        qCInfo(lcShell) << "command line:" << line;
}

void MainController::setUpLabels()
{
    m_view.setCaption(m_state.programTitle);
    m_state.versionText = SystemUtils::fileVersionText(
        m_platform.files, m_state.programFolder + QLatin1String(kExecutable));
    if (m_state.versionText.isEmpty())
        m_state.versionText = QStringLiteral("%1.%2 rev %3.0")
                                  .arg(KV_VERSION_MAJOR)
                                  .arg(KV_VERSION_MINOR)
                                  .arg(KV_VERSION_PATCH);
    m_view.setText(MainText::Version, m_state.versionText);
    m_view.setText(MainText::WabWarning, Strings::get(StringId::AddressBookLeftOut));
    m_view.setText(MainText::Loading, Strings::get(StringId::LoadingFolders));
    const QString backup = Strings::get(StringId::MakeBackup);
    const QString restore = Strings::get(StringId::RestoreOrCopy);
    const QString synch = QStringLiteral("&Synchronize Folders");
    m_view.setText(MainText::BackupButton, backup);
    m_view.setText(MainText::RestoreButton, restore);
    m_view.setText(MainText::SynchButton, synch);
    m_view.setMenuCaption(MenuEntry::Backup, backup);
    m_view.setMenuCaption(MenuEntry::Restore, restore);
    m_view.setMenuCaption(MenuEntry::Synchronise, synch);
}

bool MainController::chooseEnvironment()
{
    m_state.env =
        OeEnvironment::detect(m_platform, *m_settings, m_ui, m_state.switchOe4, m_view.caption());
    OeEnvironmentResult& env = m_state.env;
    m_state.oe5Mode = env.isOe5();
    if (env.outcome == Outcome::Fatal) {
        fail(env.message);
        return false;
    }
    if (env.outcome == Outcome::Oe4StoreMissing) {
        const Oe4ImportChoice choice = m_ui.chooseOe4Import();
        if (choice == Oe4ImportChoice::Cancel) {
            fail(Strings::get(StringId::StartInOe5Mode) + Strings::kLineBreak +
                 Strings::get(StringId::RemoveOe4Switch));
            return false;
        }
        m_state.oe4ImportMode = true;
        m_state.oe4ImportChoice = choice;
        m_view.setButtonEnabled(MainButton::Backup, false);
        RegistryAccess reg(m_platform.registry, m_platform.files);
        const QString documents = MailClient::myDocumentsFolder(reg, m_platform.files);
        if (documents.isEmpty()) {
            fail(Strings::get(StringId::NoDocumentsFolder) + Strings::kLineBreak +
                 Strings::kLineBreak + Strings::get(StringId::DocumentsFolderRequired));
            return false;
        }
        env.storeFolder = winpath::withTrailingBackslash(documents) + QStringLiteral("Mail\\");
        if (!m_platform.files.makeSurePath(env.storeFolder))
            qCWarning(lcShell) << "cannot create" << env.storeFolder;
        env.outcome = Outcome::Ready;
    }
    if (m_state.oe5Mode) {
        const bool several = env.identityCount() > 1;
        for (MenuEntry entry : kIdentityEntries)
            m_view.setMenuEnabled(entry, several);
        if (several)
            MainMenus::checkIdentityOption(m_view, env.identityOption);
        m_view.setCaption(m_view.caption() + env.captionSuffix);
    }
    return true;
}

void MainController::setUpMode()
{
    const QString& folder = m_state.programFolder;
    if (m_state.oe5Mode) {
        const QString& name = m_state.env.chosenName;
        m_state.backupLogPath =
            folder + QLatin1Char('\\') + name + QStringLiteral(".LastBackup.log");
        m_state.restoreLogPath =
            folder + QLatin1Char('\\') + name + QStringLiteral(".LastRestore.log");
        // Logs of a release that kept one log for everybody become this identity's.
        const std::pair<QString, QString> logs[] = {
            {m_state.backupLogPath, folder + QStringLiteral("\\LastBackup.log")},
            {m_state.restoreLogPath, folder + QStringLiteral("\\LastRestore.log")}};
        for (const auto& [own, shared] : logs)
            if (!SystemUtils::fileExists(m_platform.files, own) &&
                SystemUtils::fileExists(m_platform.files, shared) &&
                !m_platform.files.moveFile(shared, own))
                qCWarning(lcShell) << "cannot rename" << shared << "to" << own;
    } else {
        m_state.backupLogPath = folder + QStringLiteral("\\LastBackup.log");
        m_state.restoreLogPath = folder + QStringLiteral("\\LastRestore.log");
        for (MenuEntry entry : kIdentityEntries)
            m_view.setMenuVisible(entry, false);
    }
    m_state.controlFilePath = ControlFile::path(folder, m_state.oe5Mode, m_state.env.chosenId);
}

bool MainController::ensureProgramFolder()
{
    const QString& folder = m_state.programFolder;
    if (SystemUtils::folderExists(m_platform.files, folder))
        return true;
    // An installed program always has its folder; an environment made without the installer
    // does not, and without it nothing the program keeps there could be written.
    if (m_platform.files.makeSurePath(folder + QLatin1Char('\\'))) {
        qCInfo(lcShell) << "program folder created:" << folder;
        return true;
    }
    qCWarning(lcShell) << "cannot create the program folder" << folder;
    m_ui.messageBox(
        QStringLiteral("The program folder %1 does not exist and cannot be created.").arg(folder) +
            Strings::kLineBreak + Strings::kLineBreak +
            QStringLiteral("Your settings are kept as they are, but this run's "
                           "logs and backup selection cannot be saved."),
        MsgButtons::Ok, MsgIcon::Exclamation, m_state.programTitle);
    return false;
}

void MainController::firstRunOfIdentity()
{
    if (!m_state.programFolderReady)
        return;
    if (!m_state.oe5Mode)
        ControlFile::convertTnsys3(m_platform.files, m_state.programFolder);
    if (SystemUtils::fileExists(m_platform.files, m_state.controlFilePath))
        return;
    // The control file is what tells the next start that this one happened: without it the
    // defaults would overwrite the user's settings at every start.
    const QString line =
        ControlFile::firstLine(m_state.oe5Mode, m_state.env.chosenName, m_state.env.chosenId);
    if (!ControlFile::writeLines(m_platform.files, m_state.controlFilePath, {line})) {
        qCWarning(lcShell) << "the control file" << m_state.controlFilePath
                           << "cannot be written; the defaults are not written either";
        return;
    }
    const QString section = m_state.settingsSection();
    const QString one = QStringLiteral("1");
    AppSettings& s = *m_settings;
    s.save(Setting::WarnOverWrite, section, QStringLiteral("Y"));
    s.save(Setting::RemindDays, section, QStringLiteral("2"));
    s.save(Setting::WarnOnQuick, section, QStringLiteral("Y"));
    s.save(Setting::AllowQuick, section, QStringLiteral("N"));
    s.save(Setting::LastBackup, section,
           m_platform.system.now().toString(QStringLiteral("yyyyMMdd")));
    s.save(Setting::LastSavePath, section, QString());
    for (const SettingDef* def : {&Setting::InclWab, &Setting::InclFAV, &Setting::InclRules,
                                  &Setting::InclAccts, &Setting::DoRename})
        s.save(*def, section, one);
    m_state.firstRun = true;
    qCInfo(lcShell) << "first run of" << m_state.controlFilePath;
}

void MainController::setUpLogsMenu()
{
    m_view.setMenuEnabled(MenuEntry::BackupLog,
                          SystemUtils::fileExists(m_platform.files, m_state.backupLogPath));
    m_view.setMenuEnabled(MenuEntry::RestoreLog,
                          SystemUtils::fileExists(m_platform.files, m_state.restoreLogPath));
    m_state.autoShowLog = isYes(m_settings->get(Setting::AutoShowLog, QString()));
    m_view.setMenuChecked(MenuEntry::AutoShowLog, m_state.autoShowLog);
}

void MainController::loadBackupDefaults()
{
    readBackupDefaults(*m_settings, m_state);
    m_view.setMenuChecked(MenuEntry::UseSystemTemp, m_state.useSysTemp);
    m_view.setText(MainText::ClearDisks, Strings::get(StringId::ClearDiskettes));
    m_view.setClearDisksChecked(m_state.clearDisks);
    m_view.setMenuChecked(MenuEntry::ExcludeNews, m_state.excludeNews);
}

void MainController::askQuickBackup()
{
    if (!m_state.switchFast || m_state.oe4ImportMode)
        return;
    const QString section = m_state.settingsSection();
    if (isYes(m_settings->get(Setting::AllowQuick, section))) {
        if (isYes(m_settings->get(Setting::WarnOnQuick, section)) || m_state.switchFastAsk) {
            const QuickBackupAnswer answer = m_ui.confirmQuickBackup(true);
            m_state.quickBackup = answer != QuickBackupAnswer::Cancel;
            if (answer == QuickBackupAnswer::ProceedAndStopAsking)
                m_settings->save(Setting::WarnOnQuick, section, QStringLiteral("N"));
        } else {
            m_state.quickBackup = true;
        }
    } else if (!m_state.switchFastAsk) {
        m_ui.messageBox(Strings::get(StringId::QuickBackupNotPossible), MsgButtons::Ok,
                        MsgIcon::Information, m_state.programTitle);
    }
    qCInfo(lcShell) << "quick backup requested; runs:" << m_state.quickBackup;
}

void MainController::placeWindow()
{
    const QSize screen = m_view.screenSize();
    const QSize window = m_view.windowSize();
    QPoint at((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
    const QStringList saved = m_settings->get(Setting::MainPosition, QString()).split(u',');
    bool okLeft = false;
    bool okTop = false;
    const int left = saved.value(0).trimmed().toInt(&okLeft);
    const int top = saved.value(1).trimmed().toInt(&okTop);
    if (saved.size() == 2 && okLeft && okTop) {
        if (left >= 0 && left < screen.width())
            at.setX(left);
        if (top >= 0 && top < screen.height())
            at.setY(top);
    }
    m_view.moveTo(at);
}

bool MainController::runQuickBackup()
{
    if (m_state.switchCloseClient && RunningClient::isClientRunning(m_platform.processes)) {
        RunningClient::closeClient(m_platform.processes);
        m_state.quickBackup = !RunningClient::isClientRunning(m_platform.processes);
        if (!m_state.quickBackup) {
            qCInfo(lcShell) << "quick backup off: the mail client is still running";
            return true;
        }
    }
    if (!m_functions.gatherQuickItems(m_state))
        return false;
    m_state.function = MainFunction::Backup;
    m_functions.runBackup(m_state);
    return true;
}

void MainController::showTidingsTip()
{
    if (isYes(m_settings->get(Setting::TidingsTip, QString())))
        return;
    const int count = m_settings->get(Setting::TidingsCnt, QString()).toInt() + 1;
    m_settings->save(Setting::TidingsCnt, QString(), QString::number(count));
    if (count <= 2)
        return;
    m_settings->save(Setting::TidingsTip, QString(), QStringLiteral("Y"));
    const QString text =
        QStringLiteral("TIP: - The latest information regarding Korvane 2000") +
        Strings::kLineBreak +
        QStringLiteral("is always available from the menu 'Help \\ Korvane Tidings'.") +
        Strings::kLineBreak + Strings::kLineBreak +
        QStringLiteral("We recommend that you check the 'Tidings' periodically.");
    m_ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, m_state.programTitle);
}

void MainController::activated()
{
    m_state.helpFile = m_state.programFolder + QStringLiteral("\\KV2000.hlp");
    m_view.setHelpContext(kOpeningHelpContext);
}

void MainController::firstPaint()
{
    if (!m_state.firstRun)
        return;
    m_state.firstRun = false;
    if (m_ui.messageBox(Strings::get(StringId::ViewHelpFirstTime), MsgButtons::YesNo,
                        MsgIcon::Question, m_state.programTitle) == MsgResult::Yes)
        m_ui.showHelpTopic(m_state.helpFile, kOpeningHelpContext);
}

bool MainController::askExit(const QString& title)
{
    return m_ui.messageBox(Strings::get(StringId::ConfirmExit), MsgButtons::YesNo,
                           MsgIcon::Information, title) == MsgResult::Yes;
}

bool MainController::queryClose()
{
    if (m_state.busy) {
        m_ui.beep();
        m_ui.beep();
        if (m_state.function == MainFunction::Synchronise)
            m_state.synchStop = true;
        qCInfo(lcShell) << "close refused: an operation is running";
        return false;
    }
    return askExit(m_view.caption());
}

void MainController::exitClicked()
{
    m_view.closeWindow();
}

void MainController::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_ui.closeHelp();
    // Emptied with everything below it and past the Recycle Bin: only ever the program's own
    // folder under the documents folder, whatever the window left in the state.
    if (!m_state.restoreMessagesFolder.isEmpty() && !m_state.oe4HandOff) {
        RegistryAccess reg(m_platform.registry, m_platform.files);
        msgstore::MessageExport::emptyTargetFolder(
            m_platform.files, m_state.restoreMessagesFolder,
            MailClient::myDocumentsFolder(reg, m_platform.files));
    }
    // A start that ended at one of its checks leaves the settings as they were.
    if (!m_loadFailed) {
        if (!m_state.quickBackup) {
            const QPoint at = m_view.position();
            m_settings->save(Setting::MainPosition, QString(),
                             QString::number(at.x()) + QLatin1Char(',') + QString::number(at.y()));
        }
        if (m_state.function == MainFunction::Synchronise && !m_state.synchGridWidths.isEmpty())
            m_settings->save(Setting::SynchGrid, QString(), m_state.synchGridWidths);
        m_settings->save(Setting::AutoShowLog, QString(), yesNo(m_state.autoShowLog));
    }
    if (m_state.restartRequested) {
        m_view.hideWindow();
        const QString self = m_state.programFolder + QLatin1String(kExecutable);
        if (!m_platform.processes.start(self, m_state.ownOptions))
            qCWarning(lcShell) << "cannot start" << self << "again";
    }
}

void MainController::backupClicked()
{
    m_state.function = MainFunction::Backup;
    m_view.setHelpContext(1001);
    m_functions.startBackup(m_state);
}

void MainController::restoreClicked()
{
    m_state.function = MainFunction::Restore;
    m_view.setHelpContext(1002);
    m_functions.startRestore(m_state);
}

void MainController::synchClicked()
{
    m_state.function = MainFunction::Synchronise;
    m_functions.startSynchronise(m_state);
}

} // namespace kv
