// Both programs: help and version on stdout with exit 0; a usage error on one stderr line, then
// the usage, with exit 2.
#include "ProgramRun.h"
#include "support/QtPrinters.h"

namespace {

TEST(CommandLine, HelpVersionAndUsageErrorsFollowTheConventions)
{
    const QString cli = QStringLiteral("kv2000-cli [--verbose]"),
                  restore = QStringLiteral("kv2000-cli restore");
    // The program's name and arguments; the usage that follows ("" none; the error line names it
    // up to " ["); the first line ("" when the usage comes first).
    const std::tuple<QStringList, QString, const char*> cases[] = {
        {{"kv2000-cli", "--help"}, cli, ""},
        {{"kv2000-cli", "--version"}, "", "kv2000-cli " KV_VERSION_TEXT},
        {{"kv2000-cli"}, cli, "no command given"},
        {{"kv2000-cli", "--bogus", "env"}, cli, "unknown option 'bogus'"},
        {{"kv2000-cli", "restore", "x.eaz", "--all", "--to", "2=Inbox"},
         restore,
         "--to cannot be used with --all: when doing a Full Restore, you may not restore to "
         "alternate folders"},
        {{"kv2000", "--help"}, "kv2000 [--prefix DIR | --demo]", ""},
        {{"kv2000", "\\F", "--version"}, "", "kv2000 " KV_VERSION_TEXT},
    };
    for (const auto& [args, who, error] : cases) {
        SCOPED_TRACE(args.join(u' ').toStdString());
        const bool good =
            args.contains("--help") || args.contains("-h") || args.contains("--version");
        const auto r = kv::test::runProgram(
            args.first() == "kv2000" ? "app/kv2000" : "cli/kv2000-cli", args.mid(1));
        EXPECT_EQ(r.code, good ? 0 : 2);
        EXPECT_EQ(good ? r.err : r.out, QString());
        QStringList lines = (good ? r.out : r.err).split(u'\n');
        if (*error) {
            EXPECT_EQ(lines.takeFirst(),
                      good ? QString::fromLatin1(error) : who.section(" [", 0, 0) + ": " + error);
        }
        EXPECT_TRUE(who.isEmpty() ? lines == QStringList{QString()}
                                  : lines.value(0).startsWith("usage: " + who + u' '))
            << lines.join('|').toStdString();
    }
}

} // namespace
