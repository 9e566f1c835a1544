// The command line's conventions, shared by every command: "-h"/"--help" shows the usage on
// the standard output and exits 0, "--version" the version; a wrong option or argument gives
// one line saying what is wrong and then the usage, on the standard error, with exit code 2.
#include "CliCommand.h"

#include <QLoggingCategory>

#include <algorithm>

namespace kv::cli {

namespace {

const QString kProgram = QStringLiteral("kv2000-cli");

const CliCommand* const kCommands[] = {&kArchiveCommand, &kBackupCommand,  &kEnvCommand,
                                       &kExtractCommand, &kHeadersCommand, &kInventoryCommand,
                                       &kRestoreCommand, &kSyncCommand};

const CliOption kHelpOption{"h", nullptr, "show this help"};
const CliOption kVersionOption{"version", nullptr, "show the program's version"};
const CliOption kVerboseOption{"verbose", nullptr, "show the program's progress notes"};

// "-h" is also "--help".
bool isHelp(const CliOption& o)
{
    return qstrcmp(o.name, kHelpOption.name) == 0;
}

QString optionNames(const CliOption& o)
{
    if (isHelp(o))
        return QStringLiteral("-h, --help");
    const QString name = QLatin1String(o.name);
    QString text = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    if (o.valueName)
        text += QLatin1Char(' ') + QLatin1String(o.valueName);
    return text;
}

void addOption(QCommandLineParser& parser, const CliOption& o)
{
    QStringList names{QLatin1String(o.name)};
    if (isHelp(o))
        names << QStringLiteral("help");
    parser.addOption(
        o.valueName ? QCommandLineOption(names, QLatin1String(o.help), QLatin1String(o.valueName))
                    : QCommandLineOption(names, QLatin1String(o.help)));
}

void writeOptions(QTextStream& s, std::initializer_list<std::span<const CliOption>> groups)
{
    s << "\noptions:\n";
    qsizetype width = 0;
    for (const auto& group : groups)
        for (const CliOption& o : group)
            width = std::max(width, optionNames(o).size());
    for (const auto& group : groups)
        for (const CliOption& o : group)
            s << "  " << optionNames(o).leftJustified(width + 2) << o.help << "\n";
}

void writeProgramUsage(QTextStream& s)
{
    s << "usage: " << kProgram << " [--verbose] COMMAND [ARGS...]\n"
      << "       " << kProgram << " COMMAND --help\n"
      << "Backs up, checks and reads the mail client's data in a Windows environment held in a "
         "Wine prefix.\n\ncommands:\n";
    for (const CliCommand* c : kCommands)
        s << "  " << QString::fromLatin1(c->name).leftJustified(10) << c->summary << "\n";
    const CliOption options[] = {kVerboseOption, kHelpOption, kVersionOption};
    writeOptions(s, {options});
}

void writeCommandUsage(QTextStream& s, const CliCommand& c)
{
    const QString prefix = kProgram + QLatin1Char(' ') + QLatin1String(c.name) + QLatin1Char(' ');
    const QStringList forms = QString::fromLatin1(c.synopsis).split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < forms.size(); ++i)
        s << (i == 0 ? "usage: " : "       ") << prefix << forms[i] << "\n";
    s << c.summary << "\n";
    writeOptions(s, {c.options, std::span(&kHelpOption, 1)});
    if (c.details)
        s << "\n" << c.details;
}

// Qt's parser words its errors as sentences; ours are lines after the program's name.
QString errorLine(const QString& text)
{
    QString line = text;
    if (!line.isEmpty())
        line[0] = line[0].toLower();
    if (line.endsWith(QLatin1Char('.')))
        line.chop(1);
    return line;
}

ExitCode programUsageError(QTextStream& err, const QString& what)
{
    err << kProgram << ": " << what << "\n";
    writeProgramUsage(err);
    return ExitCode::Usage;
}

ExitCode runCommand(const CliCommand& command, const QStringList& arguments, QTextStream& out,
                    QTextStream& err)
{
    QCommandLineParser parser;
    for (const CliOption& o : command.options)
        addOption(parser, o);
    addOption(parser, kHelpOption);
    CliContext ctx{command, parser, {}, out, err};
    if (!parser.parse(QStringList{kProgram} + arguments))
        return ctx.usageError(errorLine(parser.errorText()));
    if (parser.isSet(QStringLiteral("help"))) {
        writeCommandUsage(out, command);
        return ExitCode::Ok;
    }
    ctx.args = parser.positionalArguments();
    return command.run(ctx);
}

} // namespace

ExitCode CliContext::usageError(const QString& what) const
{
    err << kProgram << " " << command.name << ": " << what << "\n";
    writeCommandUsage(err, command);
    return ExitCode::Usage;
}

ExitCode runCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    for (const CliOption& o : {kVerboseOption, kHelpOption, kVersionOption})
        addOption(parser, o);
    // The command's own options are the command's to read.
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(QStringList{kProgram} + arguments))
        return programUsageError(err, errorLine(parser.errorText()));
    if (parser.isSet(QStringLiteral("help"))) {
        writeProgramUsage(out);
        return ExitCode::Ok;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << kProgram << " " << KV_VERSION_TEXT << "\n";
        return ExitCode::Ok;
    }
    // The program's own progress notes go to the log only when asked for; warnings always show.
    if (!parser.isSet(QStringLiteral("verbose")))
        QLoggingCategory::setFilterRules(QStringLiteral("kv.*.info=false\nkv.*.debug=false"));
    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty())
        return programUsageError(err, QStringLiteral("no command given"));
    const QString name = rest.takeFirst();
    for (const CliCommand* c : kCommands)
        if (name == QLatin1String(c->name))
            return runCommand(*c, rest, out, err);
    return programUsageError(err, QStringLiteral("unknown command '%1'").arg(name));
}

} // namespace kv::cli
