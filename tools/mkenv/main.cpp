// kv2000-mkenv: makes a Wine prefix that holds a mail client's environment, for the demo and
// for end-to-end tests.
#include "EnvBuilder.h"

#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

using namespace kv;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kv2000-mkenv"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Creates a Windows environment (a Wine prefix) with a mail client's registration, "
        "identities, store folders, accounts and settings."));
    parser.addHelpOption();
    const QCommandLineOption oe4(QStringLiteral("oe4"), QStringLiteral("Version 4 instead of 5."));
    const QCommandLineOption none(QStringLiteral("no-client"),
                                  QStringLiteral("No mail client registered at all."));
    const QCommandLineOption identities(QStringLiteral("identities"),
                                        QStringLiteral("Number of identities (version 5)."),
                                        QStringLiteral("N"), QStringLiteral("2"));
    const QCommandLineOption seed(QStringLiteral("seed"),
                                  QStringLiteral("Seed of names and values."), QStringLiteral("N"),
                                  QStringLiteral("2000"));
    const QCommandLineOption user(QStringLiteral("user"),
                                  QStringLiteral("Profile name (default: the host's user)."),
                                  QStringLiteral("NAME"));
    const QCommandLineOption arch(QStringLiteral("arch"),
                                  QStringLiteral("Architecture of a new prefix: win64 or win32."),
                                  QStringLiteral("ARCH"), QStringLiteral("win64"));
    parser.addOptions({oe4, none, identities, seed, user, arch});
    parser.addPositionalArgument(QStringLiteral("OUTDIR"), QStringLiteral("The prefix folder."));
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() != 1) {
        err << "kv2000-mkenv: exactly one OUTDIR expected\n";
        return 2;
    }
    bool ok = true;
    demo::EnvBuilder::Options options;
    options.client = parser.isSet(none)  ? demo::EnvBuilder::Client::None
                     : parser.isSet(oe4) ? demo::EnvBuilder::Client::OE4
                                         : demo::EnvBuilder::Client::OE5;
    options.identities = parser.value(identities).toInt(&ok);
    if (!ok || options.identities < 1 || options.identities > 64) {
        err << "kv2000-mkenv: --identities takes a number from 1 to 64\n";
        return 2;
    }
    options.seed = parser.value(seed).toUInt(&ok);
    if (!ok) {
        err << "kv2000-mkenv: --seed takes a number\n";
        return 2;
    }
    options.userName = parser.value(user);

    if (parser.value(arch) != QLatin1String("win64") &&
        parser.value(arch) != QLatin1String("win32")) {
        err << "kv2000-mkenv: --arch takes win64 or win32\n";
        return 2;
    }

    const QString folder = QDir(positional.front()).absolutePath();
    QString error;
    if (!demo::EnvBuilder::prepareRegistryFiles(folder, parser.value(arch), &error)) {
        err << "kv2000-mkenv: " << error << "\n";
        return 1;
    }
    platform::posix::WineRegistry registry{platform::posix::WinePrefix(folder)};
    registry.setWriteThrough(false);
    demo::EnvBuilder builder(registry, folder, options);
    if (!builder.build(&error)) {
        err << "kv2000-mkenv: " << error << "\n";
        return 1;
    }
    out << "prefix: " << folder << "\n";
    out << "user: " << builder.userName() << "\n";
    for (const auto& identity : builder.identities())
        out << "identity: " << identity.name << " " << identity.id << " " << identity.storeFolder
            << "\n";
    if (options.client == demo::EnvBuilder::Client::OE4)
        out << "store-root: " << builder.oe4StoreRoot() << "\n";
    return 0;
}
