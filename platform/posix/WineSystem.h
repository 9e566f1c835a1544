#pragma once

#include "platform/IRegistry.h"
#include "platform/ISystem.h"

#include <QMap>

#include <functional>
#include <optional>

namespace kv::platform::posix {

// The Windows system of a Wine prefix, laid out as Wine lays it out: the user's profile is
// C:\users\<name>, the Windows folder C:\windows, and the reported version is the one the
// prefix is configured for (Windows 7 when nothing is set).
class WineSystem : public ISystem
{
public:
    using Clock = std::function<QDateTime()>;

    // programFolder: the program's folder as a Windows path ("" for C:\Program Files\Korvane).
    // userName: "" for the host's user, as Wine takes it.
    WineSystem(IRegistry& registry, QString programFolder = {}, Clock clock = {},
               QString userName = {});

    QString userName() override;
    QString windowsDirectory() override;
    QString systemDirectory() override;
    QString tempPath() override;
    QString environmentVariable(const QString& name) override;
    QString expandEnvironmentStrings(const QString& text) override;
    WindowsVersion windowsVersion() override;
    QString programFolder() override;
    QDateTime now() override;

    // The version of one of Wine's version names ("win98", "winxp", ...).
    static std::optional<WindowsVersion> versionNamed(const QString& name);
    // ExpandEnvironmentStrings over a given set of variables (keys upper-case).
    static QString expand(const QString& text, const QMap<QString, QString>& variables);

private:
    // The variables a process of the prefix starts with, keys upper-case; built on each call so
    // that registry changes show at once, as they do for a newly started Windows process.
    QMap<QString, QString> environment();
    QString shellFolder(const QString& name, const QString& fallback);
    QString profileFolder();

    IRegistry& m_registry;
    QString m_programFolder;
    Clock m_clock;
    QString m_userName;
};

} // namespace kv::platform::posix
