#include "CliCommand.h"
#include "MessageFileSource.h"

namespace kv::cli {

namespace {

// headers FILE: number, From, Subject, Date and size of every message, tab-separated.
ExitCode runHeaders(CliContext& ctx)
{
    if (ctx.args.size() != 1)
        return ctx.usageError(QStringLiteral("expected one FILE"));
    MessageFileSource source;
    QString error;
    if (!source.open(ctx.args.at(0), &error)) {
        ctx.err << "kv2000-cli headers: " << error << "\n";
        return ExitCode::Failed;
    }
    const qint32 count = source.count();
    for (qint32 n = 1; n <= count; ++n) {
        source.loadHeaders(n);
        ctx.out << n << '\t' << source.from() << '\t' << source.subject() << '\t' << source.date()
                << '\t' << source.size(n) << '\n';
    }
    return ExitCode::Ok;
}

} // namespace

const CliCommand kHeadersCommand{
    "headers",
    "FILE",
    "one line per message: number, From, Subject, Date and size, tab-separated (host path)",
    {},
    runHeaders};

} // namespace kv::cli
