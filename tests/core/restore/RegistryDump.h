#pragma once

#include "support/FakeRegistry.h"

#include <QStringList>

namespace kv::test {

// Every key below path with its values (name, type, bytes), as one comparable text.
inline QString dump(platform::IRegistry& registry, const QString& path)
{
    QString out = QStringLiteral("[%1]\n").arg(path);
    QList<platform::RegNamedValue> values;
    registry.enumValues(platform::Hive::CurrentUser, path, &values);
    for (const platform::RegNamedValue& v : std::as_const(values))
        out += QStringLiteral("%1 %2=%3\n")
                   .arg(v.name)
                   .arg(v.value.type)
                   .arg(QString::fromLatin1(v.value.data.toHex()));
    QStringList keys;
    registry.enumSubKeys(platform::Hive::CurrentUser, path, &keys);
    for (const QString& key : std::as_const(keys))
        out += dump(registry, path + u'\\' + key);
    return out;
}

// A registry the prefix's running wineserver holds.
class HeldRegistry : public FakeRegistry
{
public:
    bool held = true;
    bool heldByAnotherProgram() const override { return held; }
};

} // namespace kv::test
