#pragma once

#include "shell/SettingsTable.h"

#include <QString>

namespace kv::platform {
class IRegistry;
}

namespace kv {

// The program's own settings: string values under the current user's
// "Software\<Company>\<AppName>[\<section>]" key. Reads fall back to a default and writes
// report a Boolean; nothing here fails loudly, because a lost preference must never stop a
// backup or restore.
class AppSettings
{
public:
    static constexpr const char* kDefaultCompany = "Tarnworks";
    static constexpr const char* kProductName = "Korvane 2000";

    explicit AppSettings(platform::IRegistry& registry);
    virtual ~AppSettings() = default;

    // Trimmed; empty restores the default.
    void setCompany(const QString& company);
    const QString& company() const { return m_company; }
    void setAppName(const QString& appName);
    const QString& appName() const { return m_appName; }

    // With a key, deletes that value ("*" is the key's default value); with an empty key,
    // deletes the whole section with everything below it.
    virtual bool deleteSetting(const QString& section, const QString& key);
    // The stored text; the default when the key or value is missing or empty, or on any error.
    virtual QString getSetting(const QString& section, const QString& key,
                               const QString& defaultValue);
    // Writes a string value, creating the section when needed.
    virtual bool saveSetting(const QString& section, const QString& key, const QString& value);

    // "Software\Company\AppName", plus "\section" when the section is not empty.
    QString keyPath(const QString& section) const;

    // The same operations through the settings table.
    QString get(const SettingDef& setting, const QString& settingsSection);
    bool save(const SettingDef& setting, const QString& settingsSection, const QString& value);
    bool remove(const SettingDef& setting, const QString& settingsSection);

private:
    platform::IRegistry& m_registry;
    QString m_company;
    QString m_appName;
};

} // namespace kv
