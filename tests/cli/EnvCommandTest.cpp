// End to end: a prefix made by kv2000-mkenv, examined by kv2000-cli env.
#include "support/TempDir.h"

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int exitCode = -1;
    QStringList lines;
    QString err;
};

ToolRun run(const QString& program, const QStringList& args, const QProcessEnvironment& env = {})
{
    QProcess p;
    if (!env.isEmpty())
        p.setProcessEnvironment(env);
    p.start(QStringLiteral(KV_BINARY_DIR) + program, args);
    ToolRun r;
    if (!p.waitForFinished(60000)) {
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

ToolRun mkenv(const QStringList& args)
{
    return run(QStringLiteral("/tools/mkenv/kv2000-mkenv"), args);
}

ToolRun cliEnv(const QStringList& args, const QProcessEnvironment& env = {})
{
    return run(QStringLiteral("/cli/kv2000-cli"), QStringList{QStringLiteral("env")} + args, env);
}

// "identity: <name> <id> <store folder>" lines of the generator.
QStringList generatedIdentity(const ToolRun& made, int index)
{
    const QStringList ids = made.lines.filter(QRegularExpression(QStringLiteral("^identity: ")));
    if (index >= ids.size())
        return {};
    const QString line = ids[index].mid(10);
    const qsizetype open = line.indexOf(u'{');
    const qsizetype close = line.indexOf(u'}', open);
    return {line.left(open - 1), line.mid(open, close - open + 1), line.mid(close + 2)};
}

TEST(EnvCommand, VersionFiveWithTwoIdentitiesUsesTheDefaultIdentity)
{
    kv::test::TempDir dir;
    const QString prefix = dir.file(QStringLiteral("oe5"));
    const ToolRun made = mkenv({QStringLiteral("--identities"), QStringLiteral("2"), prefix});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    const QStringList first = generatedIdentity(made, 0);
    ASSERT_EQ(first.size(), 3);

    const ToolRun r = cliEnv({QStringLiteral("--prefix"), prefix});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines, (QStringList{
                           QStringLiteral("mode: OE5"),
                           QStringLiteral("identities: 2"),
                           QStringLiteral("identity: Main Identity ") + first[1],
                           QStringLiteral("store: ") + first[2] + QLatin1Char('\\'),
                           QStringLiteral("settings-section: ") + first[1],
                       }));
}

TEST(EnvCommand, VersionFourUsesItsMailFolderAndParms)
{
    kv::test::TempDir dir;
    const QString prefix = dir.file(QStringLiteral("oe4"));
    ASSERT_EQ(mkenv({QStringLiteral("--oe4"), prefix}).exitCode, 0);
    const ToolRun r = cliEnv({QStringLiteral("--prefix"), prefix});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.lines, (QStringList{
                           QStringLiteral("mode: OE4"),
                           QStringLiteral("identities: 0"),
                           QStringLiteral("store: C:\\Program Files\\Outlook Express\\Mail\\"),
                           QStringLiteral("settings-section: Parms"),
                       }));
}

TEST(EnvCommand, MissingClientShowsTheInstallMessage)
{
    kv::test::TempDir dir;
    const QString prefix = dir.file(QStringLiteral("bare"));
    ASSERT_EQ(mkenv({QStringLiteral("--no-client"), prefix}).exitCode, 0);
    const ToolRun r = cliEnv({QStringLiteral("--prefix"), prefix});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.lines,
              (QStringList{QStringLiteral("This program requires Outlook Express "),
                           QStringLiteral("Please install Outlook Express before running.")}));

    const ToolRun nowhere = cliEnv({QStringLiteral("--prefix"), dir.file(QStringLiteral("none"))});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_TRUE(nowhere.err.contains(QLatin1String("no Windows environment")))
        << nowhere.err.toStdString();
}

TEST(EnvCommand, DemoPrefixIsMadeOnceUnderTheDataFolder)
{
    kv::test::TempDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.file(QStringLiteral("data")));
    const ToolRun first = cliEnv({QStringLiteral("--demo")}, env);
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_TRUE(first.err.contains(QLatin1String("demo environment created")));
    EXPECT_EQ(first.lines.value(0), QStringLiteral("mode: OE5"));
    EXPECT_TRUE(
        QFileInfo(dir.file(QStringLiteral("data/Korvane/demo-prefix/system.reg"))).isFile());
    const ToolRun second = cliEnv({QStringLiteral("--demo")}, env);
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_FALSE(second.err.contains(QLatin1String("created")));
    EXPECT_EQ(second.lines, first.lines);
}

} // namespace
