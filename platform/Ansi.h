#pragma once

#include <QByteArray>
#include <QString>

// Text inside the program is 8-bit, in the Windows ANSI code page (Windows-1252). QString holds
// it for convenience; these convert at the edges (files, message bytes, the registry) so that
// every one of the 256 byte values survives a round trip: bytes that code page 1252 leaves
// undefined map to the C1 control characters, as Windows itself maps them.
namespace kv::ansi {

QString toUnicode(const QByteArray& bytes);
QString toUnicode(const char* bytes, qsizetype length);
// Characters outside the code page become "?", as the Windows ANSI functions make them.
QByteArray fromUnicode(const QString& text);
// True when every character of the text has a code-page byte.
bool isRepresentable(const QString& text);
// The text as the program would see it through an ANSI call: unrepresentable characters as "?".
QString narrow(const QString& text);

} // namespace kv::ansi
