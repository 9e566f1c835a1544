#include "BackupSession.h"

#include "shell/BackupDefaults.h"

#include "backup/ItemList.h"
#include "oeenv/OeEnvironment.h"
#include "platform/WinPath.h"
#include "shell/ControlFile.h"
#include "shell/SettingsTable.h"
#include "shell/Strings.h"

#include <unistd.h>

namespace kv::cli {

MsgResult BackupCliUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                                  const QString& title)
{
    if (buttons == MsgButtons::Ok)
        return CliUi::messageBox(text, buttons, icon, title);
    m_err << text << "\n";
    const bool disk = text.startsWith(Strings::get(StringId::InsertFirstDiskette)) ||
                      text.startsWith(Strings::get(StringId::InsertBackupDisk));
    if (disk && m_yes && buttons == MsgButtons::OkCancel) {
        m_err << "  -> OK (--yes)\n";
        m_err.flush();
        return MsgResult::Ok;
    }
    m_err << "  -> refused: nobody is there to answer" << (disk ? " (give --yes to answer OK)" : "")
          << "\n";
    m_err.flush();
    return backOutResult(buttons);
}

TerminalProgress::TerminalProgress(QTextStream& err) : m_err(err), m_tty(isatty(STDERR_FILENO))
{
    m_clock.start();
}

void TerminalProgress::setProgressText(const QString& text, ProgressStyle)
{
    if (text.isEmpty() || text == m_text)
        return;
    m_text = text;
    if (!m_tty) {
        m_err << text << "\n";
        m_err.flush();
    } else {
        draw();
    }
}

void TerminalProgress::setPercent(int percent)
{
    m_percent = percent;
}

void TerminalProgress::setBytes(qint64 done, qint64 total)
{
    ++m_files;
    m_done = done;
    m_total = total;
    if (m_tty && m_clock.elapsed() >= 100) {
        m_clock.restart();
        draw();
    }
}

void TerminalProgress::draw()
{
    const int width = 30;
    const int filled = qBound(0, m_percent * width / 100, width);
    m_err << "\r[" << QString(filled, u'#') << QString(width - filled, u'.') << "] "
          << qBound(0, m_percent, 100) << "% " << m_files << " files " << m_done / 1024 << " of "
          << m_total / 1024 << " KB  " << m_text.left(40) << "\x1b[K";
    m_err.flush();
    m_drawn = true;
}

void TerminalProgress::done(bool summary)
{
    if (m_drawn) {
        draw();
        m_err << "\n";
    }
    if (summary)
        m_err << m_files << " files, " << m_done << " bytes read\n";
    m_err.flush();
}

BackupSession::BackupSession(platform::posix::PosixPlatform& host, CliContext& ctx)
    : m_ctx(ctx), m_host(host.services()),
      m_registry(m_host.registry, nullptr, Strings::programTitle()), m_services{m_registry,
                                                                                m_host.files,
                                                                                m_host.system,
                                                                                m_host.processes},
      m_settings(m_services.registry),
      m_ui(ctx.err, ctx.options.optionNames().contains(QStringLiteral("yes")))
{
    m_settings.setAppName(QStringLiteral("Korvane"));
}

bool BackupSession::fail(const QString& text, ExitCode* code)
{
    m_ctx.err << "kv2000-cli " << m_ctx.command.name << ": " << text << "\n";
    *code = ExitCode(2);
    return false;
}

