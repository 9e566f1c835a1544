#pragma once

#include <QByteArray>
#include <QString>

// The escaping rules of Wine's registry files, shared by their reader and writer.
namespace kv::platform::posix::winereg {

// Appends UTF-16 text the way wineserver writes it: characters above 127 as \x escapes
// (four digits when a hex digit follows), control characters as C or octal escapes, and a
// backslash before "\" and before the two characters in `quote`. A NUL that ends the text is
// not written. Returns the number of bytes appended.
qsizetype appendEscaped(QByteArray& out, const char16_t* text, qsizetype length, char quoteA,
                        char quoteB);

// Reads escaped text from `line` at `pos` up to the first unescaped `endChar`. On success
// `text` holds the characters and `pos` points past `endChar`; returns false when `endChar`
// is missing. Raw bytes above 127 are read as UTF-8; a byte that is not valid UTF-8 is dropped,
// as Wine drops it.
bool parseEscaped(const QByteArray& line, qsizetype& pos, char endChar, QString* text);

// Case-insensitive ordering of key and value names, one UTF-16 unit at a time, shorter name
// first on a tie: the order in which Wine keeps them.
int compareNames(const QString& a, const QString& b);
// The key used to find a name regardless of case.
QString foldName(const QString& name);

} // namespace kv::platform::posix::winereg
