#include "platform/posix/WineRegKey.h"

#include "platform/posix/WineRegText.h"

namespace kv::platform::posix {

using winereg::compareNames;
using winereg::foldName;

namespace {

// Wine's binary search for the place of a new name; on a list sorted Wine's way this is the
// first entry that sorts after it.
template <typename List, typename NameOf>
qsizetype insertPosition(const List& list, const QString& name, NameOf nameOf)
{
    qsizetype min = 0;
    qsizetype max = qsizetype(list.size()) - 1;
    while (min <= max) {
        const qsizetype i = (min + max) / 2;
        const int res = compareNames(nameOf(list[i]), name);
        if (res == 0)
            return i;
        if (res > 0)
            max = i - 1;
        else
            min = i + 1;
    }
    return min;
}

} // namespace

WineRegKey::WineRegKey(QString name, WineRegKey* parent, quint64 modified)
    : m_name(std::move(name)), m_parent(parent), m_modified(modified)
{
}

QString WineRegKey::path() const
{
    if (!m_parent)
        return {};
    const QString parentPath = m_parent->path();
    return parentPath.isEmpty() ? m_name : parentPath + QLatin1Char('\\') + m_name;
}

WineRegKey* WineRegKey::findSubKey(const QString& name) const
{
    return m_subKeyIndex.value(foldName(name), nullptr);
}

WineRegKey* WineRegKey::addSubKey(const QString& name, quint64 modified, bool append)
{
    auto key = std::make_unique<WineRegKey>(name, this, modified);
    WineRegKey* raw = key.get();
    const qsizetype at =
        append ? qsizetype(m_subKeys.size())
               : insertPosition(m_subKeys, name,
                                [](const auto& k) -> const QString& { return k->name(); });
    m_subKeys.insert(m_subKeys.begin() + at, std::move(key));
    m_subKeyIndex.insert(foldName(name), raw);
    return raw;
}

void WineRegKey::removeSubKey(const WineRegKey* key)
{
    for (auto it = m_subKeys.begin(); it != m_subKeys.end(); ++it) {
        if (it->get() == key) {
            m_subKeyIndex.remove(foldName(key->name()));
            m_subKeys.erase(it);
            return;
        }
    }
}

qsizetype WineRegKey::valueIndex(const QString& name) const
{
    for (qsizetype i = 0; i < m_values.size(); ++i) {
        if (m_values[i].name.size() == name.size() && compareNames(m_values[i].name, name) == 0)
            return i;
    }
    return -1;
}

const RegNamedValue* WineRegKey::findValue(const QString& name) const
{
    const qsizetype i = valueIndex(name);
    return i < 0 ? nullptr : &m_values[i];
}

bool WineRegKey::setValue(const QString& name, const RegValue& value, bool append)
{
    const qsizetype i = valueIndex(name);
    if (i >= 0) {
        if (m_values[i].value == value)
            return false;
        m_values[i].value = value;
        return true;
    }
    const qsizetype at =
        append ? m_values.size()
               : insertPosition(m_values, name,
                                [](const RegNamedValue& v) -> const QString& { return v.name; });
    m_values.insert(at, RegNamedValue{name, value});
    return true;
}

bool WineRegKey::removeValue(const QString& name)
{
    const qsizetype i = valueIndex(name);
    if (i < 0)
        return false;
    m_values.removeAt(i);
    return true;
}

bool WineRegKey::hasOwnSection() const
{
    return !m_values.isEmpty() || m_subKeys.empty() || m_class.has_value() || m_link;
}

} // namespace kv::platform::posix
