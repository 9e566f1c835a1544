#pragma once

#include "platform/IRegistry.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

// A key below which an import may write: the key itself and every key under it.
struct RegistryKeyPrefix
{
    platform::Hive hive = platform::Hive::CurrentUser;
    QString path; // "" allows the whole hive
};

struct RegistryImportResult
{
    int keysWritten = 0;
    int keysDeleted = 0;
    int valuesWritten = 0;
    int valuesDeleted = 0;
    // Key sections outside the allowed keys, each skipped whole with its values.
    int refusedKeys = 0;
    // Value lines with no key section to belong to.
    int refusedValues = 0;
    int damagedLines = 0;
    // The first failure of the registry (the import stopped there) or kErrorInvalidData for a
    // text that is no registry script (nothing imported), with a sentence for the user.
    platform::WinError error = platform::kErrorSuccess;
    QString errorText;
    // "Line 12: ..." for each refusal and damaged line, the first hundred of them.
    QStringList problems;

    bool ok() const { return error == platform::kErrorSuccess; }
};

// Reads a registry script as the registry editor imports it and writes it into the registry:
// "REGEDIT4" files in the ANSI code page, and "Windows Registry Editor Version 5.00" files in
// UTF-16LE with a byte-order mark. A script taken from an archive may name any key, so only
// the allowed keys are written; everything else is refused and counted. A half-done import
// after a registry failure is left for the caller to undo.
class RegistryImport
{
public:
    RegistryImport(platform::IRegistry& registry, QList<RegistryKeyPrefix> allowed);

    RegistryImportResult run(const QByteArray& script);

    // Is the key one of the allowed ones or below one, comparing whole path components?
    bool isAllowed(platform::Hive hive, const QString& path) const;

private:
    platform::IRegistry& m_registry;
    QList<RegistryKeyPrefix> m_allowed;
};

} // namespace kv
