#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kv::msgstore {

// The value of a header line as both message readers answer it: the first occurrence of name
// (such as "Subject: ") anywhere in the text, compared without regard to letter case, up to the
// next CR, with leading spaces removed and trailing ones kept. "" when the name or the CR that
// ends its line is missing. Because any occurrence counts, "To: " matches inside "Reply-To: "
// when that line comes first, and only the first line of a folded header is returned.
QString headerValue(QByteArrayView text, QByteArrayView name);

// Where the name first occurs in the text, compared without regard to ASCII letter case; -1
// when it does not.
qsizetype indexOfNoCase(QByteArrayView text, QByteArrayView name);

} // namespace kv::msgstore
