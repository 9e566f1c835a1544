// The command-line conventions of both programs: help and version on the standard output with
// exit 0; a wrong option or argument named on one line of the standard error, then the usage,
// with exit 2.
#include "ProgramRun.h"
#include "support/QtPrinters.h"

namespace {

TEST(CommandLine, HelpVersionAndUsageErrorsFollowTheConventions)
{
    const QString cli = QStringLiteral("kv2000-cli [--verbose]"),
                  env = QStringLiteral("kv2000-cli env"), archive = env.left(11) + "archive",
                  restore = env.left(11) + "restore";
    const struct
    {
        QStringList args;  // the program's name first
        QString who;       // the usage that follows ("" none); the error line names it up to " ["
        const char* error; // "" when the usage comes first
    } cases[] = {
        {{"kv2000-cli", "--help"}, cli, ""},
        {{"kv2000-cli", "--version"}, "", "kv2000-cli " KV_VERSION_TEXT},
        {{"kv2000-cli", "env", "--help"}, env, ""},
        {{"kv2000-cli", "archive", "-h"}, archive, ""},
        {{"kv2000-cli"}, cli, "no command given"},
        {{"kv2000-cli", "--bogus", "env"}, cli, "unknown option 'bogus'"},
        {{"kv2000-cli", "frobnicate"}, cli, "unknown command 'frobnicate'"},
        {{"kv2000-cli", "env", "-x"}, env, "unknown option 'x'"},
        {{"kv2000-cli", "env", "--prefix"}, env, "missing value after '--prefix'"},
        {{"kv2000-cli", "env", "--prefix", "p", "--demo"},
         env,
         "--prefix and --demo cannot be used together"},
        {{"kv2000-cli", "env", "x"}, env, "unexpected argument 'x'"},
        {{"kv2000-cli", "extract", "a"}, env.left(11) + "extract", "expected FILE and OUTDIR"},
        {{"kv2000-cli", "archive", "zap", "x"}, archive, "unknown action 'zap'"},
        {{"kv2000-cli", "archive", "--level", "1", "test", "x"},
         archive,
         "--temp, --span and --level go with create"},
        {{"kv2000-cli", "archive", "--level", "9", "create", "o", "f"},
         archive,
         "--level takes 0, 1, 2 or 3"},
        {{"kv2000-cli", "restore"}, restore, "no backup file given"},
        {{"kv2000-cli", "restore", "x.eaz"},
         restore,
         "say what to restore: --all, --only ROW,... or --to ROW=FOLDER"},
        {{"kv2000-cli", "restore", "x.eaz", "--all", "--to", "2=Inbox"},
         restore,
         "--to cannot be used with --all: when doing a Full Restore, you may not restore to "
         "alternate folders"},
        {{"kv2000-cli", "restore", "x.eaz", "--to", "Inbox"},
         restore,
         "--to takes ROW=FOLDER, not 'Inbox'"},
        {{"kv2000", "--help"}, "kv2000 [--prefix DIR | --demo]", ""},
        {{"kv2000", "\\F", "--version"}, "", "kv2000 " KV_VERSION_TEXT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        const bool good =
            c.args.contains("--help") || c.args.contains("-h") || c.args.contains("--version");
        const auto r = kv::test::runProgram(c.args.first() == QLatin1String("kv2000")
                                                ? QStringLiteral("app/kv2000")
                                                : QStringLiteral("cli/kv2000-cli"),
                                            c.args.mid(1));
        EXPECT_EQ(r.code, good ? 0 : 2);
        EXPECT_EQ(good ? r.err : r.out, QString());
        const QStringList lines = (good ? r.out : r.err).split(u'\n');
        const qsizetype next = *c.error ? 1 : 0;
        if (next) {
            EXPECT_EQ(lines.value(0),
                      good ? QString::fromLatin1(c.error)
                           : c.who.section(QStringLiteral(" ["), 0, 0) + ": " + c.error);
        }
        const QString usage = c.who.isEmpty() ? QString() : "usage: " + c.who + u' ';
        EXPECT_TRUE(usage.isEmpty() ? lines.size() == next + 1
                                    : lines.value(next).startsWith(usage))
            << "expected " << (usage.isEmpty() ? "nothing" : usage.toStdString())
            << " after the line, got " << lines.value(next).toStdString();
    }
}

} // namespace
