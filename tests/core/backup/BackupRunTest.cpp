// The backup run's edges, through the Ui's questions and what is left on disk.
#include "BackupFixture.h"

#include "backup/RunLog.h"
#include "util/TaskRunner.h"

#include <QDir>
#include <QRegularExpression>

namespace kv::test {
namespace {

using platform::DriveType;

// Progress that can act in the middle of the zipping (a cancel, a disk swap).
class HookedProgress : public RecordingProgress
{
public:
    void setProgressText(const QString& text, ProgressStyle style) override
    {
        RecordingProgress::setProgressText(text, style);
        if (onText)
            onText(text);
    }
    std::function<void(const QString&)> onText;
};

class BackupRunTest : public BackupFixture
{
protected:
    void SetUp() override { makeEnvironment(Store{}); }
    QStringList runLog() { return fileLines(m_state.backupLogPath); }
    QStringList backups() { return QDir(host("C:\\Backups")).entryList({"*.eaz"}, QDir::Files); }
};

TEST_F(BackupRunTest, KeptArchivesAreNumberedFromZero)
{
    for (int n = 0; n < 4; ++n)
        runBackup();
    const QString stem = archivePath().chopped(4).section(u'\\', -1);
    EXPECT_EQ(backups(), (QStringList{stem + "-000.eaz", stem + "-001.eaz", stem + "-002.eaz",
                                      stem + ".eaz"}));
    EXPECT_TRUE(runLog().contains("C:\\Backups\\" + stem + "-002.eaz      "));
    EXPECT_EQ(setting(SectionKind::Identity, "DoRename"), "1");
}

// A replaced archive stays until the new one has passed its test; a cancel writes no settings.
TEST_F(BackupRunTest, ReplacedArchiveSurvivesAFailedOrCancelledRun)
{
    const int Cancel = 0, Verify = 1, Good = 2;
    for (const int c : {Cancel, Verify, Good}) {
        SCOPED_TRACE(c);
        m_fs.clearFaults();
        ASSERT_TRUE(m_fs.writeFile(archivePath(), "previous backup"));
        m_state.renameExisting = false;
        const QString fresh = "C:\\Backups\\~kvnew-" + archivePath().section(u'\\', -1);
        if (c == Verify)
            m_fs.failOn(FileCall::Open, fresh, platform::kErrorSharingViolation);
        HookedProgress progress;
        m_run = std::make_unique<BackupRun>(m_platform, m_ui, m_settings, m_state, m_grid, m_totals,
                                            progress);
        if (c == Cancel)
            progress.onText = [this](const QString& t) {
                if (t.startsWith("Saving: Inbox"))
                    m_run->requestCancel();
            };
        InlineTaskRunner runner;
        m_run->start(runner, {});
        EXPECT_EQ(readFile(archivePath()) == "previous backup", c != Good);
        EXPECT_EQ(backups(), QStringList{archivePath().section(u'\\', -1)});
        EXPECT_EQ(m_run->end(), c == Cancel ? BackupEnd::StayOpen : BackupEnd::Close);
        if (c == Cancel) {
            EXPECT_EQ(setting(SectionKind::Identity, "AllowQuick"), "<unset>");
            EXPECT_FALSE(exists(m_state.controlFilePath));
            EXPECT_TRUE(runLog().contains(" ----- Backup Cancelled ---- "));
        }
    }
    EXPECT_EQ(m_ui.messages(),
              (QStringList{"Backup failed validation - One or more files will not extract "
                           "properly\r\nCompacting all OE folders prior to the backup may cure "
                           "the problem",
                           "Backup is complete"}));
}

// An unreadable file stops the run as a file in use; the settings are still written.
TEST_F(BackupRunTest, UnreadableFileIsReportedAsInUseAndStopsTheRun)
{
    const QString inbox = m_state.env.storeFolder + "Inbox.dbx";
    m_fs.failOn(FileCall::Open, inbox, platform::kErrorSharingViolation);
    runBackup();
    EXPECT_EQ(m_ui.messages(),
              QStringList{"ERROR - the file below is in use by another application:\r\n" + inbox +
                          "\r\nFiles in use can not be copied to the backup file."});
    EXPECT_EQ(m_run->summary().skippedFiles, 1);
    EXPECT_EQ(m_run->summary().resultCode, 190);
    EXPECT_TRUE(runLog().contains("Unable to copy file: " + inbox));
    EXPECT_EQ(setting(SectionKind::Identity, "AllowQuick"), "Y");
    EXPECT_FALSE(exists(archivePath()));
}

// A disk full half-way leaves no partial archive and keeps the user's previous one.
TEST_F(BackupRunTest, FullDiskLeavesNoPartialArchiveAndKeepsThePreviousOne)
{
    const QString small = host("C:\\") + "/../small-disk";
    m_fs.mapDrive(u'R', small, DriveType::Removable, 4096);
    m_system.setTempPath("R:\\");
    m_state.renameExisting = false;
    ASSERT_TRUE(m_fs.writeFile(archivePath(), "previous backup"));
    runBackup();
    EXPECT_EQ(m_ui.messages(), QStringList{"Backup failed - Disk is full"});
    EXPECT_TRUE(runLog().contains("Disk error during save - 150"));
    EXPECT_EQ(readFile(archivePath()), "previous backup");
    EXPECT_EQ(backups(), QStringList{archivePath().section(u'\\', -1)});
    EXPECT_TRUE(QDir(small).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST_F(BackupRunTest, UnwritableDestinationAsksUntilCancelled)
{
    m_fs.failOn(FileCall::Open, "C:\\Backups\\Korvane.tst", platform::kErrorAccessDenied);
    m_ui.answerMessage(MsgResult::Retry).answerMessage(MsgResult::Cancel);
    runBackup();
    EXPECT_EQ(m_ui.messages().value(1),
              "Disk Access Error - Check that disk is ready and not Write protected");
    EXPECT_EQ(m_run->end(), BackupEnd::Close);
    EXPECT_FALSE(exists(RunLog::tempPath(m_state.programFolder)));
    EXPECT_TRUE(backups().isEmpty());
}

TEST_F(BackupRunTest, PurgeDeletesTheOldestButNeverTheNewOrAFutureDatedArchive)
{
    m_settings.saveSetting("Parms", "BackupPurge", "3");
    const QDateTime now = m_system.now().toUTC();
    const QString base = "C:\\Backups\\Korvane5Backup.Main Identity.";
    const QStringList stamps{"2026-10-01-08-00", "2026-10-15-08-00", "2026-11-01-08-00",
                             "2026-11-20-08-00", "2027-06-01-08-00"};
    const int days[] = {-60, -45, -30, -15, 200};
    for (int i = 0; i < 5; ++i) {
        const QString path = base + stamps[i] + ".eaz";
        ASSERT_TRUE(m_fs.writeFile(path, "old"));
        ASSERT_TRUE(m_fs.setModified(path, now.addDays(days[i])));
    }
    runBackup();
    QStringList kept{"2026-11-20-08-00.eaz", "2026-12-06-10-30.eaz", "2027-06-01-08-00.eaz"};
    EXPECT_EQ(backups(), kept.replaceInStrings(QRegularExpression("^"), base.mid(11)));
    // More surplus than old archives: the future-dated one is still kept.
    m_settings.saveSetting("Parms", "BackupPurge", "1");
    runBackup();
    EXPECT_EQ(backups(), kept.mid(1));
}

// A prefix may link A: to any host folder: only a removable drive's root is emptied.
TEST_F(BackupRunTest, ClearDisksOnlyEmptiesARemovableDriveAtItsRoot)
{
    for (const DriveType type : {DriveType::Fixed, DriveType::Removable}) {
        SCOPED_TRACE(int(type));
        const QString folder = m_fs.prefix().file(type == DriveType::Fixed ? "hostA" : "floppy");
        m_fs.mapDrive(u'a', folder, type, type == DriveType::Removable ? 4 * 1024 * 1024 : 0);
        ASSERT_TRUE(m_fs.writeFile("a:\\other.txt", "someone else's file"));
        m_state.saveFolder = "a:\\";
        m_state.backupFile = "a:\\" + archivePath().section(u'\\', -1);
        m_state.clearDisks = true;
        m_ui.answerMessage(MsgResult::Ok);
        runBackup();
        EXPECT_EQ(exists("a:\\other.txt"), type == DriveType::Fixed);
        EXPECT_EQ(runLog().filter("Diskettes not cleared: a:\\").size(),
                  type == DriveType::Fixed ? 1 : 0);
        EXPECT_TRUE(exists(m_state.backupFile));
        EXPECT_EQ(m_ui.pendingAnswers(), 0);
    }
}

} // namespace
} // namespace kv::test
