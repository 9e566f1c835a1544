#include "support/FakeRegistry.h"

namespace kv::test {

using namespace kv::platform;

namespace {

int hiveNumber(Hive hive)
{
    return static_cast<int>(hive);
}

QString rootId(int hive)
{
    return QString::number(hive) + QLatin1Char('|');
}

int indexOfValue(const QList<RegNamedValue>& values, const QString& name)
{
    for (int i = 0; i < values.size(); ++i) {
        if (values[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

FakeRegistry::FakeRegistry()
{
    for (Hive hive :
         {Hive::CurrentUser, Hive::LocalMachine, Hive::Users, Hive::CurrentConfig, Hive::DynData}) {
        m_keys.insert(rootId(hiveNumber(hive)), Key{});
    }
    create(locate(Hive::ClassesRoot, QString()));
}

FakeRegistry::Location FakeRegistry::locate(Hive hive, const QString& path)
{
    Location where;
    if (hive == Hive::ClassesRoot) {
        hive = Hive::LocalMachine;
        where.names = {QStringLiteral("Software"), QStringLiteral("Classes")};
    }
    where.hiveNumber = hiveNumber(hive);
    where.names += path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    where.id = rootId(where.hiveNumber) + where.names.join(QLatin1Char('\\')).toLower();
    return where;
}

FakeRegistry::Key* FakeRegistry::find(Hive hive, const QString& path)
{
    auto it = m_keys.find(locate(hive, path).id);
    return it == m_keys.end() ? nullptr : &it.value();
}

FakeRegistry::Key* FakeRegistry::create(const Location& where)
{
    QString id = rootId(where.hiveNumber);
    Key* key = &m_keys[id];
    for (int i = 0; i < where.names.size(); ++i) {
        const QString childId = (i == 0 ? id : id + QLatin1Char('\\')) + where.names[i].toLower();
        if (!m_keys.contains(childId)) {
            m_keys[id].children.append(childId);
            Key child;
            child.name = where.names[i];
            m_keys.insert(childId, child);
        }
        id = childId;
        key = &m_keys[id];
    }
    return key;
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
        return find(hive, path) ? kErrorSuccess : refuseWrite();
    create(locate(hive, path));
    return kErrorSuccess;
}

WinError FakeRegistry::queryValue(Hive hive, const QString& path, const QString& name,
                                  RegValue* out)
{
    const Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    const int i = indexOfValue(key->values, name);
    if (i < 0)
        return kErrorFileNotFound;
    if (out)
        *out = key->values[i].value;
    return kErrorSuccess;
}

WinError FakeRegistry::setValue(Hive hive, const QString& path, const QString& name,
                                const RegValue& value)
{
    if (m_readOnly)
        return refuseWrite();
    Key* key = create(locate(hive, path));
    const int i = indexOfValue(key->values, name);
    if (i >= 0)
        key->values[i].value = value; // the name keeps its first spelling, as Windows keeps it
    else
        key->values.append(RegNamedValue{name, value});
    return kErrorSuccess;
}

WinError FakeRegistry::deleteValue(Hive hive, const QString& path, const QString& name)
{
    Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    const int i = indexOfValue(key->values, name);
    if (i < 0)
        return kErrorFileNotFound;
    if (m_readOnly)
        return refuseWrite();
    key->values.removeAt(i);
    return kErrorSuccess;
}

void FakeRegistry::removeTree(const QString& id)
{
    const Key key = m_keys.take(id);
    for (const QString& child : key.children)
        removeTree(child);
}

WinError FakeRegistry::deleteKeyTree(Hive hive, const QString& path)
{
    const Location where = locate(hive, path);
    auto it = m_keys.find(where.id);
    if (it == m_keys.end())
        return kErrorFileNotFound;
    if (m_readOnly)
        return refuseWrite();
    if (where.names.isEmpty() || (hive == Hive::ClassesRoot && where.names.size() == 2)) {
        // A hive's root cannot go; deleting its tree empties it.
        const QStringList children = it->children;
        it->children.clear();
        it->values.clear();
        for (const QString& child : children)
            removeTree(child);
        return kErrorSuccess;
    }
    removeTree(where.id);
    const qsizetype cut = where.id.lastIndexOf(QLatin1Char('\\'));
    const QString parent = cut < 0 ? rootId(where.hiveNumber) : where.id.left(cut);
    m_keys[parent].children.removeAll(where.id);
    return kErrorSuccess;
}

WinError FakeRegistry::enumSubKeys(Hive hive, const QString& path, QStringList* names)
{
    const Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    if (names) {
        names->clear();
        for (const QString& child : key->children)
            names->append(m_keys.value(child).name);
    }
    return kErrorSuccess;
}

WinError FakeRegistry::enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values)
{
    const Key* key = find(hive, path);
    if (!key)
        return kErrorFileNotFound;
    if (values)
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
    const bool readOnly = m_readOnly;
    m_readOnly = false;
    setValue(hive, path, name, RegValue::fromString(text));
    m_readOnly = readOnly;
}

void FakeRegistry::setDword(Hive hive, const QString& path, const QString& name, quint32 value)
{
    const bool readOnly = m_readOnly;
    m_readOnly = false;
    setValue(hive, path, name, RegValue::fromDword(value));
    m_readOnly = readOnly;
}

QString FakeRegistry::string(Hive hive, const QString& path, const QString& name)
{
    RegValue value;
    if (queryValue(hive, path, name, &value) != kErrorSuccess)
        return {};
    return value.toString();
}

} // namespace kv::test
