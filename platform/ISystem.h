#pragma once

#include <QDateTime>
#include <QString>

namespace kv::platform {

struct WindowsVersion
{
    quint32 major = 4;
    quint32 minor = 10;
    quint32 build = 2222;
    quint32 platformId = 1; // 1 = Windows 9x, 2 = NT family
    QString csdVersion;
    bool isNt() const { return platformId == 2; }
};

// The Windows system: user, folders, environment, version and the clock.
class ISystem
{
public:
    virtual ~ISystem() = default;

    virtual QString userName() = 0;             // GetUserName
    virtual QString windowsDirectory() = 0;     // "C:\windows", no trailing "\"
    virtual QString systemDirectory() = 0;      // "C:\windows\system32" (or "system" on 9x)
    virtual QString tempPath() = 0;             // GetTempPath: with a trailing "\"
    virtual QString environmentVariable(const QString& name) = 0; // "" when unset
    // ExpandEnvironmentStrings: %NAME% replaced by its value; unknown names left as they are.
    virtual QString expandEnvironmentStrings(const QString& text) = 0;
    virtual WindowsVersion windowsVersion() = 0;
    // The folder of the program's executable inside the Windows environment, no trailing "\".
    virtual QString programFolder() = 0;
    virtual QDateTime now() = 0; // local time
};

} // namespace kv::platform
