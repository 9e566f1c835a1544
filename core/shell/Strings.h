#pragma once

#include <QString>

// The program's numbered string table. Texts are kept exactly as the program has always shown
// them, odd spellings and trailing spaces included, because users and help pages quote them.
namespace kv::Strings {

// The line break the program puts between the parts of a composed message.
inline constexpr char16_t kLineBreak = u'\n';

// The text of a resource string; "" for a number the table does not hold (logged).
QString get(int id);
// True when the table holds the number.
bool has(int id);

// Resource 147, the title of the program's message boxes.
QString programTitle();

} // namespace kv::Strings
