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

    // The archive's items as the restore page lists them: the root, then the saved rows.
    const ProgramRun items = runCli({"archive", "--prefix", prefix, "items", lines[0].mid(9)});
    ASSERT_EQ(items.code, 0) << items.err.toStdString();
    const QStringList rows = items.outLines();
    ASSERT_GT(rows.size(), 5) << items.out.toStdString();
    EXPECT_TRUE(rows[0].startsWith("Restoring from: ")) << rows[0].toStdString();
    EXPECT_TRUE(rows[1].startsWith("identity: {")) << rows[1].toStdString();
    EXPECT_EQ(rows[3], "0\t0\t\t0\tOutlook Express\t\t");
    const QStringList inbox = rows.filter("\tInbox\t").value(0).split('\t');
    ASSERT_EQ(inbox.size(), 7) << items.out.toStdString();
    EXPECT_EQ(inbox[2], "2");
    EXPECT_EQ(inbox[3], "0");
    EXPECT_EQ(inbox[6], "Inbox.dbx");
    EXPECT_TRUE(items.err.isEmpty()) << items.err.toStdString();

    const ProgramRun again = runCli({"backup", "--prefix", prefix, "--replace"});
    EXPECT_EQ(again.code, 0) << again.err.toStdString();
    EXPECT_TRUE(again.out.startsWith("archive: C:\\Backups\\"));
}

} // namespace
