#include "CliCommand.h"
#include "MessageFileSource.h"

namespace kv::cli {

namespace {

// extract FILE OUTDIR: every message of a .dbx or .mbx file as OUTDIR/000001.eml, ...
ExitCode runExtract(CliContext& ctx)
{
    if (ctx.args.size() != 2)
        return ctx.usageError(QStringLiteral("expected FILE and OUTDIR"));
    const QString outDir = ctx.args.at(1);
    MessageFileSource source;
    QString error;
    if (!source.open(ctx.args.at(0), &error)) {
        ctx.err << "kv2000-cli extract: " << error << "\n";
        return ExitCode::Failed;
    }
    const qint32 count = source.count();
    qint32 written = 0;
    for (qint32 n = 1; n <= count; ++n) {
        const QString name = QStringLiteral("%1.eml").arg(n, 6, 10, QLatin1Char('0'));
        if (source.save(n, outDir, name, &error))
            ++written;
        else
            ctx.err << "kv2000-cli extract: message " << n << ": " << error << "\n";
    }
    ctx.out << "messages: " << written << "\n";
    return written == count ? ExitCode::Ok : ExitCode::Failed;
}

} // namespace

const CliCommand kExtractCommand{
    "extract",
    "FILE OUTDIR",
    "write every message of a .dbx or .mbx file as OUTDIR/000001.eml, ... (host paths)",
    {},
    runExtract};

} // namespace kv::cli
