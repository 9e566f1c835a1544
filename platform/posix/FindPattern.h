#pragma once

#include <QString>

namespace kv::platform::posix {

// FindFirstFile's matching of one name against the last component of a search pattern,
// without regard to case: "*" any run of characters, "?" one character or none at the end of
// a name or before a ".", and a "." followed only by wildcards also matches the end of a name
// (so "*.*" and "name.*" match names without a dot, as they do on Windows).
class FindPattern
{
public:
    static bool matches(const QString& name, const QString& pattern);
};

} // namespace kv::platform::posix
