#pragma once

#include "platform/IProcesses.h"

namespace kv::test {

// Top-level windows and started programs for tests. A window asked to close goes away unless
// it was added as stubborn; every request is recorded.
class FakeProcesses : public platform::IProcesses
{
public:
    bool runAndWait(const QString& commandLine) override { return recordStart(commandLine); }
    bool start(const QString& program, const QStringList& arguments) override
    {
        return recordStart((QStringList{program} + arguments).join(u' '));
    }
    bool openDocument(const QString& path) override
    {
        return recordStart(QStringLiteral("open ") + path);
    }
    QList<platform::WindowInfo> topLevelWindows() override { return m_windows; }
    bool closeWindow(platform::WindowHandle window) override
    {
        m_closeRequests.append(window);
        if (m_stubborn.contains(window))
            return true;
        return m_windows.removeIf([&](const auto& w) { return w.handle == window; }) > 0;
    }

    platform::WindowHandle addWindow(const QString& className, const QString& title,
                                     bool stubborn = false)
    {
        const platform::WindowHandle handle = m_next++;
        m_windows.append({handle, className, title, 1000 + qint64(handle)});
        if (stubborn)
            m_stubborn.append(handle);
        return handle;
    }
    const QList<platform::WindowHandle>& closeRequests() const { return m_closeRequests; }
    const QStringList& started() const { return m_started; }

private:
    bool recordStart(const QString& commandLine)
    {
        m_started.append(commandLine);
        return true;
    }

    QList<platform::WindowInfo> m_windows;
    QList<platform::WindowHandle> m_stubborn;
    QList<platform::WindowHandle> m_closeRequests;
    QStringList m_started;
    platform::WindowHandle m_next = 0x100;
};

} // namespace kv::test
