#pragma once

#include "platform/IFileSystem.h"
#include "platform/IProcesses.h"
#include "platform/IRegistry.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineProcessScanner.h"

#include <QProcessEnvironment>

namespace kv::platform::posix {

// Processes and windows of a Wine prefix. Windows programs map onto the desktop: Notepad to a
// text editor, Explorer to the file manager (xdg-open), our own executable to this program,
// anything else to Wine. The mail client's and the address book's windows are those of their
// processes running on this prefix, one window per process.
class WineProcesses : public IProcesses
{
public:
    struct Options
    {
        QString procRoot = QStringLiteral("/proc");
        // Folders searched for host programs, ":"-separated; "" for $PATH.
        QString searchPath;
        // This program's host executable, started for "KV2000.exe"; "" for the running one.
        QString selfExecutable;
        // How long a program gets to end after being asked to close, and again after SIGTERM.
        int closeTimeoutMs = 5000;
    };

    // The text editors tried for Notepad, in order.
    static const QStringList& textEditors();

    WineProcesses(WinePrefix prefix, IFileSystem& files, IRegistry& registry);
    WineProcesses(WinePrefix prefix, IFileSystem& files, IRegistry& registry, Options options);

    bool runAndWait(const QString& commandLine) override;
    bool start(const QString& program, const QStringList& arguments) override;
    bool openDocument(const QString& windowsPath) override;
    QList<WindowInfo> topLevelWindows() override;
    bool closeWindow(WindowHandle window) override;

    // What a Windows program is run as on the host.
    struct HostCommand
    {
        QString program; // "" when the Windows program has no host counterpart here
        QStringList arguments;
    };
    HostCommand map(const QString& program, const QString& rest) const;

private:
    QString findHostProgram(const QString& name) const;
    QString hostPathOf(const QString& windowsPath) const;
    QProcessEnvironment environment() const;
    QString mailWindowClass();
    // Asks the running program to close its windows through Wine; false when that cannot be
    // asked (no Wine here, or it did not answer).
    bool askToClose(const QString& executable) const;
    bool waitForEnd(qint64 pid, int timeoutMs) const;

    WinePrefix m_prefix;
    IFileSystem& m_files;
    IRegistry& m_registry;
    Options m_options;
    WineProcessScanner m_scanner;
};

} // namespace kv::platform::posix
