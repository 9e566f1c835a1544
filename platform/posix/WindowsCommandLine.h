#pragma once

#include <QString>
#include <QStringList>

namespace kv::platform::posix {

// Windows command lines, split and joined as the C runtime and CommandLineToArgvW do.
class WindowsCommandLine
{
public:
    // The program: the first token (quotes removed), and the rest of the line after it with
    // its leading blanks removed, exactly as written.
    static void splitProgram(const QString& commandLine, QString* program, QString* rest);
    // The arguments of a command line (or of its rest): blanks separate, "..." groups,
    // backslashes before a quote escape it in pairs.
    static QStringList arguments(const QString& text);
    // One argument quoted so that arguments() gives it back unchanged.
    static QString quote(const QString& argument);
};

} // namespace kv::platform::posix
