#include "support/FakeProcesses.h"

namespace kv::test {

using namespace kv::platform;

bool FakeProcesses::runAndWait(const QString& commandLine)
{
    m_started.append(commandLine);
    return true;
}

bool FakeProcesses::start(const QString& program, const QStringList& arguments)
{
    m_started.append((QStringList{program} + arguments).join(QLatin1Char(' ')));
    return true;
}

bool FakeProcesses::openDocument(const QString& windowsPath)
{
    m_started.append(QStringLiteral("open ") + windowsPath);
    return true;
}

bool FakeProcesses::closeWindow(WindowHandle window)
{
    m_closeRequests.append(window);
    if (m_stubborn.contains(window))
        return true;
    const auto it = std::find_if(m_windows.begin(), m_windows.end(),
                                 [&](const WindowInfo& w) { return w.handle == window; });
    if (it == m_windows.end())
        return false;
    m_windows.erase(it);
    return true;
}

WindowHandle FakeProcesses::addWindow(const QString& className, const QString& title, bool stubborn)
{
    const WindowHandle handle = m_next++;
    m_windows.append(WindowInfo{handle, className, title, 1000 + qint64(handle)});
    if (stubborn)
        m_stubborn.append(handle);
    return handle;
}

} // namespace kv::test