bool BackupSession::chooseIdentity(ExitCode* code)
{
    const QString title = Strings::programTitle();
    OeEnvironmentResult env = OeEnvironment::detect(m_services, m_settings, m_ui, false, title);
    const QString wanted = m_ctx.value("identity");
    if (!wanted.isEmpty() && env.outcome == OeEnvironmentResult::Outcome::Ready && env.isOe5()) {
        const auto& ids = env.identities;
        qsizetype i = ids.ids.indexOf(wanted, Qt::CaseInsensitive);
        if (i < 0)
            i = ids.names.indexOf(wanted, Qt::CaseInsensitive);
        if (i < 0)
            return fail(QStringLiteral("no identity '%1'; there are: %2")
                            .arg(wanted, ids.names.join(QStringLiteral(", "))),
                        code);
        // The start-up's own way to take an identity by id: a pending "StartAs".
        m_settings.save(Setting::StartAs, QString(), ids.ids.at(i));
        env = OeEnvironment::detect(m_services, m_settings, m_ui, false, title);
    } else if (!wanted.isEmpty() && env.outcome == OeEnvironmentResult::Outcome::Ready) {
        return fail(QStringLiteral("--identity needs version 5 of the mail client"), code);
    }
    if (m_registry.refusedWrites() > 0)
        return fail(GuardedRegistry::lockedText(), code);
    if (env.outcome != OeEnvironmentResult::Outcome::Ready)
        return fail(env.message.isEmpty() ? Strings::get(StringId::NoOe4MailFolders) : env.message,
                    code);
    m_state.env = env;
    m_state.oe5Mode = env.isOe5();
    return true;
}

bool BackupSession::openStore(ExitCode* code)
{
    if (!chooseIdentity(code))
        return false;
    platform::IFileSystem& files = m_services.files;
    MainState& s = m_state;
    s.programTitle = Strings::programTitle();
    s.programFolder = m_services.system.programFolder();
    if (!files.makeSurePath(s.programFolder + u'\\'))
        return fail(QStringLiteral("cannot create the program folder ") + s.programFolder, code);
    s.versionText = QStringLiteral("%1.%2 rev %3.0")
                        .arg(KV_VERSION_MAJOR)
                        .arg(KV_VERSION_MINOR)
                        .arg(KV_VERSION_PATCH);
    const QString folder = s.programFolder;
    s.backupLogPath = folder + u'\\' +
                      (s.oe5Mode ? s.env.chosenName + QStringLiteral(".LastBackup.log")
                                 : QStringLiteral("LastBackup.log"));
    s.restoreLogPath = folder + u'\\' +
                       (s.oe5Mode ? s.env.chosenName + QStringLiteral(".LastRestore.log")
                                  : QStringLiteral("LastRestore.log"));
    s.controlFilePath = ControlFile::path(folder, s.oe5Mode, s.env.chosenId);
    const ControlFile::Remembered remembered =
        ControlFile::readRemembered(files, s.controlFilePath);
    s.controlFileHeader = remembered.header;
    s.rememberedNames = remembered.names;
    s.rememberedFlags = remembered.flags;

    readBackupDefaults(m_settings, s);
    s.autoShowLog = false;
    return true;
}

bool BackupSession::open(ExitCode* code)
{
    if (!openStore(code))
        return false;
    platform::IFileSystem& files = m_services.files;
    MainState& s = m_state;
    QString to = m_ctx.value("to");
    // Only a folder an earlier backup used, not the diskette the window would offer.
    if (to.isEmpty())
        to = m_settings.get(Setting::LastSavePath, s.settingsSection());
    if (to.isEmpty())
        return fail(QStringLiteral("no backup folder: give --to FOLDER (a Windows path, such as "
                                   "C:\\Backups); none is remembered from an earlier backup"),
                    code);
    if (!winpath::isRoot(winpath::clean(to))) {
        platform::FileEntry e;
        if (!files.stat(winpath::clean(to), &e) || !e.isDirectory())
            return fail(QStringLiteral("the backup folder %1 does not exist").arg(to), code);
    }
    const QDateTime now = m_services.system.now();
    s.function = MainFunction::Backup;
    s.saveFolder = winpath::clean(to);
    s.timeSuffix = now.toString(QStringLiteral("-hh-mm"));
    s.backupFile = winpath::removeTrailingBackslash(s.saveFolder) + u'\\' + s.env.backupBaseName +
                   s.env.nameInfix + now.toString(QStringLiteral("yyyy-MM-dd")) + s.timeSuffix +
                   QStringLiteral(".eaz");
    s.renameExisting = !m_ctx.isSet("replace");
    return true;
}

} // namespace kv::cli
