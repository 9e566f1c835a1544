#include "shell/AppSettings.h"

#include "shell/ShellLog.h"

#include "platform/IRegistry.h"

namespace kv {

using namespace kv::platform;

namespace {

// "*" names the key's unnamed value.
QString valueName(const QString& key)
{
    return key == QLatin1String("*") ? QString() : key;
}

} // namespace

AppSettings::AppSettings(IRegistry& registry)
    : m_registry(registry), m_company(QString::fromLatin1(kDefaultCompany)),
      m_appName(QString::fromLatin1(kProductName))
{
}

void AppSettings::setCompany(const QString& company)
{
    const QString t = company.trimmed();
    m_company = t.isEmpty() ? QString::fromLatin1(kDefaultCompany) : t;
}

void AppSettings::setAppName(const QString& appName)
{
    const QString t = appName.trimmed();
    m_appName = t.isEmpty() ? QString::fromLatin1(kProductName) : t;
}

QString AppSettings::keyPath(const QString& section) const
{
    QString path = QStringLiteral("Software\\") + m_company + QLatin1Char('\\') + m_appName;
    if (!section.isEmpty())
        path += QLatin1Char('\\') + section;
    return path;
}

bool AppSettings::deleteSetting(const QString& section, const QString& key)
{
    WinError rc;
    if (key.isEmpty()) {
        // An empty section would name the application key itself; deleting every setting of
        // every identity is never what a caller means.
        if (section.isEmpty()) {
            qCWarning(lcShell) << "refusing to delete the application key";
            return false;
        }
        rc = m_registry.deleteKeyTree(Hive::CurrentUser, keyPath(section));
    } else {
        rc = m_registry.deleteValue(Hive::CurrentUser, keyPath(section), valueName(key));
    }
    if (rc != kErrorSuccess && rc != kErrorFileNotFound)
        qCWarning(lcShell) << "cannot delete setting" << section << key << "error" << rc;
    return rc == kErrorSuccess;
}

QString AppSettings::getSetting(const QString& section, const QString& key,
                                const QString& defaultValue)
{
    RegValue value;
    const WinError rc =
        m_registry.queryValue(Hive::CurrentUser, keyPath(section), valueName(key), &value);
    if (rc != kErrorSuccess) {
        if (rc != kErrorFileNotFound)
            qCWarning(lcShell) << "cannot read setting" << section << key << "error" << rc;
        return defaultValue;
    }
    QString text;
    if (value.isString())
        text = value.toString();
    else if (value.type == kRegDword)
        text = QString::number(value.toDword());
    else
        return defaultValue; // not something a setting was ever written as
    return text.isEmpty() ? defaultValue : text;
}

bool AppSettings::saveSetting(const QString& section, const QString& key, const QString& value)
{
    const WinError rc = m_registry.setValue(Hive::CurrentUser, keyPath(section), valueName(key),
                                            RegValue::fromString(value));
    if (rc != kErrorSuccess) {
        qCWarning(lcShell) << "cannot save setting" << section << key << "error" << rc
                           << m_registry.lastErrorText();
        return false;
    }
    return true;
}

QString AppSettings::get(const SettingDef& setting, const QString& settingsSection)
{
    return getSetting(sectionFor(setting, settingsSection), setting.keyName(),
                      setting.defaultText());
}

bool AppSettings::save(const SettingDef& setting, const QString& settingsSection,
                       const QString& value)
{
    return saveSetting(sectionFor(setting, settingsSection), setting.keyName(), value);
}

bool AppSettings::remove(const SettingDef& setting, const QString& settingsSection)
{
    return deleteSetting(sectionFor(setting, settingsSection), setting.keyName());
}

} // namespace kv
