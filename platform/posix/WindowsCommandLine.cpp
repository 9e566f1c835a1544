#include "platform/posix/WindowsCommandLine.h"

namespace kv::platform::posix {

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

} // namespace

void WindowsCommandLine::splitProgram(const QString& commandLine, QString* program, QString* rest)
{
    qsizetype i = 0;
    while (i < commandLine.size() && isBlank(commandLine[i]))
        ++i;
    QString name;
    if (i < commandLine.size() && commandLine[i] == QLatin1Char('"')) {
        // The program's name ends at the next quote; no escapes apply to it.
        const qsizetype close = commandLine.indexOf(QLatin1Char('"'), i + 1);
        const qsizetype end = close < 0 ? commandLine.size() : close;
        name = commandLine.mid(i + 1, end - i - 1);
        i = close < 0 ? end : close + 1;
    } else {
        const qsizetype start = i;
        while (i < commandLine.size() && !isBlank(commandLine[i]))
            ++i;
        name = commandLine.mid(start, i - start);
    }
    while (i < commandLine.size() && isBlank(commandLine[i]))
        ++i;
    if (program)
        *program = name;
    if (rest)
        *rest = commandLine.mid(i);
}

QStringList WindowsCommandLine::arguments(const QString& text)
{
    QStringList out;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (isBlank(c) && !quoted) {
            if (inArgument)
                out.append(current);
            current.clear();
            inArgument = false;
            ++i;
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('\\')) {
            qsizetype slashes = 0;
            while (i < text.size() && text[i] == QLatin1Char('\\')) {
                ++slashes;
                ++i;
            }
            if (i < text.size() && text[i] == QLatin1Char('"')) {
                current += QString(slashes / 2, QLatin1Char('\\'));
                if (slashes % 2) {
                    current += QLatin1Char('"');
                    ++i;
                }
            } else {
                current += QString(slashes, QLatin1Char('\\'));
            }
            continue;
        }
        if (c == QLatin1Char('"')) {
            // "" inside quotes is a literal quote (the C runtime's rule).
            if (quoted && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                current += QLatin1Char('"');
                i += 2;
                continue;
            }
            quoted = !quoted;
            ++i;
            continue;
        }
        current += c;
        ++i;
    }
    if (inArgument)
        out.append(current);
    return out;
}

QString WindowsCommandLine::quote(const QString& argument)
{
    if (!argument.isEmpty() && !argument.contains(QLatin1Char(' ')) &&
        !argument.contains(QLatin1Char('\t')) && !argument.contains(QLatin1Char('"')))
        return argument;
    QString out = QStringLiteral("\"");
    qsizetype slashes = 0;
    for (const QChar c : argument) {
        if (c == QLatin1Char('\\')) {
            ++slashes;
            continue;
        }
        if (c == QLatin1Char('"')) {
            out += QString(slashes * 2 + 1, QLatin1Char('\\'));
            out += QLatin1Char('"');
        } else {
            out += QString(slashes, QLatin1Char('\\'));
            out += c;
        }
        slashes = 0;
    }
    out += QString(slashes * 2, QLatin1Char('\\'));
    out += QLatin1Char('"');
    return out;
}

} // namespace kv::platform::posix
