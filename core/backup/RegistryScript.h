#pragma once

#include "platform/IRegistry.h"

#include <QByteArray>
#include <QString>

namespace kv {

// Writes a registry key as a script in the registry editor's version-4 format ("REGEDIT4", a
// blank line, then per key one bracketed full key line followed by its name=value lines and a
// blank line), with that format's escapes and its dword:, hex: and hex(n): forms, lines ended by
// CR LF, text in the ANSI code page. The result imports back into the registry unchanged.
class RegistryScript
{
public:
    // The script of one key, with all its subkeys when withSubkeys is set. Empty when the key
    // does not exist.
    static QByteArray exportKey(platform::IRegistry& registry, platform::Hive hive,
                                const QString& keyPath, bool withSubkeys);
};

} // namespace kv
