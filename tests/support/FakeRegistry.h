#pragma once

#include "platform/IRegistry.h"
#include "platform/posix/WineRegKey.h"

namespace kv::test {

// An in-memory registry for tests, shaped as a Wine prefix's: HKCR is HKLM\Software\Classes,
// HKCC HKLM's current hardware profile, HKU holds ".Default" and the user's SID (HKCU), and
// HKEY_DYN_DATA does not exist. Names are matched without regard to case and keep the spelling
// they were created with; keys and values enumerate in Wine's order (sorted without case).
class FakeRegistry : public platform::IRegistry
{
public:
    static constexpr const char* kUserSid = "S-1-5-21-0-0-0-1000";

    FakeRegistry();

    platform::WinError openKey(platform::Hive hive, const QString& path) override;
    platform::WinError createKey(platform::Hive hive, const QString& path) override;
    platform::WinError queryValue(platform::Hive hive, const QString& path, const QString& name,
                                  platform::RegValue* out) override;
    platform::WinError setValue(platform::Hive hive, const QString& path, const QString& name,
                                const platform::RegValue& value) override;
    platform::WinError deleteValue(platform::Hive hive, const QString& path,
                                   const QString& name) override;
    platform::WinError deleteKeyTree(platform::Hive hive, const QString& path) override;
    platform::WinError enumSubKeys(platform::Hive hive, const QString& path,
                                   QStringList* names) override;
    platform::WinError enumValues(platform::Hive hive, const QString& path,
                                  QList<platform::RegNamedValue>* values) override;
    platform::WinError flush() override;
    QString lastErrorText() const override { return m_lastErrorText; }

    // Shorthands for arranging a test; they write even when the registry is read-only.
    void setString(platform::Hive hive, const QString& path, const QString& name,
                   const QString& text)
    {
        arrange(hive, path, name, platform::RegValue::fromString(text));
    }
    void setDword(platform::Hive hive, const QString& path, const QString& name, quint32 value)
    {
        arrange(hive, path, name, platform::RegValue::fromDword(value));
    }
    // The text of a string value, or "" when it is missing.
    QString string(platform::Hive hive, const QString& path, const QString& name);

    // Makes every change (and flush) fail with kErrorAccessDenied, as a registry that cannot be
    // written does (Wine running on the prefix); reads keep working.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int flushCount() const { return m_flushCount; }

private:
    using Key = platform::posix::WineRegKey;
    // The key a path names; null with success for the root of HKU, which holds no values.
    platform::WinError resolve(platform::Hive hive, const QString& path, bool create, Key** out);
    platform::WinError fail(platform::WinError error, const QString& text);
    platform::WinError refuseWrite();
    void arrange(platform::Hive hive, const QString& path, const QString& name,
                 const platform::RegValue& value);

    Key m_machine{QString(), nullptr, 0};
    Key m_user{QString(), nullptr, 0};
    Key m_userDefault{QString(), nullptr, 0};
    Key m_empty{QString(), nullptr, 0};
    bool m_readOnly = false;
    int m_flushCount = 0;
    QString m_lastErrorText;
};

} // namespace kv::test
