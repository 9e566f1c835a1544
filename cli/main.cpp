#include "CliCommand.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstring>

using namespace kv::cli;

namespace kv::cli {
int runArchive(CliContext& ctx);
int runExtract(CliContext& ctx);
int runHeaders(CliContext& ctx);
int runEnv(CliContext& ctx);
} // namespace kv::cli

namespace {

// One row per command; each command lives in its own file.
const CliCommand kCommands[] = {
    {"archive", "archive [--prefix DIR | --demo] create|list|test|extract ... (Windows paths)", runArchive},
    {"extract", "extract FILE OUTDIR   write every message of a .dbx/.mbx file as OUTDIR/NNNNNN.eml",
     runExtract},
    {"headers", "headers FILE          list number, From, Subject, Date and size of every message",
     runHeaders},
    {"env", "env [--prefix DIR | --demo] [--oe4]   the mail client, identity and store found", runEnv},
    {nullptr, nullptr, nullptr},
};

int usage(QTextStream& err)
{
    err << "usage: kv2000-cli [--verbose] COMMAND [ARGS...]\n";
    for (const CliCommand& c : kCommands)
        if (c.name)
            err << "  " << c.usage << "\n";
    err.flush();
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    // The program's own progress notes go to the log only when asked for; warnings always show.
    if (!takeFlag(args, QStringLiteral("--verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("kv.*.info=false\nkv.*.debug=false"));
    if (args.isEmpty())
        return usage(err);
    const QString name = args.takeFirst();
    for (const CliCommand& c : kCommands) {
        if (c.name && name == QLatin1String(c.name)) {
            CliContext ctx{args, out, err};
            const int rc = c.run(ctx);
            out.flush();
            err.flush();
            return rc;
        }
    }
    err << "kv2000-cli: unknown command '" << name << "'\n";
    return usage(err);
}
