#include "support/FakeRegistry.h"

namespace kv::test {

using namespace kv::platform;

FakeRegistry::FakeRegistry() = default;

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
    Key* key = &m_machine;
    switch (hive) {
    case Hive::CurrentUser:
        key = &m_user;
        break;
    case Hive::LocalMachine:
        break;
    case Hive::ClassesRoot:
        parts = QStringList{QStringLiteral("Software"), QStringLiteral("Classes")} + parts;
        break;
    case Hive::CurrentConfig:
        parts = QStringList{QStringLiteral("System"), QStringLiteral("CurrentControlSet"),
                            QStringLiteral("Hardware Profiles"), QStringLiteral("Current")} +
                parts;
        break;
    case Hive::Users:
        if (root) {
            *out = nullptr;
            return kErrorSuccess;
        }
        if (parts.first().compare(QLatin1String(".Default"), Qt::CaseInsensitive) == 0)
            key = &m_userDefault;
        else if (parts.first().compare(QLatin1String(kUserSid), Qt::CaseInsensitive) == 0)
            key = &m_user;
        else
            return create ? fail(kErrorAccessDenied, QStringLiteral("Not a user of HKU."))
                          : fail(kErrorFileNotFound, QStringLiteral("No such user in HKU."));
        parts.removeFirst();
        break;
    case Hive::DynData:
        return fail(kErrorInvalidHandle, QStringLiteral("HKEY_DYN_DATA does not exist."));
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
    if (m_readOnly)
        return refuseWrite();
    Key* key = nullptr;
    if (const WinError error = resolve(hive, path, true, &key); error != kErrorSuccess)
        return error;
    if (!key)
        return fail(kErrorAccessDenied, QStringLiteral("HKU holds no values."));
    key->setValue(name, value);
    return kErrorSuccess;
}

WinError FakeRegistry::deleteValue(Hive hive, const QString& path, const QString& name)
{
    if (m_readOnly)
        return refuseWrite();
    Key* key = nullptr;
    if (const WinError error = resolve(hive, path, false, &key); error != kErrorSuccess)
        return error;
    if (!key || !key->removeValue(name))
        return fail(kErrorFileNotFound, QStringLiteral("No such value: ") + name);
    return kErrorSuccess;
}

WinError FakeRegistry::deleteKeyTree(Hive hive, const QString& path)
{
    if (m_readOnly)
        return refuseWrite();
    Key* key = nullptr;
    if (const WinError error = resolve(hive, path, false, &key); error != kErrorSuccess)
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
    if (!key) {
        *names = QStringList{QStringLiteral(".Default"), QLatin1String(kUserSid)};
        return kErrorSuccess;
    }
    names->clear();
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

WinError FakeRegistry::flush()
{
    if (m_readOnly)
        return refuseWrite();
    ++m_flushCount;
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
