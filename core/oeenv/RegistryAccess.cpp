#include "oeenv/RegistryAccess.h"

#include "oeenv/OeEnvLog.h"
#include "platform/Ansi.h"
#include "shell/ProfileFile.h"

#include "platform/IFileSystem.h"

namespace kv {

using namespace kv::platform;

namespace {

constexpr int kProfileBufferChars = 255;

enum class TypeCode
{
    Invalid,
    String,
    Bool,
    Dword
};

TypeCode typeCode(const QString& type)
{
    const QString t = type.toUpper();
    if (t == QLatin1String("S"))
        return TypeCode::String;
    if (t == QLatin1String("B"))
        return TypeCode::Bool;
    if (t == QLatin1String("D"))
        return TypeCode::Dword;
    return TypeCode::Invalid;
}

struct RootName
{
    const char* name;
    Hive hive;
};

constexpr RootName kRoots[] = {
    {"HKCU", Hive::CurrentUser},   {"HKLM", Hive::LocalMachine}, {"HKU", Hive::Users},
    {"HKCC", Hive::CurrentConfig}, {"HKDD", Hive::DynData},      {"HKCR", Hive::ClassesRoot},
};

} // namespace

RegistryAccess::RegistryAccess(IRegistry& registry, IFileSystem& files)
    : m_registry(registry), m_files(files)
{
}

RegistryAccess::RootKind RegistryAccess::lookupRoot(const QString& root, Hive* hive) const
{
    for (const RootName& r : kRoots) {
        if (root.compare(QLatin1String(r.name), Qt::CaseInsensitive) == 0) {
            if (hive)
                *hive = r.hive;
            return RootKind::Hive;
        }
    }
    // Only a plain path to an existing file; a wildcard would make a directory search
    // "find" a file that no profile call could then open.
    if (root.trimmed().isEmpty() || root.contains(u'*') || root.contains(u'?'))
        return RootKind::Invalid;
    FileEntry entry;
    if (m_files.stat(root, &entry) && !entry.isDirectory())
        return RootKind::ProfileFile;
    return RootKind::Invalid;
}

long RegistryAccess::readValue(const QString& root, const QString& key, const QString& name,
                               const QString& type, Value* result)
{
    Hive hive = Hive::CurrentUser;
    const RootKind kind = lookupRoot(root, &hive);
    if (kind == RootKind::Invalid)
        return kInvalidRoot;
    const TypeCode code = typeCode(type);
    if (code == TypeCode::Invalid)
        return kErrorInvalidParameter;

    if (kind == RootKind::ProfileFile) {
        WinError rc = kErrorSuccess;
        const std::optional<ProfileFile> profile = ProfileFile::load(m_files, root, &rc);
        if (!profile)
            return rc;
        if (code == TypeCode::String)
            result->text = profile->getString(key, name, result->text, kProfileBufferChars);
        else if (code == TypeCode::Bool)
            result->flag = profile->getInt(key, name, 0) != 0;
        else
            result->number = quint32(profile->getInt(key, name, 0));
        return kErrorSuccess;
    }

    RegValue value;
    const WinError rc = m_registry.queryValue(hive, key, name, &value);
    if (rc != kErrorSuccess)
        return rc;
    switch (code) {
    case TypeCode::String:
        if (value.isString() || value.type == kRegMultiSz) {
            result->text = value.toString();
        } else {
            const QByteArray bytes = value.data;
            const qsizetype nul = bytes.indexOf('\0');
            result->text = ansi::toUnicode(nul < 0 ? bytes : bytes.left(nul));
        }
        break;
    case TypeCode::Bool:
        if (value.data.size() > 2)
            return kErrorMoreData;
        result->flag = value.data.count('\0') != value.data.size();
        break;
    case TypeCode::Dword:
        if (value.data.size() > 4)
            return kErrorMoreData;
        result->number = value.toDword();
        break;
    case TypeCode::Invalid:
        break;
    }
    return kErrorSuccess;
}

long RegistryAccess::readString(const QString& root, const QString& key, const QString& name,
                                QString* result)
{
    Value v;
    v.text = *result;
    const long rc = readValue(root, key, name, QStringLiteral("S"), &v);
    if (rc == kErrorSuccess)
        *result = v.text;
    return rc;
}

long RegistryAccess::readBool(const QString& root, const QString& key, const QString& name,
                              bool* result)
{
    Value v;
    const long rc = readValue(root, key, name, QStringLiteral("B"), &v);
    if (rc == kErrorSuccess)
        *result = v.flag;
    return rc;
}

long RegistryAccess::readDword(const QString& root, const QString& key, const QString& name,
                               quint32* result)
{
    Value v;
    const long rc = readValue(root, key, name, QStringLiteral("D"), &v);
    if (rc == kErrorSuccess)
        *result = v.number;
    return rc;
}

long RegistryAccess::writeValue(const QString& root, const QString& key, const QString& name,
                                const QString& type, const Value& value)
{
    Hive hive = Hive::CurrentUser;
    const RootKind kind = lookupRoot(root, &hive);
    if (kind == RootKind::Invalid)
        return kInvalidRoot;
    const TypeCode code = typeCode(type);
    if (code == TypeCode::Invalid)
        return kErrorInvalidParameter;

    if (kind == RootKind::ProfileFile) {
        if (code != TypeCode::String)
            return kErrorNotSupported;
        return ProfileFile::write(m_files, root, key, name, value.text);
    }

    RegValue data;
    if (code == TypeCode::String)
        data = RegValue::fromString(value.text);
    else if (code == TypeCode::Bool)
        data = RegValue::fromBinary(value.flag ? QByteArray("\xFF\xFF", 2) : QByteArray(2, '\0'));
    else
        data = RegValue::fromDword(value.number);
    const WinError rc = m_registry.setValue(hive, key, name, data);
    if (rc != kErrorSuccess)
        qCWarning(lcOeEnv) << "cannot write" << root << key << name << "error" << rc;
    return rc;
}

long RegistryAccess::writeString(const QString& root, const QString& key, const QString& name,
                                 const QString& value)
{
    Value v;
    v.text = value;
    return writeValue(root, key, name, QStringLiteral("S"), v);
}

long RegistryAccess::writeBool(const QString& root, const QString& key, const QString& name,
                               bool value)
{
    Value v;
    v.flag = value;
    return writeValue(root, key, name, QStringLiteral("B"), v);
}

long RegistryAccess::writeDword(const QString& root, const QString& key, const QString& name,
                                quint32 value)
{
    Value v;
    v.number = value;
    return writeValue(root, key, name, QStringLiteral("D"), v);
}

long RegistryAccess::enumSubKeys(const QString& root, const QString& key, QString* list)
{
    Hive hive = Hive::CurrentUser;
    const RootKind kind = lookupRoot(root, &hive);
    if (kind == RootKind::Invalid)
        return kInvalidRoot;
    if (kind == RootKind::ProfileFile)
        return kErrorInvalidHandle; // a profile file has no keys to enumerate
    QStringList names;
    const WinError rc = m_registry.enumSubKeys(hive, key, &names);
    if (rc != kErrorSuccess)
        return rc;
    for (const QString& n : std::as_const(names))
        *list += n + QChar(0);
    *list += QChar(0);
    return kErrorSuccess;
}

} // namespace kv
