#include "platform/posix/WineProcesses.h"

#include "platform/posix/PosixLog.h"
#include "platform/posix/WindowsCommandLine.h"
#include "platform/posix/WinePathMapper.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace kv::platform::posix {

namespace {

const QString kMailExecutable = QStringLiteral("msimn.exe");
const QString kAddressBookExecutable = QStringLiteral("wab.exe");
// A window handle is the process id with the kind of window in its low bits.
constexpr WindowHandle kMailWindow = 1;
constexpr WindowHandle kAddressBookWindow = 2;
constexpr int kKindBits = 4;

QString windowsBaseName(const QString& program)
{
    const qsizetype cut =
        std::max(program.lastIndexOf(QLatin1Char('\\')), program.lastIndexOf(QLatin1Char('/')));
    QString name = program.mid(cut + 1).toLower();
    if (name.endsWith(QLatin1String(".exe")))
        name.chop(4);
    return name;
}

QString unquoted(QString text)
{
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

} // namespace

const QStringList& WineProcesses::textEditors()
{
    static const QStringList editors = {QStringLiteral("gnome-text-editor"),
                                        QStringLiteral("gedit"),
                                        QStringLiteral("kate"),
                                        QStringLiteral("kwrite"),
                                        QStringLiteral("mousepad"),
                                        QStringLiteral("xed"),
                                        QStringLiteral("pluma"),
                                        QStringLiteral("featherpad"),
                                        QStringLiteral("leafpad")};
    return editors;
}

WineProcesses::WineProcesses(WinePrefix prefix, IFileSystem& files, IRegistry& registry)
    : WineProcesses(std::move(prefix), files, registry, Options{})
{
}

WineProcesses::WineProcesses(WinePrefix prefix, IFileSystem& files, IRegistry& registry,
                             Options options)
    : m_prefix(std::move(prefix)), m_files(files), m_registry(registry),
      m_options(std::move(options)), m_scanner(m_options.procRoot, m_prefix.folder())
{
}

QString WineProcesses::findHostProgram(const QString& name) const
{
    if (m_options.searchPath.isEmpty())
        return QStandardPaths::findExecutable(name);
    return QStandardPaths::findExecutable(
        name, m_options.searchPath.split(QLatin1Char(':'), Qt::SkipEmptyParts));
}

QString WineProcesses::hostPathOf(const QString& windowsPath) const
{
    if (WinePathMapper::driveOf(windowsPath).isNull())
        return windowsPath; // relative to wherever the program runs
    return m_files.toHostPath(windowsPath);
}

QProcessEnvironment WineProcesses::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("WINEPREFIX"), m_prefix.folder());
    return env;
}

WineProcesses::HostCommand WineProcesses::map(const QString& program, const QString& rest) const
{
    const QString name = windowsBaseName(program);
    if (name == QLatin1String("notepad")) {
        // Notepad takes the whole rest of its line as one file name.
        const QString file = unquoted(rest);
        const QString host = file.isEmpty() ? QString() : hostPathOf(file);
        for (const QString& editor : textEditors()) {
            const QString path = findHostProgram(editor);
            if (!path.isEmpty())
                return {path, host.isEmpty() ? QStringList() : QStringList{host}};
        }
        const QString opener = findHostProgram(QStringLiteral("xdg-open"));
        if (!host.isEmpty() && !opener.isEmpty())
            return {opener, {host}};
        return {};
    }
    if (name == QLatin1String("explorer")) {
        // "explorer [/e,][/root,][/select,]path": the switches and the path are comma-separated.
        bool select = false;
        QString target;
        for (const QString& token : rest.split(QLatin1Char(','))) {
            const QString part = unquoted(token);
            if (part.startsWith(QLatin1Char('/'))) {
                select = select || part.compare(QLatin1String("/select"), Qt::CaseInsensitive) == 0;
                continue;
            }
            if (!part.isEmpty())
                target = part;
        }
        if (target.isEmpty())
            target = QStringLiteral("C:\\");
        QString host = hostPathOf(target);
        if (select)
            host = QFileInfo(host).path();
        const QString opener = findHostProgram(QStringLiteral("xdg-open"));
        if (host.isEmpty() || opener.isEmpty())
            return {};
        return {opener, {host}};
    }
    if (name == QLatin1String("kv2000")) {
        QString self = m_options.selfExecutable;
        if (self.isEmpty() && QCoreApplication::instance())
            self = QCoreApplication::applicationFilePath();
        return {self, WindowsCommandLine::arguments(rest)};
    }
    if (name == QLatin1String("regedit")) {
        // Wine's registry editor would write through the prefix's registry server behind the
        // back of our own copy of the registry files, and the next save of ours would undo it.
        // The program imports .reg files itself instead.
        qCWarning(lcPosix) << "the registry editor is not started on this system";
        return {};
    }
    const QString wine = findHostProgram(QStringLiteral("wine"));
    if (wine.isEmpty())
        return {};
    return {wine, QStringList{program} + WindowsCommandLine::arguments(rest)};
}

bool WineProcesses::runAndWait(const QString& commandLine)
{
    QString program;
    QString rest;
    WindowsCommandLine::splitProgram(commandLine, &program, &rest);
    const HostCommand command = map(program, rest);
    if (command.program.isEmpty()) {
        qCWarning(lcPosix) << "no program on this system runs" << commandLine;
        return false;
    }
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setProcessEnvironment(environment());
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start();
    if (!process.waitForStarted(-1)) {
        qCWarning(lcPosix) << "cannot start" << command.program << ":" << process.errorString();
        return false;
    }
    if (QCoreApplication::instance()) {
        // Keep the window alive while the program runs, as the program always did.
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        if (process.state() != QProcess::NotRunning)
            loop.exec();
    } else {
        process.waitForFinished(-1);
    }
    return true;
}

