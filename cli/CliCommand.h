#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <span>

namespace kv::cli {

// One option of a command: its names ("v" or "prefix"), the name of its value (none for a
// flag) and one line of help.
struct CliOption
{
    const char* name;
    const char* valueName;
    const char* help;
};

struct CliContext;

// The exit codes every command shares.
enum class ExitCode : int
{
    Ok = 0,
    Failed = 1,
    Usage = 2,
    // A write the command must make is refused while Wine programs hold the registry.
    RegistryHeld = 2,
    // The inventory could not be taken (no environment, no folder list): scripts that check a
    // backup's prerequisites tell it from a damaged file read by the other commands.
    InventoryFailed = 2,
    // The archive, or the item list inside it, cannot be read.
    ArchiveUnreadable = 2,
};

struct CliCommand
{
    const char* name;
    // What follows "kv2000-cli NAME" in the usage; one line a form, separated by '\n'.
    const char* synopsis;
    const char* summary;
    std::span<const CliOption> options;
    ExitCode (*run)(CliContext&);
    // More lines of help after the options (how the command answers its questions, its exit
    // codes); may be null.
    const char* details = nullptr;
};

// What a command runs with: its options as parsed, the arguments left after them, and the two
// streams.
struct CliContext
{
    const CliCommand& command;
    const QCommandLineParser& options;
    QStringList args;
    QTextStream& out;
    QTextStream& err;

    bool isSet(const char* name) const { return options.isSet(QLatin1String(name)); }
    QString value(const char* name) const { return options.value(QLatin1String(name)); }
    // Says what is wrong with the command line, then shows the command's usage; gives the exit
    // code of bad usage.
    ExitCode usageError(const QString& what) const;
};

// The Windows environment options of the commands that work on a prefix.
inline constexpr CliOption kPrefixOption{"prefix", "DIR",
                                         "the Wine prefix (default: $WINEPREFIX, then ~/.wine)"};
inline constexpr CliOption kDemoOption{"demo", nullptr, "the demo environment, made on first use"};

extern const CliCommand kArchiveCommand;
extern const CliCommand kBackupCommand;
extern const CliCommand kEnvCommand;
extern const CliCommand kExtractCommand;
extern const CliCommand kHeadersCommand;
extern const CliCommand kInventoryCommand;
extern const CliCommand kRestoreCommand;
extern const CliCommand kSyncCommand;

// Runs the command line (the arguments after the program's name).
ExitCode runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace kv::cli
