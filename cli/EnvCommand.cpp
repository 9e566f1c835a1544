// kv2000-cli env: what the program finds in a Windows environment (mail client version,
// identities, the chosen identity's store folder and settings section).
#include "CliCommand.h"
#include "CliUi.h"
#include "Environment.h"

#include "oeenv/OeEnvironment.h"
#include "shell/AppSettings.h"
#include "shell/GuardedRegistry.h"
#include "shell/Strings.h"

namespace kv::cli {

namespace {

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"oe4", nullptr, "look at the version-4 client even where version 5 is registered"},
};

ExitCode runEnv(CliContext& ctx)
{
    if (!ctx.args.isEmpty())
        return ctx.usageError(QStringLiteral("unexpected argument '%1'").arg(ctx.args.first()));
    ExitCode code = ExitCode::Ok;
    const auto host = openEnvironment(ctx, &code);
    if (!host)
        return code;
    const platform::Platform hostServices = host->services();
    GuardedRegistry registry(hostServices.registry, nullptr, Strings::programTitle());
    platform::Platform services{registry, hostServices.files, hostServices.system,
                                hostServices.processes};
    AppSettings settings(services.registry);
    settings.setAppName(QStringLiteral("Korvane"));
    CliUi ui(ctx.err);
    const OeEnvironmentResult r =
        OeEnvironment::detect(services, settings, ui, ctx.isSet("oe4"), Strings::programTitle());
    // A pending change of identity must be consumed, or the desktop program would act on it.
    if (registry.refusedWrites() > 0) {
        ctx.err << "kv2000-cli env: " << GuardedRegistry::lockedText() << "\n";
        return ExitCode::RegistryHeld;
    }

    using Outcome = OeEnvironmentResult::Outcome;
    if (r.outcome == Outcome::Oe4StoreMissing) {
        ctx.out << "mode: OE4\n" << Strings::get(StringId::NoOe4MailFolders) << "\n";
        return ExitCode::Failed;
    }
    if (r.outcome == Outcome::Fatal) {
        ctx.out << r.message << "\n";
        return ExitCode::Failed;
    }
    ctx.out << "mode: " << (r.isOe5() ? "OE5" : "OE4") << "\n";
    ctx.out << "identities: " << r.identityCount() << "\n";
    if (r.isOe5())
        ctx.out << "identity: " << r.chosenName << " " << r.chosenId << "\n";
    ctx.out << "store: " << r.storeFolder << "\n";
    ctx.out << "settings-section: " << r.settingsSection << "\n";
    return ExitCode::Ok;
}

} // namespace

const CliCommand kEnvCommand{
    "env", "[--prefix DIR | --demo] [--oe4]",
    "what the start-up finds: mail client, identities, store folder, settings section", kOptions,
    runEnv};

} // namespace kv::cli
