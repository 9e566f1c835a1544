#include "shell/GuardedRegistry.h"

#include "shell/ShellLog.h"
#include "shell/Ui.h"

namespace kv {

using namespace platform;

GuardedRegistry::GuardedRegistry(IRegistry& registry, Ui* ui, QString title)
    : m_registry(registry), m_ui(ui), m_title(std::move(title))
{
}

QString GuardedRegistry::lockedText()
{
    return QStringLiteral("Wine programs of this Windows environment are running, so settings "
                          "cannot be saved until they close.");
}

template <typename Write> WinError GuardedRegistry::write(const QString& what, Write write)
{
    for (;;) {
        const WinError error = write();
        if (error != kErrorAccessDenied || !m_registry.heldByAnotherProgram())
            return error;
        ++m_refused;
        qCWarning(lcShell) << "registry write refused while Wine runs:" << what;
        // Asked once: after Cancel the program goes on quietly and only the log keeps count.
        if (!m_ui || m_declined)
            return error;
        const QString text =
            lockedText() + QStringLiteral("\n\nClose them and choose Retry, or "
                                          "choose Cancel to go on without saving.");
        if (m_ui->messageBox(text, MsgButtons::RetryCancel, MsgIcon::Exclamation, m_title) !=
            MsgResult::Retry) {
            m_declined = true;
            return error;
        }
    }
}

WinError GuardedRegistry::openKey(Hive hive, const QString& path)
{
    return m_registry.openKey(hive, path);
}

WinError GuardedRegistry::createKey(Hive hive, const QString& path)
{
    return write(path, [&] { return m_registry.createKey(hive, path); });
}

WinError GuardedRegistry::queryValue(Hive hive, const QString& path, const QString& name,
                                     RegValue* out)
{
    return m_registry.queryValue(hive, path, name, out);
}

WinError GuardedRegistry::setValue(Hive hive, const QString& path, const QString& name,
                                   const RegValue& value)
{
    return write(path + QLatin1Char('\\') + name,
                 [&] { return m_registry.setValue(hive, path, name, value); });
}

WinError GuardedRegistry::deleteValue(Hive hive, const QString& path, const QString& name)
{
    // Removing what is not there changes nothing, so it is no reason to bother the user.
    RegValue existing;
    if (m_registry.queryValue(hive, path, name, &existing) == kErrorFileNotFound)
        return kErrorFileNotFound;
    return write(path + QLatin1Char('\\') + name,
                 [&] { return m_registry.deleteValue(hive, path, name); });
}

WinError GuardedRegistry::deleteKeyTree(Hive hive, const QString& path)
{
    if (m_registry.openKey(hive, path) == kErrorFileNotFound)
        return kErrorFileNotFound;
    return write(path, [&] { return m_registry.deleteKeyTree(hive, path); });
}

WinError GuardedRegistry::enumSubKeys(Hive hive, const QString& path, QStringList* names)
{
    return m_registry.enumSubKeys(hive, path, names);
}

WinError GuardedRegistry::enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values)
{
    return m_registry.enumValues(hive, path, values);
}

WinError GuardedRegistry::flush()
{
    return write(QStringLiteral("(flush)"), [&] { return m_registry.flush(); });
}

} // namespace kv