bool WineProcesses::start(const QString& program, const QStringList& arguments)
{
    QStringList quoted;
    for (const QString& argument : arguments)
        quoted.append(WindowsCommandLine::quote(argument));
    const HostCommand command = map(program, quoted.join(QLatin1Char(' ')));
    if (command.program.isEmpty()) {
        qCWarning(lcPosix) << "no program on this system runs" << program;
        return false;
    }
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    process.setProcessEnvironment(environment());
    if (!process.startDetached()) {
        qCWarning(lcPosix) << "cannot start" << command.program;
        return false;
    }
    return true;
}

bool WineProcesses::openDocument(const QString& windowsPath)
{
    const QString host = hostPathOf(windowsPath);
    const QString opener = findHostProgram(QStringLiteral("xdg-open"));
    if (host.isEmpty() || !QFileInfo::exists(host) || opener.isEmpty()) {
        qCWarning(lcPosix) << "cannot open" << windowsPath
                           << (opener.isEmpty() ? "(no xdg-open)" : "");
        return false;
    }
    QProcess process;
    process.setProgram(opener);
    process.setArguments({host});
    return process.startDetached();
}

QString WineProcesses::mailWindowClass()
{
    // The same test that tells the two generations of the mail client apart at start-up.
    RegValue value;
    QString dll;
    if (m_registry.queryValue(
            Hive::ClassesRoot,
            QStringLiteral("CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}\\InprocServer32"),
            QString(), &value) == kErrorSuccess)
        dll = value.toString();
    if (dll.isEmpty() &&
        m_registry.queryValue(Hive::LocalMachine,
                              QStringLiteral("SOFTWARE\\Clients\\Mail\\Outlook Express"),
                              QStringLiteral("DLLPath"), &value) == kErrorSuccess)
        dll = value.toString();
    const QString file = dll.mid(dll.lastIndexOf(QLatin1Char('\\')) + 1);
    if (!file.isEmpty() && file.compare(QLatin1String("MSOE.DLL"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("ThorBrowserWndClass");
    return QStringLiteral("Outlook Express Browser Class");
}

QList<WindowInfo> WineProcesses::topLevelWindows()
{
    QList<WindowInfo> windows;
    const QList<qint64> mail = m_scanner.find(kMailExecutable);
    if (!mail.isEmpty()) {
        const QString className = mailWindowClass();
        for (const qint64 pid : mail)
            windows.append({WindowHandle(pid) << kKindBits | kMailWindow, className,
                            QStringLiteral("Outlook Express"), pid});
    }
    for (const qint64 pid : m_scanner.find(kAddressBookExecutable))
        windows.append({WindowHandle(pid) << kKindBits | kAddressBookWindow,
                        QStringLiteral("WABBrowseView"), QStringLiteral("Address Book"), pid});
    return windows;
}

bool WineProcesses::waitForEnd(qint64 pid, int timeoutMs) const
{
    QElapsedTimer timer;
    timer.start();
    while (!m_scanner.hasEnded(pid)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        if (QCoreApplication::instance())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(50);
    }
    return true;
}

bool WineProcesses::askToClose(const QString& executable) const
{
    // Wine's taskkill without /F posts WM_CLOSE to the program's windows, so the program shuts
    // down as if the user had closed it and saves what it holds.
    const QString wine = findHostProgram(QStringLiteral("wine"));
    if (wine.isEmpty())
        return false;
    QProcess taskkill;
    taskkill.setProgram(wine);
    taskkill.setArguments({QStringLiteral("taskkill"), QStringLiteral("/IM"), executable});
    taskkill.setProcessEnvironment(environment());
    taskkill.setStandardOutputFile(QProcess::nullDevice());
    taskkill.setStandardErrorFile(QProcess::nullDevice());
    taskkill.start();
    if (!taskkill.waitForFinished(m_options.closeTimeoutMs * 2)) {
        taskkill.kill();
        taskkill.waitForFinished();
        return false;
    }
    return true;
}

bool WineProcesses::closeWindow(WindowHandle window)
{
    const qint64 pid = qint64(window >> kKindBits);
    const WindowHandle kind = window & ((WindowHandle(1) << kKindBits) - 1);
    const QString executable = kind == kMailWindow          ? kMailExecutable
                               : kind == kAddressBookWindow ? kAddressBookExecutable
                                                            : QString();
    // Only a process that is still the one the window stood for: its id may have been reused.
    if (executable.isEmpty() || pid <= 0 || !m_scanner.isRunning(pid, executable))
        return false;
    if (askToClose(executable) && waitForEnd(pid, m_options.closeTimeoutMs))
        return true;
    if (!m_scanner.isRunning(pid, executable))
        return m_scanner.hasEnded(pid);
    if (::kill(pid_t(pid), SIGTERM) != 0) {
        qCWarning(lcPosix) << "cannot end process" << pid << executable;
        return false;
    }
    if (!waitForEnd(pid, m_options.closeTimeoutMs)) {
        qCWarning(lcPosix) << "process" << pid << executable << "did not end in time";
        return false;
    }
    return true;
}

} // namespace kv::platform::posix
