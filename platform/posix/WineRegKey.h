#pragma once

#include "platform/RegValue.h"

#include <QHash>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace kv::platform::posix {

// One key of a Wine registry file: its subkeys and values in Wine's order, its modification
// time (a FILETIME, 100 ns since 1601) and the options Wine keeps with it (class, symbolic link).
class WineRegKey
{
public:
    WineRegKey(QString name, WineRegKey* parent, quint64 modified);

    const QString& name() const { return m_name; }
    WineRegKey* parent() const { return m_parent; }
    // The path below the file's root, "\"-separated (empty for the root).
    QString path() const;

    quint64 modified() const { return m_modified; }
    void setModified(quint64 fileTime) { m_modified = fileTime; }
    const std::optional<QString>& className() const { return m_class; }
    void setClassName(std::optional<QString> name) { m_class = std::move(name); }
    // A symbolic link: the key's "SymbolicLinkValue" (REG_LINK) names its target.
    bool isLink() const { return m_link; }
    void setLink(bool link) { m_link = link; }

    const std::vector<std::unique_ptr<WineRegKey>>& subKeys() const { return m_subKeys; }
    WineRegKey* findSubKey(const QString& name) const;
    // Adds a subkey where Wine would put it (sorted by name), or after the others when
    // `append` is set, which keeps the order of a file being read.
    WineRegKey* addSubKey(const QString& name, quint64 modified, bool append = false);
    void removeSubKey(const WineRegKey* key);

    const QList<RegNamedValue>& values() const { return m_values; }
    const RegNamedValue* findValue(const QString& name) const;
    // Replaces the data of an existing value (keeping the spelling of its name) or inserts a
    // new one in Wine's order. Returns false when the value already held exactly this.
    bool setValue(const QString& name, const RegValue& value, bool append = false);
    bool removeValue(const QString& name);

    // Whether Wine writes a section for this key: keys that only hold subkeys are implied.
    bool hasOwnSection() const;

private:
    qsizetype valueIndex(const QString& name) const;

    QString m_name;
    WineRegKey* m_parent;
    quint64 m_modified;
    std::optional<QString> m_class;
    bool m_link = false;
    std::vector<std::unique_ptr<WineRegKey>> m_subKeys;
    QHash<QString, WineRegKey*> m_subKeyIndex; // folded name -> subkey
    QList<RegNamedValue> m_values;
};

} // namespace kv::platform::posix
