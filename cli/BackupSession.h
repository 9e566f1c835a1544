#pragma once

#include "CliCommand.h"
#include "CliUi.h"

#include "backup/RunProgress.h"
#include "platform/Platform.h"
#include "platform/posix/PosixPlatform.h"
#include "shell/AppSettings.h"
#include "shell/GuardedRegistry.h"
#include "shell/MainState.h"

#include <QElapsedTimer>

#include <memory>

namespace kv::cli {

// The command line's answers during a backup: the diskette prompts take OK with --yes; every
// other question is refused (Cancel), since nobody is there to decide.
class BackupCliUi : public CliUi
{
public:
    BackupCliUi(QTextStream& err, bool yes) : CliUi(err), m_err(err), m_yes(yes) {}
    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override;

private:
    QTextStream& m_err;
    bool m_yes;
};

// Progress on the terminal: a bar redrawn in place when it is one, else a line per item.
class TerminalProgress : public RunProgress
{
public:
    explicit TerminalProgress(QTextStream& err);
    void setProgressText(const QString& text, ProgressStyle style) override;
    void setPercent(int percent) override;
    void setMeterVisible(bool) override {}
    void setPhase(RunPhase) override {}
    void setBytes(qint64 done, qint64 total) override;
    // Ends the bar's line; summary adds the count of files and bytes read.
    void done(bool summary = true);

private:
    void draw();

    QTextStream& m_err;
    bool m_tty;
    QString m_text;
    int m_percent = 0;
    int m_files = 0;
    qint64 m_done = 0;
    qint64 m_total = 0;
    bool m_drawn = false;
    QElapsedTimer m_clock;
};

// What the desktop program's start-up would know: the identity, the store, the program
// folder, the settings and the archive's name, for an inventory or a backup without the window.
class BackupSession
{
public:
    BackupSession(platform::posix::PosixPlatform& host, CliContext& ctx);

    // The identity (--identity, else as the start-up chooses), its store, the program folder,
    // the remembered selection and the saved choices. False after a message; code then holds
    // the exit code.
    bool openStore(ExitCode* code);
    // The store, then the archive's folder (--to, else the remembered one) and name.
    bool open(ExitCode* code);

    platform::Platform& services() { return m_services; }
    Ui& ui() { return m_ui; }
    AppSettings& settings() { return m_settings; }
    MainState& state() { return m_state; }

private:
    bool chooseIdentity(ExitCode* code);
    bool fail(const QString& text, ExitCode* code);

    CliContext& m_ctx;
    platform::Platform m_host;
    GuardedRegistry m_registry;
    platform::Platform m_services;
    AppSettings m_settings;
    BackupCliUi m_ui;
    MainState m_state;
};

} // namespace kv::cli
