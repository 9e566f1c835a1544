// The command-line conventions of both programs: help and version on the standard output with
// exit 0; a wrong option or argument named on one line of the standard error, then the usage,
// with exit 2.
#include "ProgramRun.h"

namespace {

TEST(CommandLine, HelpVersionAndUsageErrorsFollowTheConventions)
{
    const struct
    {
        QStringList args; // the program's name first
        int code;
        const char* firstLine; // "" when the usage comes first
        const char* usage;     // whose usage follows, if any
    } cases[] = {
        {{"kv2000-cli", "--help"}, 0, "", "kv2000-cli [--verbose]"},
        {{"kv2000-cli", "--version"}, 0, "kv2000-cli " KV_VERSION_TEXT, nullptr},
        {{"kv2000-cli", "env", "--help"}, 0, "", "kv2000-cli env"},
        {{"kv2000-cli", "archive", "-h"}, 0, "", "kv2000-cli archive"},
        {{"kv2000-cli"}, 2, "kv2000-cli: no command given", "kv2000-cli [--verbose]"},
        {{"kv2000-cli", "--bogus", "env"}, 2, "kv2000-cli: unknown option 'bogus'", "kv2000-cli"},
        {{"kv2000-cli", "frobnicate"}, 2, "kv2000-cli: unknown command 'frobnicate'", "kv2000-cli"},
        {{"kv2000-cli", "env", "-x"}, 2, "kv2000-cli env: unknown option 'x'", "kv2000-cli env"},
        {{"kv2000-cli", "env", "--prefix"},
         2,
         "kv2000-cli env: missing value after '--prefix'",
         "kv2000-cli env"},
        {{"kv2000-cli", "env", "--prefix", "p", "--demo"},
         2,
         "kv2000-cli env: --prefix and --demo cannot be used together",
         "kv2000-cli env"},
        {{"kv2000-cli", "env", "x"},
         2,
         "kv2000-cli env: unexpected argument 'x'",
         "kv2000-cli env"},
        {{"kv2000-cli", "extract", "a"},
         2,
         "kv2000-cli extract: expected FILE and OUTDIR",
         "kv2000-cli extract"},
        {{"kv2000-cli", "archive", "zap", "x"},
         2,
         "kv2000-cli archive: unknown action 'zap'",
         "kv2000-cli archive"},
        {{"kv2000-cli", "archive", "--level", "1", "test", "x"},
         2,
         "kv2000-cli archive: --temp, --span and --level go with create",
         "kv2000-cli archive"},
        {{"kv2000-cli", "archive", "--level", "9", "create", "o", "f"},
         2,
         "kv2000-cli archive: --level takes 0, 1, 2 or 3",
         "kv2000-cli archive"},
        {{"kv2000-cli", "restore"},
         2,
         "kv2000-cli restore: no backup file given",
         "kv2000-cli restore"},
        {{"kv2000-cli", "restore", "x.eaz"},
         2,
         "kv2000-cli restore: say what to restore: --all, --only ROW,... or --to ROW=FOLDER",
         "kv2000-cli restore"},
        {{"kv2000-cli", "restore", "x.eaz", "--all", "--to", "2=Inbox"},
         2,
         "kv2000-cli restore: --to cannot be used with --all: when doing a Full Restore, you may "
         "not restore to alternate folders",
         "kv2000-cli restore"},
        {{"kv2000-cli", "restore", "x.eaz", "--to", "Inbox"},
         2,
         "kv2000-cli restore: --to takes ROW=FOLDER, not 'Inbox'",
         "kv2000-cli restore"},
        {{"kv2000", "--help"}, 0, "", "kv2000 [--prefix DIR | --demo]"},
        {{"kv2000", "\\F", "--version"}, 0, "kv2000 " KV_VERSION_TEXT, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const QString program = c.args.first() == QLatin1String("kv2000")
                                    ? QStringLiteral("app/kv2000")
                                    : QStringLiteral("cli/kv2000-cli");
        const auto r = kv::test::runProgram(program, c.args.mid(1));
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(c.code == 0 ? r.err : r.out, QString());
        const QStringList lines = (c.code == 0 ? r.out : r.err).split(u'\n');
        const qsizetype next = *c.firstLine ? 1 : 0;
        if (next) {
            EXPECT_EQ(lines.value(0), QLatin1String(c.firstLine));
        }
        const QString usage = c.usage ? QStringLiteral("usage: ") + c.usage + u' ' : QString();
        EXPECT_TRUE(c.usage ? lines.value(next).startsWith(usage) : lines.size() == next + 1)
            << "expected " << (c.usage ? usage.toStdString() : "nothing") << " after the line, got "
            << lines.value(next).toStdString();
    }
}

} // namespace
