// End to end: environments made by kv2000-mkenv, examined by kv2000-cli env as start-up does.
#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QRegularExpression>

using kv::test::ProgramRun;
using kv::test::runCli;

namespace {

TEST(EnvCommand, FindsWhatTheGeneratorMade)
{
    // "{id}" and "{store}" stand for what the generator reports.
    const std::tuple<QStringList, int, QStringList> cases[] = {
        {{"--identities", "3"},
         0,
         {"mode: OE5", "identities: 3", "identity: Main Identity {id}", "store: {store}",
          "settings-section: {id}"}},
        {{"--no-client"},
         1,
         {"This program requires Outlook Express ",
          "Please install Outlook Express before running."}},
    };
    for (const auto& [generator, code, lines] : cases) {
        SCOPED_TRACE(generator.join(u' ').toStdString());
        kv::test::TempDir dir;
        const ProgramRun made = kv::test::runProgram("tools/mkenv/kv2000-mkenv",
                                                     generator + QStringList{dir.file("pfx")});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        // "identity: NAME {ID} FOLDER": the name and the folder may hold blanks.
        const auto id = QRegularExpression("^identity: .*?(\\{[^}]*\\}) (.*)$",
                                           QRegularExpression::MultilineOption)
                            .match(made.out);
        QStringList expected;
        for (QString line : lines)
            expected
                << line.replace("{id}", id.captured(1)).replace("{store}", id.captured(2) + u'\\');
        // A relative prefix names the folder below the working folder.
        const ProgramRun r = runCli({"env", "--prefix", "pfx"}, dir.path());
        EXPECT_EQ(r.code, code) << r.err.toStdString();
        EXPECT_EQ(r.outLines(), expected);
    }
}

TEST(EnvCommand, NoEnvironmentFailsAndTheDemoPrefixIsMadeOnceUnderTheDataFolder)
{
    kv::test::TempDir dir;
    const ProgramRun none = runCli({"env", "--prefix", dir.file("none")});
    EXPECT_EQ(none.code, 1);
    EXPECT_EQ(none.err, "kv2000-cli env: no Windows environment in " + dir.file("none") + "\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_DATA_HOME", dir.file("data"));
    const ProgramRun first = runCli({"env", "--demo"}, {}, env);
    ASSERT_EQ(first.code, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains("demo environment created"));
    const ProgramRun second = runCli({"env", "--demo"}, {}, env);
    EXPECT_EQ(second.err, QString());
    EXPECT_EQ(second.outLines(), first.outLines());
}

} // namespace
