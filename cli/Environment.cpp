#include "Environment.h"

#include "DemoPrefix.h"

#include "platform/posix/WinePrefix.h"

#include <QDir>

namespace kv::cli {

using platform::posix::WinePrefix;

std::unique_ptr<platform::posix::PosixPlatform> openEnvironment(const CliContext& ctx,
                                                                ExitCode* code)
{
    const QString command = QStringLiteral("kv2000-cli ") + QLatin1String(ctx.command.name);
    const bool demo = ctx.isSet(kDemoOption.name);
    const bool hasPrefix = ctx.isSet(kPrefixOption.name);
    if (demo && hasPrefix) {
        *code = ctx.usageError(QStringLiteral("--prefix and --demo cannot be used together"));
        return nullptr;
    }
    QString folder = hasPrefix ? ctx.value(kPrefixOption.name) : WinePrefix::defaultFolder();
    if (demo) {
        folder = demo::demoPrefixFolder();
        QString error;
        bool created = false;
        if (!demo::ensureDemoPrefix(folder, &error, &created)) {
            ctx.err << command << ": " << error << "\n";
            *code = ExitCode::Failed;
            return nullptr;
        }
        if (created)
            ctx.err << command << ": demo environment created in " << folder << "\n";
    }
    folder = QDir(folder).absolutePath();
    if (!WinePrefix(folder).looksValid()) {
        ctx.err << command << ": no Windows environment in " << folder << "\n";
        *code = ExitCode::Failed;
        return nullptr;
    }
    return platform::posix::PosixPlatform::forPrefix(folder);
}

} // namespace kv::cli
