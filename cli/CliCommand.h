#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace kv::cli {

// What a command needs: its arguments (after the command's own name) and the two streams.
struct CliContext
{
    QStringList args;
    QTextStream& out;
    QTextStream& err;
};

using CommandFn = int (*)(CliContext&);

struct CliCommand
{
    const char* name;
    const char* usage;
    CommandFn run;
};

// Takes "--name VALUE" out of the arguments; true when it was there.
bool takeOption(QStringList& args, const QString& name, QString* value);
// Takes a flag "--name" out of the arguments; true when it was there.
bool takeFlag(QStringList& args, const QString& name);

} // namespace kv::cli
