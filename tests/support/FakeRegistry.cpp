#include "support/FakeRegistry.h"

#include <utility>

namespace kv::test {

using namespace kv::platform;

namespace {

int valueIndex(const QList<RegNamedValue>& values, const QString& name)
{
    for (int i = 0; i < values.size(); ++i)
        if (values[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

} // namespace

QString FakeRegistry::idOf(Hive hive, const QString& path, QStringList* names)
{
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    if (hive == Hive::ClassesRoot) {
        hive = Hive::LocalMachine;
        parts.prepend(QStringLiteral("Classes"));
        parts.prepend(QStringLiteral("Software"));
    }
    if (names)
        *names = parts;
    return QString::number(int(hive)) + QLatin1Char('|') +
           parts.join(QLatin1Char('\\')).toLower();
}

FakeRegistry::Key* FakeRegistry::find(Hive hive, const QString& path)
{
    auto it = m_keys.find(idOf(hive, path));
    if (it != m_keys.end())
        return &it.value();
    if (path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).isEmpty() &&
        hive != Hive::ClassesRoot) {
        // Hive roots always exist.
        Key& root = m_keys[idOf(hive, path)];
        return &root;
    }
    return nullptr;
}

FakeRegistry::Key* FakeRegistry::create(Hive hive, const QString& path)
{
    QStringList names;
    idOf(hive, path, &names);
    const Hive base = hive == Hive::ClassesRoot ? Hive::LocalMachine : hive;
    QString parentId = idOf(base, QString());
    m_keys[parentId];
    for (int i = 0; i < names.size(); ++i) {
        const QString id = idOf(base, names.mid(0, i + 1).join(QLatin1Char('\\')));
        if (!m_keys.contains(id)) {
            m_keys[id].name = names[i];
            m_keys[parentId].children.append(id);
        }
        parentId = id;
    }
    return &m_keys[parentId];
}

WinError FakeRegistry::refuseWrite()
{
    m_lastErrorText = QStringLiteral("The registry is read-only in this test.");
    return kErrorAccessDenied;
}

WinError FakeRegistry::openKey(Hive hive, const QString& path)
{
    return find(hive, path) ? kErrorSuccess : kErrorFileNotFound;
}

WinError FakeRegistry::createKey(Hive hive, const QString& path)
{
    if (m_readOnly)
        return refuseWrite();
    create(hive, path);
    return kErrorSuccess;
}

WinError FakeRegistry::queryValue(Hive hive, const QString& path, const QString& name,
                                  RegValue* out)
{
    Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    const int i = valueIndex(key->values, name);
    if (i < 0)
        return kErrorFileNotFound;
    *out = key->values[i].value;
    return kErrorSuccess;
}

WinError FakeRegistry::setValue(Hive hive, const QString& path, const QString& name,
                                const RegValue& value)
{
    if (m_readOnly)
        return refuseWrite();
    Key* key = create(hive, path);
    const int i = valueIndex(key->values, name);
    if (i >= 0)
        key->values[i].value = value;
    else
        key->values.append(RegNamedValue{name, value});
    return kErrorSuccess;
}

WinError FakeRegistry::deleteValue(Hive hive, const QString& path, const QString& name)
{
    if (m_readOnly)
        return refuseWrite();
    Key* key = find(hive, path);
    const int i = key ? valueIndex(key->values, name) : -1;
    if (i < 0)
        return kErrorFileNotFound;
    key->values.removeAt(i);
    return kErrorSuccess;
}

void FakeRegistry::removeTree(const QString& id)
{
    const QStringList children = m_keys.value(id).children;
    for (const QString& child : children)
        removeTree(child);
    m_keys.remove(id);
}

WinError FakeRegistry::deleteKeyTree(Hive hive, const QString& path)
{
    if (m_readOnly)
        return refuseWrite();
    const QString id = idOf(hive, path);
    if (!m_keys.contains(id) || path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).isEmpty())
        return kErrorFileNotFound;
    removeTree(id);
    for (Key& k : m_keys)
        k.children.removeAll(id);
    return kErrorSuccess;
}

WinError FakeRegistry::enumSubKeys(Hive hive, const QString& path, QStringList* names)
{
    Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    QStringList out;
    for (const QString& child : std::as_const(key->children))
        out.append(m_keys.value(child).name);
    *names = out;
    return kErrorSuccess;
}

WinError FakeRegistry::enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values)
{
    Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    *values = key->values;
    return kErrorSuccess;
}

WinError FakeRegistry::flush()
{
    if (m_readOnly)
        return refuseWrite();
    ++m_flushCount;
    return kErrorSuccess;
}

void FakeRegistry::setString(Hive hive, const QString& path, const QString& name,
                             const QString& text)
{
    const bool readOnly = std::exchange(m_readOnly, false);
    setValue(hive, path, name, RegValue::fromString(text));
    m_readOnly = readOnly;
}

void FakeRegistry::setDword(Hive hive, const QString& path, const QString& name, quint32 value)
{
    const bool readOnly = std::exchange(m_readOnly, false);
    setValue(hive, path, name, RegValue::fromDword(value));
    m_readOnly = readOnly;
}

QString FakeRegistry::string(Hive hive, const QString& path, const QString& name)
{
    RegValue v;
    return queryValue(hive, path, name, &v) == kErrorSuccess ? v.toString() : QString();
}

} // namespace kv::test
