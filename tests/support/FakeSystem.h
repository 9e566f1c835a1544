#pragma once

#include "platform/ISystem.h"
#include "platform/posix/WineSystem.h"

#include <QMap>

namespace kv::test {

// A Windows system for tests: every answer is a field the test sets. Environment variables
// compare without regard to case, as Windows compares them.
class FakeSystem : public platform::ISystem
{
public:
    QString userName() override { return m_userName; }
    QString windowsDirectory() override { return QStringLiteral("C:\\windows"); }
    QString systemDirectory() override { return QStringLiteral("C:\\windows\\system32"); }
    QString tempPath() override { return m_tempPath; }
    QString environmentVariable(const QString& name) override
    {
        return m_variables.value(name.toUpper());
    }
    QString expandEnvironmentStrings(const QString& text) override
    {
        return platform::posix::WineSystem::expand(text, m_variables);
    }
    platform::WindowsVersion windowsVersion() override { return m_version; }
    QString programFolder() override { return QStringLiteral("C:\\Program Files\\Korvane"); }
    QDateTime now() override { return QDateTime(QDate(2026, 12, 6), QTime(10, 30)); }

    void setUserName(const QString& name) { m_userName = name; }
    void setVariable(const QString& name, const QString& value)
    {
        m_variables.insert(name.toUpper(), value);
    }
    void setVersion(const platform::WindowsVersion& version) { m_version = version; }
    void setTempPath(const QString& path) { m_tempPath = path; }

private:
    QString m_tempPath = QStringLiteral("C:\\windows\\temp\\");
    QString m_userName = QStringLiteral("tester");
    QMap<QString, QString> m_variables; // upper-case name -> value
    platform::WindowsVersion m_version;
};

} // namespace kv::test
