#pragma once

#include "platform/IProcesses.h"

namespace kv::test {

// Top-level windows and started programs for tests. A window asked to close goes away unless
// it was added as stubborn; every request is recorded.
class FakeProcesses : public platform::IProcesses
{
public:
    bool runAndWait(const QString& commandLine) override;
    bool start(const QString& program, const QStringList& arguments) override;
    bool openDocument(const QString& windowsPath) override;
    QList<platform::WindowInfo> topLevelWindows() override { return m_windows; }
    bool closeWindow(platform::WindowHandle window) override;

    platform::WindowHandle addWindow(const QString& className, const QString& title,
                                     bool stubborn = false);
    const QList<platform::WindowHandle>& closeRequests() const { return m_closeRequests; }
    const QStringList& started() const { return m_started; }

private:
    QList<platform::WindowInfo> m_windows;
    QList<platform::WindowHandle> m_stubborn;
    QList<platform::WindowHandle> m_closeRequests;
    QStringList m_started;
    platform::WindowHandle m_next = 0x100;
};

} // namespace kv::test
