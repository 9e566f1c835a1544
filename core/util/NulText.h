#pragma once

#include <QChar>
#include <QString>

// Texts that came through a Windows character buffer. The two rules differ on a text without a
// NUL, and each caller needs its own: a buffer the system filled may be full to its last
// character, while a list the program built always ends with its terminator.
namespace kv {

// The text up to its first NUL; the whole text when it holds none.
inline QString cutAtNul(const QString& text)
{
    const qsizetype at = text.indexOf(QChar(0));
    return at < 0 ? text : text.left(at);
}

// The text before its terminating NUL; "" when there is no terminator.
inline QString nulTerminatedText(const QString& text)
{
    const qsizetype at = text.indexOf(QChar(0));
    return at < 0 ? QString() : text.left(at);
}

} // namespace kv
