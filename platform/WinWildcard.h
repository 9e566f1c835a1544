#pragma once

#include <QStringView>

namespace kv {

// A name against a Windows wildcard, as the file search matches it, without regard to case:
// - "*" any run of characters; a "*" just before a "." never takes the name's last ".", so "*."
//   is a name without a dot while "*.*" is every name;
// - "?" one character, or none at the end of the name or just before a "." ("ab?" matches "ab",
//   "ab?.txt" matches "ab.txt");
// - a "." followed only by wildcards also matches the end of the name ("name.*" matches "name").
// "\" is an ordinary character, so a stored archive path can be matched as one name; "*" runs
// across it. The program's own pattern operator ("#", "[...]") is likeMatch, not this.
bool winWildcardMatch(QStringView name, QStringView pattern);

} // namespace kv
