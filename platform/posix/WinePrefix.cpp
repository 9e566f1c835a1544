#include "platform/posix/WinePrefix.h"

#include <QDir>
#include <QFileInfo>

namespace kv::platform::posix {

WinePrefix::WinePrefix(QString folder) : m_folder(QDir::cleanPath(std::move(folder))) {}

QString WinePrefix::systemRegPath() const { return m_folder + QStringLiteral("/system.reg"); }
QString WinePrefix::userRegPath() const { return m_folder + QStringLiteral("/user.reg"); }
QString WinePrefix::userDefRegPath() const { return m_folder + QStringLiteral("/userdef.reg"); }
QString WinePrefix::dosDevicesPath() const { return m_folder + QStringLiteral("/dosdevices"); }

bool WinePrefix::looksValid() const
{
    return QFileInfo(m_folder).isDir() &&
           (QFileInfo::exists(systemRegPath()) || QFileInfo(dosDevicesPath()).isDir());
}

QString WinePrefix::defaultFolder()
{
    const QString env = qEnvironmentVariable("WINEPREFIX");
    if (!env.isEmpty())
        return env;
    return QDir::homePath() + QStringLiteral("/.wine");
}

} // namespace kv::platform::posix
