#include "CliCommand.h"
#include "MessageFileSource.h"

namespace kv::cli {

// headers FILE: number, From, Subject, Date and size of every message, tab-separated.
int runHeaders(CliContext& ctx)
{
    if (ctx.args.size() != 1) {
        ctx.err << "usage: kv2000-cli headers FILE\n";
        return 2;
    }
    MessageFileSource source;
    QString error;
    if (!source.open(ctx.args.at(0), &error)) {
        ctx.err << "kv2000-cli headers: " << error << "\n";
        return 1;
    }
    const qint32 count = source.count();
    for (qint32 n = 1; n <= count; ++n) {
        source.loadHeaders(n);
        ctx.out << n << '\t' << source.from() << '\t' << source.subject() << '\t' << source.date()
                << '\t' << source.size(n) << '\n';
    }
    return 0;
}

} // namespace kv::cli
