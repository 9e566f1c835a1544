#pragma once

#include "platform/IRegistry.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv::test {

// An in-memory registry for tests. Keys and value names are matched without regard to case and
// keep the spelling they were created with; subkeys and values enumerate in creation order.
// HKEY_CLASSES_ROOT is a view of HKLM\Software\Classes, as it is in a Wine prefix.
class FakeRegistry : public platform::IRegistry
{
public:
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

    // Shorthands for arranging a test.
    void setString(platform::Hive hive, const QString& path, const QString& name,
                   const QString& text);
    void setDword(platform::Hive hive, const QString& path, const QString& name, quint32 value);
    // The text of a string value, or "" when it is missing.
    QString string(platform::Hive hive, const QString& path, const QString& name);

    // Makes every change (and flush) fail with kErrorAccessDenied, as a store that cannot be
    // written does; reads keep working.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    int flushCount() const { return m_flushCount; }

private:
    struct Key
    {
        QString name; // as created
        QList<platform::RegNamedValue> values;
        QStringList children; // lower-case full paths, in creation order
    };

    // The lookup key of a path: hive number + lower-case path without empty components.
    // HKCR is folded into HKLM\Software\Classes.
    struct Location
    {
        QString id;        // hive number + "|" + lower-case components joined by "\"
        QStringList names; // the components as spelled by the caller, from the hive's root
        int hiveNumber = 0;
    };
    static Location locate(platform::Hive hive, const QString& path);
    Key* find(platform::Hive hive, const QString& path);
    Key* create(const Location& where);
    platform::WinError refuseWrite();
    void removeTree(const QString& id);

    QHash<QString, Key> m_keys;
    bool m_readOnly = false;
    int m_flushCount = 0;
    QString m_lastErrorText;
};

} // namespace kv::test
