#pragma once

#include "platform/RegValue.h"
#include "platform/WinError.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform {

enum class Hive
{
    CurrentUser,   // HKEY_CURRENT_USER
    LocalMachine,  // HKEY_LOCAL_MACHINE
    Users,         // HKEY_USERS
    CurrentConfig, // HKEY_CURRENT_CONFIG
    DynData,       // HKEY_DYN_DATA (Windows 9x only)
    ClassesRoot,   // HKEY_CLASSES_ROOT
};

// "HKEY_CURRENT_USER", ...: the hive's full name, as registry scripts and messages spell it.
inline QString hiveName(Hive hive)
{
    switch (hive) {
    case Hive::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case Hive::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case Hive::Users:
        return QStringLiteral("HKEY_USERS");
    case Hive::CurrentConfig:
        return QStringLiteral("HKEY_CURRENT_CONFIG");
    case Hive::DynData:
        return QStringLiteral("HKEY_DYN_DATA");
    case Hive::ClassesRoot:
        return QStringLiteral("HKEY_CLASSES_ROOT");
    }
    return QStringLiteral("(unknown hive)");
}

// The Windows registry. Key paths are relative to the hive, "\"-separated, matched without
// regard to case; an empty path is the hive's root. Every call returns a Win32 error code
// (kErrorSuccess, kErrorFileNotFound for a missing key or value, kErrorAccessDenied when the
// store cannot be written, kErrorBadDb when it is damaged, ...); out-arguments are left
// untouched on failure.
class IRegistry
{
public:
    virtual ~IRegistry() = default;

    // Does the key exist (RegOpenKeyEx for query)?
    virtual WinError openKey(Hive hive, const QString& path) = 0;
    // Creates the key and any missing parents (RegCreateKeyEx).
    virtual WinError createKey(Hive hive, const QString& path) = 0;
    virtual WinError queryValue(Hive hive, const QString& path, const QString& name,
                                RegValue* out) = 0;
    // Creates the key when missing, then sets the value.
    virtual WinError setValue(Hive hive, const QString& path, const QString& name,
                              const RegValue& value) = 0;
    virtual WinError deleteValue(Hive hive, const QString& path, const QString& name) = 0;
    // Deletes the key with all its subkeys (SHDeleteKey / RegDeleteTree).
    virtual WinError deleteKeyTree(Hive hive, const QString& path) = 0;
    // Subkey names in the store's order.
    virtual WinError enumSubKeys(Hive hive, const QString& path, QStringList* names) = 0;
    virtual WinError enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values) = 0;

    // Makes pending changes durable. Implementations may write on every change; this is the
    // point where a failure to write is reported at the latest.
    virtual WinError flush() = 0;

    // A sentence for the user explaining the last failure, e.g. why the registry is read-only.
    virtual QString lastErrorText() const = 0;

    // True while another program owns the store and every write is refused with
    // kErrorAccessDenied until it ends (a running wineserver): waiting helps, nothing else does.
    virtual bool heldByAnotherProgram() const { return false; }
};

} // namespace kv::platform
