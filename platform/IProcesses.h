#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform {

using WindowHandle = quint64;

struct WindowInfo
{
    WindowHandle handle = 0;
    QString className;
    QString title;
    qint64 processId = 0;
};

// Processes, top-level windows and the shell's "open" verb.
class IProcesses
{
public:
    virtual ~IProcesses() = default;

    // CreateProcess + wait until it has ended. True when the program was started.
    virtual bool runAndWait(const QString& commandLine) = 0;
    // Starts a program without waiting (ShellExecute "open" on an executable).
    virtual bool start(const QString& program, const QStringList& arguments) = 0;
    // ShellExecute "open" on a document or folder: the desktop's default application.
    virtual bool openDocument(const QString& windowsPath) = 0;

    // The top-level windows, in the system's order (EnumWindows).
    virtual QList<WindowInfo> topLevelWindows() = 0;
    // Asks the window to close (WM_CLOSE); true when the request was delivered.
    virtual bool closeWindow(WindowHandle window) = 0;
};

} // namespace kv::platform
