#include "ProgramRun.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>

namespace {

using kv::test::ProgramRun;
using kv::test::runCli;

// The command on a generated environment: refusals first, then a backup whose folder is
// remembered for the next one.
TEST(BackupCommand, RefusesWithoutAFolderThenBacksUpAndRemembersIt)
{
    kv::test::TempDir dir;
    const QString prefix = dir.file("pfx");
    ASSERT_EQ(kv::test::runProgram("tools/mkenv/kv2000-mkenv", {"--identities", "2", prefix}).code,
              0);
    const std::pair<QStringList, const char*> refusals[] = {
        {{}, "give --to FOLDER"},
        {{"--identity", "nobody", "--to", "C:\\Backups"}, "no identity 'nobody'"},
        {{"--to", "C:\\Backups"}, "does not exist"},
    };
    for (const auto& [args, says] : refusals) {
        const ProgramRun r = runCli(QStringList{"backup", "--prefix", prefix} + args);
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(says)) << r.err.toStdString();
    }

    ASSERT_TRUE(QDir().mkpath(prefix + "/drive_c/Backups"));
    const ProgramRun made = runCli({"backup", "--prefix", prefix, "--to", "C:\\Backups"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const QStringList lines = made.outLines();
    ASSERT_EQ(lines.size(), 3) << made.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("archive: C:\\Backups\\Korvane5Backup."))
        << made.out.toStdString();
    EXPECT_TRUE(QFileInfo(lines[1].mid(6)).isFile()) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].startsWith("items: ")) << lines[2].toStdString();
    EXPECT_EQ(runCli({"archive", "--prefix", prefix, "test", lines[0].mid(9)}).code, 0);

    const ProgramRun again = runCli({"backup", "--prefix", prefix, "--replace"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.startsWith("archive: C:\\Backups\\"));
}

} // namespace
