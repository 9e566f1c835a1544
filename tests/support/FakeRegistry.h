#pragma once

#include "platform/IRegistry.h"
#include "platform/posix/WineRegKey.h"

namespace kv::test {

// An in-memory registry shaped as a Wine prefix's; RegistryContractTest holds it to the real one.
class FakeRegistry : public platform::IRegistry
{
    using Hive = platform::Hive;
    using WinError = platform::WinError;

public:
    WinError openKey(Hive hive, const QString& path) override;
    WinError createKey(Hive hive, const QString& path) override;
    WinError queryValue(Hive hive, const QString& path, const QString& name,
                        platform::RegValue* out) override;
    WinError setValue(Hive hive, const QString& path, const QString& name,
                      const platform::RegValue& value) override;
    WinError deleteValue(Hive hive, const QString& path, const QString& name) override;
    WinError deleteKeyTree(Hive hive, const QString& path) override;
    WinError enumSubKeys(Hive hive, const QString& path, QStringList* names) override;
    WinError enumValues(Hive hive, const QString& path,
                        QList<platform::RegNamedValue>* values) override;
    WinError flush() override { return m_readOnly ? refuseWrite() : platform::kErrorSuccess; }
    QString lastErrorText() const override { return m_lastErrorText; }

    // Shorthands for arranging a test; they write even when the registry is read-only.
    void setString(Hive hive, const QString& path, const QString& name, const QString& text)
    {
        arrange(hive, path, name, platform::RegValue::fromString(text));
    }
    void setDword(Hive hive, const QString& path, const QString& name, quint32 value)
    {
        arrange(hive, path, name, platform::RegValue::fromDword(value));
    }
    QString string(Hive hive, const QString& path, const QString& name);

    // Every change fails with kErrorAccessDenied, as while Wine runs on the prefix.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

private:
    using Key = platform::posix::WineRegKey;
    // Null with success for the root of HKU, which holds no values.
    WinError resolve(Hive hive, const QString& path, bool create, Key** out);
    WinError fail(WinError error, const QString& text);
    WinError refuseWrite();
    void arrange(Hive hive, const QString& path, const QString& name,
                 const platform::RegValue& value);

    Key m_machine{QString(), nullptr, 0};
    Key m_user{QString(), nullptr, 0};
    Key m_userDefault{QString(), nullptr, 0};
    Key m_empty{QString(), nullptr, 0};
    bool m_readOnly = false;
    QString m_lastErrorText;
};

} // namespace kv::test
