#pragma once

#include "platform/IRegistry.h"

namespace kv {

class Ui;

// The registry as the program writes its settings: a write refused because Wine programs of
// the environment are running is logged, and the user is told once, with Retry, instead of the
// setting being lost without a word. Everything else passes through unchanged.
class GuardedRegistry : public platform::IRegistry
{
public:
    // ui may be null: refusals are then only logged and counted (the caller reports them).
    GuardedRegistry(platform::IRegistry& registry, Ui* ui, QString title);

    // What the user is told, also the command line's message when a command must write.
    static QString lockedText();

    // Writes refused so far because another program held the registry.
    int refusedWrites() const { return m_refused; }

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
    QString lastErrorText() const override { return m_registry.lastErrorText(); }
    bool heldByAnotherProgram() const override { return m_registry.heldByAnotherProgram(); }

private:
    template <typename Write> platform::WinError write(const QString& what, Write write);

    platform::IRegistry& m_registry;
    Ui* m_ui;
    QString m_title;
    int m_refused = 0;
    bool m_declined = false;
};

} // namespace kv
