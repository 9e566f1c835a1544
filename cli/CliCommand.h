#pragma once

#include "util/CommandArgs.h"

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

using kv::takeFlag;
using kv::takeOption;

} // namespace kv::cli
