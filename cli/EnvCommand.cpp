// kv2000-cli env: what the program finds in a Windows environment (mail client version,
// identities, the chosen identity's store folder and settings section).
#include "CliCommand.h"
#include "CliUi.h"

#include "DemoPrefix.h"
#include "oeenv/OeEnvironment.h"
#include "shell/AppSettings.h"
#include "shell/GuardedRegistry.h"
#include "shell/Strings.h"

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WinePrefix.h"

#include <QDir>

namespace kv::cli {

using platform::posix::WinePrefix;

int runEnv(CliContext& ctx)
{
    QString folder;
    const bool hasPrefix = takeOption(ctx.args, QStringLiteral("--prefix"), &folder);
    const bool demo = takeFlag(ctx.args, QStringLiteral("--demo"));
    const bool forceOe4 = takeFlag(ctx.args, QStringLiteral("--oe4"));
    if (!ctx.args.isEmpty() || (hasPrefix && demo)) {
        ctx.err << "usage: kv2000-cli env [--prefix DIR | --demo] [--oe4]\n";
        return 2;
    }
    if (demo) {
        folder = tools::demoPrefixFolder();
        QString error;
        bool created = false;
        if (!tools::ensureDemoPrefix(folder, &error, &created)) {
            ctx.err << "kv2000-cli env: " << error << "\n";
            return 1;
        }
        if (created)
            ctx.err << "kv2000-cli env: demo environment created in " << folder << "\n";
    } else if (!hasPrefix) {
        folder = WinePrefix::defaultFolder();
    }
    folder = QDir(folder).absolutePath();
    WinePrefix prefix(folder);
    if (!prefix.looksValid()) {
        ctx.err << "kv2000-cli env: no Windows environment in " << folder << "\n";
        return 1;
    }

    const auto host = platform::posix::PosixPlatform::forPrefix(folder);
    const platform::Platform hostServices = host->services();
    GuardedRegistry registry(hostServices.registry, nullptr, Strings::programTitle());
    platform::Platform services{registry, hostServices.files, hostServices.system,
                                hostServices.processes};
    AppSettings settings(services.registry);
    settings.setAppName(QStringLiteral("Korvane"));
    CliUi ui(ctx.err);
    const OeEnvironmentResult r =
        OeEnvironment::detect(services, settings, ui, forceOe4, Strings::programTitle());
    // A pending change of identity must be consumed, or the desktop program would act on it.
    if (registry.refusedWrites() > 0) {
        ctx.err << "kv2000-cli env: " << GuardedRegistry::lockedText() << "\n";
        return 2;
    }

    using Outcome = OeEnvironmentResult::Outcome;
    if (r.outcome == Outcome::Oe4StoreMissing) {
        ctx.out << "mode: OE4\n" << Strings::get(StringId::NoOe4MailFolders) << "\n";
        return 1;
    }
    if (r.outcome == Outcome::Fatal) {
        ctx.out << r.message << "\n";
        return 1;
    }
    ctx.out << "mode: " << (r.isOe5() ? "OE5" : "OE4") << "\n";
    ctx.out << "identities: " << r.identityCount() << "\n";
    if (r.isOe5())
        ctx.out << "identity: " << r.chosenName << " " << r.chosenId << "\n";
    ctx.out << "store: " << r.storeFolder << "\n";
    ctx.out << "settings-section: " << r.settingsSection << "\n";
    return 0;
}

} // namespace kv::cli
