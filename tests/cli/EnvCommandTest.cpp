// End to end: environments made by kv2000-mkenv, examined by kv2000-cli env as the program's
// start-up examines them.
#include "ProgramRun.h"
#include "support/TempDir.h"

#include <QFileInfo>
#include <QRegularExpression>

using kv::test::ProgramRun;
using kv::test::runCli;
using kv::test::runProgram;

namespace {

// Fills in the generator's values: "{id}" and "{store}" (the first identity's id and store
// folder) and "{store-root}" (the version-4 store).
QString fillIn(QString line, const ProgramRun& made)
{
    const QStringList ids = made.outLines().filter(QRegularExpression("^identity: "));
    if (!ids.isEmpty()) {
        // "identity: NAME {ID} FOLDER": the name and the folder may hold blanks.
        const qsizetype open = ids.first().indexOf(u'{');
        const qsizetype close = ids.first().indexOf(u'}', open);
        line.replace("{id}", ids.first().mid(open, close - open + 1));
        line.replace("{store}", ids.first().mid(close + 2) + u'\\');
    }
    const QStringList roots = made.outLines().filter(QRegularExpression("^store-root: "));
    if (!roots.isEmpty())
        line.replace("{store-root}", roots.first().mid(12));
    return line;
}

TEST(EnvCommand, FindsWhatTheGeneratorMade)
{
    const struct
    {
        QStringList generator;
        int code;
        QStringList lines;
    } cases[] = {
        {{"--identities", "3"},
         0,
         {"mode: OE5", "identities: 3", "identity: Main Identity {id}", "store: {store}",
          "settings-section: {id}"}},
        {{"--oe4"},
         0,
         {"mode: OE4", "identities: 0", "store: {store-root}\\Mail\\", "settings-section: Parms"}},
        {{"--no-client"},
         1,
         {"This program requires Outlook Express ",
          "Please install Outlook Express before running."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.generator.join(u' ').toStdString());
        kv::test::TempDir dir;
        const ProgramRun made =
            runProgram("tools/mkenv/kv2000-mkenv", c.generator + QStringList{dir.file("pfx")});
        ASSERT_EQ(made.code, 0) << made.err.toStdString();
        // A relative prefix names the folder below the working folder.
        const ProgramRun r = runCli({"env", "--prefix", "pfx"}, dir.path());
        EXPECT_EQ(r.code, c.code) << r.err.toStdString();
        QStringList expected;
        for (const QString& line : c.lines)
            expected << fillIn(line, made);
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
    EXPECT_EQ(first.outLines().value(0), "mode: OE5");
    EXPECT_TRUE(QFileInfo(dir.file("data/Korvane/demo-prefix/system.reg")).isFile());
    const ProgramRun second = runCli({"env", "--demo"}, {}, env);
    ASSERT_EQ(second.code, 0);
    EXPECT_EQ(second.err, QString());
    EXPECT_EQ(second.outLines(), first.outLines());
    // The archive command works on the same environment: the archive is missing, not the prefix.
    const ProgramRun listed = runCli({"archive", "--demo", "list", "C:\\none.eaz"}, {}, env);
    EXPECT_EQ(listed.code, 1);
    EXPECT_TRUE(listed.err.contains("result 420")) << listed.err.toStdString();
}

} // namespace
