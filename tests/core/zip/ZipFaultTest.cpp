// Zipping when things go wrong: cancel, unreadable files, full disks. The previous archive of
// the same name survives every failure in temporary-file mode, and no partial file is left.
#include "ZipFixture.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <chrono>
#include <thread>

using namespace kv::test;
using namespace kv::zip;

namespace {

class ZipFaultTest : public ZipFixture
{
protected:
    void SetUp() override
    {
        put(QStringLiteral("C:\\S\\one.dbx"), mailText(2'500'000, 31));
        put(QStringLiteral("C:\\S\\two.dbx"), noise(400'000, 32));
        put(QStringLiteral("C:\\S\\three.dbx"), mailText(10'000, 33));
        m_zip.setFilesToProcess(QStringLiteral("C:\\S\\one.dbx\rC:\\S\\two.dbx\rC:\\S\\three.dbx"));
    }
};

TEST_F(ZipFaultTest, CancelOrFailureKeepsThePreviousArchiveAndLeavesNoPartialFile)
{
    struct Case
    {
        const char* label;
        bool useTemp;
        std::function<void(ZipFaultTest*)> arrange;
        int result;
        bool previousKept;
    };
    const auto cancelAtTwo = [](ZipFaultTest* t) {
        t->m_events.onAdding = [t](const QString& p, quint64) {
            if (p.endsWith(QLatin1String("two.dbx")))
                t->m_zip.setCancel(true);
        };
    };
    const auto smallDisk = [](ZipFaultTest* t) {
        t->m_fs.mapDrive(QLatin1Char('e'), t->m_dir.file(QStringLiteral("e")),
                         kv::platform::DriveType::Removable, 700'000);
    };
    const QList<Case> cases = {
        {"cancel in the middle, temp file", true, cancelAtTwo, kZipCancelled, true},
        {"cancel in the middle, direct", false, cancelAtTwo, kZipCancelled, false},
        {"disk full, temp file on the same small drive", true, smallDisk, kZipDiskFull, true},
        {"disk full, direct", false, smallDisk, kZipDiskFull, false},
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        m_events = RecordingListener();
        m_fs.mapDrive(QLatin1Char('e'), m_dir.file(QStringLiteral("e%1").arg(n++)));
        c.arrange(this);
        put(QStringLiteral("E:\\b.eaz"), "previous archive");
        m_zip.setArchiveName(QStringLiteral("E:\\b.eaz"));
        m_zip.setUseTempFile(c.useTemp);
        m_zip.setTempFolder(QStringLiteral("E:\\tmp"));
        EXPECT_EQ(m_zip.zip(), c.result);
        QStringList expected;
        if (c.previousKept)
            expected << QStringLiteral("b.eaz");
        EXPECT_EQ(filesBelow(host(QStringLiteral("E:\\"))), expected);
        if (c.previousKept) {
            EXPECT_EQ(get(QStringLiteral("E:\\b.eaz")), QByteArray("previous archive"));
        }
    }
}

TEST_F(ZipFaultTest, UnreadableAndMissingFilesAreSkippedTheRestIsSound)
{
    m_fs.failOn(FileCall::Open, QStringLiteral("C:\\S\\two.dbx"),
                kv::platform::kErrorSharingViolation);
    m_zip.setFilesToProcess(m_zip.filesToProcess() + QStringLiteral("\rC:\\S\\gone.dbx"));
    m_zip.setArchiveName(QStringLiteral("D:\\b.eaz"));
    EXPECT_EQ(m_zip.zip(), kZipFilesSkipped);
    ASSERT_EQ(m_events.skipped.size(), 2);
    EXPECT_EQ(m_events.skipped[0],
              qMakePair(QStringLiteral("C:\\S\\gone.dbx"), int(SkipReason::FileNotFound)));
    EXPECT_EQ(m_events.skipped[1],
              qMakePair(QStringLiteral("C:\\S\\two.dbx"), int(SkipReason::CannotOpen)));

    QList<CentralEntry> entries;
    ASSERT_EQ(m_zip.list(&entries), kZipSuccess);
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("S\\one.dbx"));
    EXPECT_EQ(entries[1].name, QStringLiteral("S\\three.dbx"));
    EXPECT_EQ(m_zip.test(), kZipSuccess);
    if (haveTool(QStringLiteral("unzip"))) {
        const ToolRun t = runTool(QStringLiteral("unzip"),
                                  {QStringLiteral("-t"), host(QStringLiteral("D:\\b.eaz"))});
        EXPECT_EQ(t.exitCode, 0) << t.output.toStdString();
    }
}

TEST_F(ZipFaultTest, NothingToAddNothingReadableOrNowhereToWrite)
{
    m_zip.setArchiveName(QStringLiteral("D:\\b.eaz"));
    m_zip.setFilesToProcess(QStringLiteral("C:\\Empty\\*"));
    m_fs.makeSurePath(QStringLiteral("C:\\Empty\\"));
    EXPECT_EQ(m_zip.zip(), kZipNothingToDo);
    m_fs.failOn(FileCall::Open, QStringLiteral("C:\\S\\three.dbx"),
                kv::platform::kErrorSharingViolation);
    m_zip.setFilesToProcess(QStringLiteral("C:\\S\\three.dbx"));
    EXPECT_EQ(m_zip.zip(), kZipFilesSkipped);
    EXPECT_TRUE(filesBelow(host(QStringLiteral("D:\\"))).isEmpty());
    m_zip.setFilesToProcess(QString());
    EXPECT_EQ(m_zip.zip(), kZipBadArguments);
    m_zip.setFilesToProcess(QStringLiteral("C:\\S\\one.dbx"));
    m_zip.setUseTempFile(false);
    m_zip.setArchiveName(QStringLiteral("Q:\\nowhere\\b.eaz"));
    EXPECT_EQ(m_zip.zip(), kZipCannotCreate);
    m_zip.setUseTempFile(true);
    m_zip.setTempFolder(QStringLiteral("Q:\\tmp"));
    EXPECT_EQ(m_zip.zip(), kZipCannotCreate);
}

TEST_F(ZipFaultTest, ExtractionOntoAFullDiskLeavesNoPartialFile)
{
    m_zip.setArchiveName(QStringLiteral("D:\\b.eaz"));
    ASSERT_EQ(m_zip.zip(), kZipSuccess);
    m_fs.mapDrive(QLatin1Char('e'), m_dir.file(QStringLiteral("small")),
                  kv::platform::DriveType::Removable, 1'000'000);
    put(QStringLiteral("E:\\out\\one.dbx"), "previous");
    m_zip.setDestination(QStringLiteral("E:\\out"));
    m_zip.setFilesToProcess(QStringLiteral("one.dbx"));
    m_zip.setPathMode(PathMode::FromMatch);
    EXPECT_EQ(m_zip.unzip(), kZipDiskFull);
    EXPECT_EQ(filesBelow(host(QStringLiteral("E:\\out"))), QStringList{QStringLiteral("one.dbx")});
    EXPECT_EQ(get(QStringLiteral("E:\\out\\one.dbx")), QByteArray("previous"));
}

TEST_F(ZipFaultTest, AnArchiveInsideTheZippedFolderIsNotAddedToItself)
{
    put(QStringLiteral("D:\\Store\\b.eaz"), "previous archive");
    put(QStringLiteral("D:\\Store\\f.dbx"), mailText(5000, 35));
    m_zip.setArchiveName(QStringLiteral("D:\\Store\\b.eaz"));
    m_zip.setTempFolder(QString()); // built beside the archive
    m_zip.setFilesToProcess(QStringLiteral("D:\\Store\\*"));
    ASSERT_EQ(m_zip.zip(), kZipSuccess);
    QList<CentralEntry> entries;
    ASSERT_EQ(m_zip.list(&entries), kZipSuccess);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].name, QStringLiteral("Store\\f.dbx"));
    EXPECT_EQ(filesBelow(host(QStringLiteral("D:\\Store"))),
              (QStringList{QStringLiteral("b.eaz"), QStringLiteral("f.dbx")}));
}

// Cancel from another thread while a large file is being compressed, as the GUI's button does.
TEST_F(ZipFaultTest, CancelFromAnotherThreadInTheMiddleOfAFile)
{
    put(QStringLiteral("C:\\S\\big.dbx"), noise(48 << 20, 36));
    put(QStringLiteral("D:\\b.eaz"), "previous archive");
    m_zip.setFilesToProcess(QStringLiteral("C:\\S\\big.dbx"));
    m_zip.setArchiveName(QStringLiteral("D:\\b.eaz"));
    m_zip.setTempFolder(QStringLiteral("D:\\tmp"));
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        // Once the first megabytes of the file are in the temporary archive, press Cancel.
        const QString tmp = host(QStringLiteral("D:\\tmp"));
        while (!done) {
            qint64 bytes = 0;
            for (const QString& f : filesBelow(tmp))
                bytes += QFileInfo(tmp + QLatin1Char('/') + f).size();
            if (bytes > (2 << 20)) {
                m_zip.setCancel(true);
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    const int rc = m_zip.zip();
    done = true;
    watcher.join();
    EXPECT_EQ(rc, kZipCancelled);
    EXPECT_EQ(filesBelow(host(QStringLiteral("D:\\"))), QStringList{QStringLiteral("b.eaz")});
    EXPECT_EQ(get(QStringLiteral("D:\\b.eaz")), QByteArray("previous archive"));
}

} // namespace
