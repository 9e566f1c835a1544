#include "support/FakeRegistry.h"

#include "platform/posix/WineRegistry.h"

namespace kv::test {

using namespace kv::platform;

namespace {
const QLatin1String kUserSid(posix::WineRegistry::kDefaultUserSid);
} // namespace

WinError FakeRegistry::fail(WinError error, const QString& text)
{
    m_lastErrorText = text;
    return error;
}

WinError FakeRegistry::refuseWrite()
{
    return fail(kErrorAccessDenied, QStringLiteral("The registry is read-only in this test."));
}

WinError FakeRegistry::resolve(Hive hive, const QString& path, bool create, Key** out)
{
    QStringList parts = path.split(u'\\', Qt::SkipEmptyParts);
    const bool root = parts.isEmpty();
    Key* key = hive == Hive::CurrentUser ? &m_user : &m_machine;
    if (hive == Hive::ClassesRoot)
        parts = QStringList{QStringLiteral("Software"), QStringLiteral("Classes")} + parts;
    else if (hive == Hive::CurrentConfig)
        parts =
            QStringLiteral("System\\CurrentControlSet\\Hardware Profiles\\Current").split(u'\\') +
            parts;
    else if (hive == Hive::DynData)
        return fail(kErrorInvalidHandle, QStringLiteral("HKEY_DYN_DATA does not exist."));
    else if (hive == Hive::Users) {
        *out = nullptr;
        if (root)
            return kErrorSuccess;
        const QString user = parts.takeFirst();
        if (user.compare(QLatin1String(".Default"), Qt::CaseInsensitive) == 0)
            key = &m_userDefault;
        else if (user.compare(kUserSid, Qt::CaseInsensitive) == 0)
            key = &m_user;
        else
            return create ? fail(kErrorAccessDenied, QStringLiteral("Not a user of HKU."))
                          : fail(kErrorFileNotFound, QStringLiteral("No such user in HKU."));
    }
    for (const QString& part : parts) {
        Key* sub = key->findSubKey(part);
        if (!sub && !create) {
            if (!root)
                return fail(kErrorFileNotFound, QStringLiteral("No such key: ") + path);
            key = &m_empty; // HKCR and HKCC are there even before their keys are
            break;
        }
        key = sub ? sub : key->addSubKey(part, 0);
    }
    *out = key;
    return kErrorSuccess;
}

WinError FakeRegistry::openKey(Hive hive, const QString& path)
{
    Key* key = nullptr;
    return resolve(hive, path, false, &key);
}

WinError FakeRegistry::createKey(Hive hive, const QString& path)
{
    Key* key = nullptr;
    return m_readOnly ? refuseWrite() : resolve(hive, path, true, &key);
}

WinError FakeRegistry::queryValue(Hive hive, const QString& path, const QString& name,
                                  RegValue* out)
{
    Key* key = nullptr;
    if (const WinError error = resolve(hive, path, false, &key); error != kErrorSuccess)
        return error;
    const RegNamedValue* value = key ? key->findValue(name) : nullptr;
    if (!value)
        return fail(kErrorFileNotFound, QStringLiteral("No such value: ") + name);
    *out = value->value;
    return kErrorSuccess;
}

WinError FakeRegistry::setValue(Hive hive, const QString& path, const QString& name,
                                const RegValue& value)
{
    Key* key = nullptr;
    const WinError error = m_readOnly ? refuseWrite() : resolve(hive, path, true, &key);
    if (error != kErrorSuccess)
        return error;
    if (!key)
        return fail(kErrorAccessDenied, QStringLiteral("HKU holds no values."));
    key->setValue(name, value);
    return kErrorSuccess;
}

WinError FakeRegistry::deleteValue(Hive hive, const QString& path, const QString& name)
{
    Key* key = nullptr;
    const WinError error = m_readOnly ? refuseWrite() : resolve(hive, path, false, &key);
    if (error != kErrorSuccess)
        return error;
    if (!key || !key->removeValue(name))
        return fail(kErrorFileNotFound, QStringLiteral("No such value: ") + name);
    return kErrorSuccess;
}

WinError FakeRegistry::deleteKeyTree(Hive hive, const QString& path)
{
    Key* key = nullptr;
    const WinError error = m_readOnly ? refuseWrite() : resolve(hive, path, false, &key);
    if (error != kErrorSuccess)
        return error;
    const qsizetype depth = path.split(u'\\', Qt::SkipEmptyParts).size();
    if (depth <= (hive == Hive::Users ? 1 : 0))
        return fail(kErrorAccessDenied, QStringLiteral("The root of a hive cannot be deleted."));
    key->parent()->removeSubKey(key);
    return kErrorSuccess;
}

WinError FakeRegistry::enumSubKeys(Hive hive, const QString& path, QStringList* names)
{
    Key* key = nullptr;
    if (const WinError error = resolve(hive, path, false, &key); error != kErrorSuccess)
        return error;
    *names = key ? QStringList() : QStringList{QStringLiteral(".Default"), kUserSid};
    if (key)
        for (const auto& sub : key->subKeys())
            names->append(sub->name());
    return kErrorSuccess;
}

WinError FakeRegistry::enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values)
{
    Key* key = nullptr;
    if (const WinError error = resolve(hive, path, false, &key); error != kErrorSuccess)
        return error;
    *values = key ? key->values() : QList<RegNamedValue>();
    return kErrorSuccess;
}

void FakeRegistry::arrange(Hive hive, const QString& path, const QString& name,
                           const RegValue& value)
{
    const bool readOnly = std::exchange(m_readOnly, false);
    setValue(hive, path, name, value);
    m_readOnly = readOnly;
}

QString FakeRegistry::string(Hive hive, const QString& path, const QString& name)
{
    RegValue value;
    return queryValue(hive, path, name, &value) == kErrorSuccess ? value.toString() : QString();
}

} // namespace kv::test
