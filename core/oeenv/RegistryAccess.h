#pragma once

#include "platform/IRegistry.h"

#include <QString>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// Registry access by root name ("HKCU", "HKLM", ...), the way every part of the program reads
// and writes the mail client's configuration. A root name that is the path of an existing
// file serves the call from that private profile file instead (section = key path, key =
// value name). Every call returns 0 or a Win32 error code and leaves its result argument
// untouched on failure, so the caller's prior value acts as the default.
class RegistryAccess
{
public:
    // Returned when the root names neither a hive nor an existing file.
    static constexpr long kInvalidRoot = 99;

    enum class RootKind
    {
        Invalid,
        Hive,
        ProfileFile
    };

    RegistryAccess(platform::IRegistry& registry, platform::IFileSystem& files);

    RootKind lookupRoot(const QString& root, platform::Hive* hive = nullptr) const;

    // Type codes "S" (string), "B" (Boolean in two bytes), "D" (32-bit number), any case.
    long readString(const QString& root, const QString& key, const QString& name, QString* result);
    long readBool(const QString& root, const QString& key, const QString& name, bool* result);
    long readDword(const QString& root, const QString& key, const QString& name, quint32* result);
    // The generic form: the type code chooses which of the three result fields is used.
    struct Value
    {
        QString text;
        bool flag = false;
        quint32 number = 0;
    };
    long readValue(const QString& root, const QString& key, const QString& name,
                   const QString& type, Value* result);

    long writeString(const QString& root, const QString& key, const QString& name,
                     const QString& value);
    long writeBool(const QString& root, const QString& key, const QString& name, bool value);
    long writeDword(const QString& root, const QString& key, const QString& name, quint32 value);
    long writeValue(const QString& root, const QString& key, const QString& name,
                    const QString& type, const Value& value);

    // Appends each subkey name followed by the character 0, then one more character 0.
    long enumSubKeys(const QString& root, const QString& key, QString* list);

    platform::IRegistry& registry() { return m_registry; }

private:
    platform::IRegistry& m_registry;
    platform::IFileSystem& m_files;
};

} // namespace kv
