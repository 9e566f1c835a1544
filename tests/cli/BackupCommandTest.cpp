#include "ProgramRun.h"

#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>

namespace {

using kv::test::ProgramRun;
using kv::test::runCli;
using kv::test::runProgram;

// The command on a generated environment: refusals first, then a backup whose folder is
// remembered for the next one.
TEST(BackupCommand, RefusesWithoutAFolderThenBacksUpAndRemembersIt)
{
    kv::test::TempDir dir;
    const QString prefix = dir.file("pfx");
    ASSERT_EQ(runProgram("tools/mkenv/kv2000-mkenv", {"--identities", "2", prefix}).code, 0);

    const ProgramRun noFolder = runCli({"backup", "--prefix", prefix});
    EXPECT_EQ(noFolder.code, 2);
    EXPECT_TRUE(noFolder.err.contains("give --to FOLDER")) << noFolder.err.toStdString();
    const ProgramRun noIdentity =
        runCli({"backup", "--prefix", prefix, "--identity", "nobody", "--to", "C:\\Backups"});
    EXPECT_EQ(noIdentity.code, 2);
    EXPECT_TRUE(noIdentity.err.contains("no identity 'nobody'")) << noIdentity.err.toStdString();
    const ProgramRun missing = runCli({"backup", "--prefix", prefix, "--to", "C:\\Backups"});
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("does not exist")) << missing.err.toStdString();

    ASSERT_TRUE(QDir().mkpath(prefix + "/drive_c/Backups"));
    const ProgramRun made = runCli({"backup", "--prefix", prefix, "--to", "C:\\Backups"});
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    const QStringList lines = made.outLines();
    ASSERT_EQ(lines.size(), 3) << made.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("archive: C:\\Backups\\Korvane5Backup."))
        << lines[0].toStdString();
    const QString host = lines[1].mid(QStringLiteral("host: ").size());
    EXPECT_TRUE(QFileInfo(host).isFile()) << host.toStdString();
    EXPECT_TRUE(lines[2].startsWith("items: ")) << lines[2].toStdString();
    EXPECT_TRUE(made.err.contains("Saving: Inbox"));
    EXPECT_EQ(runCli({"archive", "--prefix", prefix, "test", lines[0].mid(9)}).code, 0);

    const ProgramRun again = runCli({"backup", "--prefix", prefix, "--replace"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.startsWith("archive: C:\\Backups\\"));
}

} // namespace
