#pragma once

#include <QString>

namespace kv::platform::posix {

// A Wine prefix on the host: the folder that holds a Windows environment (its registry files
// system.reg, user.reg and userdef.reg, and its drives under dosdevices/).
class WinePrefix
{
public:
    explicit WinePrefix(QString folder);

    const QString& folder() const { return m_folder; }
    QString systemRegPath() const;  // HKEY_LOCAL_MACHINE
    QString userRegPath() const;    // HKEY_CURRENT_USER
    QString userDefRegPath() const; // HKEY_USERS\.Default
    QString dosDevicesPath() const;

    // A folder that looks like a prefix: it exists and holds system.reg or dosdevices/.
    bool looksValid() const;

    // The prefix named by $WINEPREFIX, else ~/.wine.
    static QString defaultFolder();

private:
    QString m_folder;
};

} // namespace kv::platform::posix
