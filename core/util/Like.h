#pragma once

#include <QString>

namespace kv {

// Wildcard match as the program's string comparisons have always done it: "*" any run of
// characters, "?" one character, "#" one digit, "[abc]", "[a-z]" and "[!abc]" one character of
// (or not of) a set. Compared without regard to case.
bool likeMatch(const QString& text, const QString& pattern);

} // namespace kv
