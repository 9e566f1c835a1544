#pragma once

#include <QByteArray>
#include <QString>

namespace kv::msgstore {

// A header's text as a reader should see it: "=?charset?B|Q?text?=" words decoded through their
// charset, the white space between two adjacent words dropped, and the remaining 8-bit text
// decoded with the fallback charset (the message's own when the caller knows it; otherwise the
// records' ANSI code page). A word that is malformed or names a charset this system does not know
// stays as it stands, so nothing is ever lost from the display. Linear in the input's length.
QString decodeHeaderText(const QByteArray& raw, const QByteArray& fallbackCharset = "windows-1252");

} // namespace kv::msgstore
