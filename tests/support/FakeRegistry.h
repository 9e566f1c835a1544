#pragma once

#include "platform/posix/WineRegistry.h"

#include <QTemporaryDir>

namespace kv::test {

// The prefix's registry of an empty scratch prefix, kept in memory (it never writes its files),
// with a switch that refuses every change; RegistryContractTest holds it to the writing one.
class FakeRegistry : public platform::IRegistry
{
    using Hive = platform::Hive;
    using WinError = platform::WinError;

public:
    FakeRegistry() { m_real.setWriteThrough(false); }
    WinError openKey(Hive hive, const QString& path) override { return real().openKey(hive, path); }
    WinError createKey(Hive hive, const QString& path) override
    {
        return m_readOnly ? refuseWrite() : real().createKey(hive, path);
    }
    WinError queryValue(Hive hive, const QString& path, const QString& name,
                        platform::RegValue* out) override
    {
        return real().queryValue(hive, path, name, out);
    }
    WinError setValue(Hive hive, const QString& path, const QString& name,
                      const platform::RegValue& value) override
    {
        return m_readOnly ? refuseWrite() : real().setValue(hive, path, name, value);
    }
    WinError deleteValue(Hive hive, const QString& path, const QString& name) override
    {
        return m_readOnly ? refuseWrite() : real().deleteValue(hive, path, name);
    }
    WinError deleteKeyTree(Hive hive, const QString& path) override
    {
        return m_readOnly ? refuseWrite() : real().deleteKeyTree(hive, path);
    }
    WinError enumSubKeys(Hive hive, const QString& path, QStringList* names) override
    {
        return real().enumSubKeys(hive, path, names);
    }
    WinError enumValues(Hive hive, const QString& path,
                        QList<platform::RegNamedValue>* values) override
    {
        return real().enumValues(hive, path, values);
    }
    WinError flush() override { return m_readOnly ? refuseWrite() : platform::kErrorSuccess; }
    QString lastErrorText() const override
    {
        return m_refused ? QStringLiteral("The registry is read-only in this test.")
                         : m_real.lastErrorText();
    }

    // Shorthands for arranging a test; they write even when the registry is read-only.
    void setString(Hive hive, const QString& path, const QString& name, const QString& text)
    {
        arrange(hive, path, name, platform::RegValue::fromString(text));
    }
    void setDword(Hive hive, const QString& path, const QString& name, quint32 value)
    {
        arrange(hive, path, name, platform::RegValue::fromDword(value));
    }
    QString string(Hive hive, const QString& path, const QString& name)
    {
        platform::RegValue value;
        return queryValue(hive, path, name, &value) == platform::kErrorSuccess ? value.toString()
                                                                               : QString();
    }

    // Every change fails with kErrorAccessDenied, as while Wine runs on the prefix.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

private:
    platform::posix::WineRegistry& real()
    {
        m_refused = false;
        return m_real;
    }
    WinError refuseWrite()
    {
        m_refused = true;
        return platform::kErrorAccessDenied;
    }
    void arrange(Hive hive, const QString& path, const QString& name,
                 const platform::RegValue& value)
    {
        const bool readOnly = std::exchange(m_readOnly, false);
        setValue(hive, path, name, value);
        m_readOnly = readOnly;
    }

    QTemporaryDir m_dir; // not TempDir: the fuzz targets link no test framework
    platform::posix::WineRegistry m_real{platform::posix::WinePrefix(m_dir.path())};
    bool m_readOnly = false;
    bool m_refused = false;
};

} // namespace kv::test
