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
        put(u"C:\\S\\one.dbx"_s, mailText(2'500'000, 31));
        put(u"C:\\S\\two.dbx"_s, noise(400'000, 32));
        put(u"C:\\S\\three.dbx"_s, mailText(10'000, 33));
        m_zip.setFilesToProcess(u"C:\\S\\one.dbx\rC:\\S\\two.dbx\rC:\\S\\three.dbx"_s);
    }
};

TEST_F(ZipFaultTest, CancelOrFailureKeepsThePreviousArchiveAndLeavesNoPartialFile)
{
    int n = 0;
    for (const bool cancel : {true, false}) {
        for (const bool useTemp : {true, false}) {
            SCOPED_TRACE(std::string(cancel ? "cancel in the middle" : "disk full") +
                         (useTemp ? ", temp file on the same drive" : ", direct"));
            m_events = RecordingListener();
            m_events.onAdding = [this, cancel](const QString& path, quint64) {
                if (cancel && path.endsWith(u"two.dbx"_s))
                    m_zip.setCancel(true);
            };
            m_fs.mapDrive(u'e', m_dir.file(u"e%1"_s.arg(n++)),
                          cancel ? kv::platform::DriveType::Fixed
                                 : kv::platform::DriveType::Removable,
                          cancel ? 0 : 700'000);
            put(u"E:\\b.eaz"_s, "previous archive");
            m_zip.setArchiveName(u"E:\\b.eaz"_s);
            m_zip.setUseTempFile(useTemp);
            m_zip.setTempFolder(u"E:\\tmp"_s);
            EXPECT_EQ(m_zip.zip(), cancel ? kZipCancelled : kZipDiskFull);
            EXPECT_EQ(filesBelow(host(u"E:\\"_s)),
                      useTemp ? QStringList{u"b.eaz"_s} : QStringList());
            EXPECT_EQ(get(u"E:\\b.eaz"_s), useTemp ? "previous archive" : QByteArray());
        }
    }
}

TEST_F(ZipFaultTest, UnreadableAndMissingFilesAreSkippedTheRestIsSound)
{
    m_fs.failOn(FileCall::Open, u"C:\\S\\two.dbx"_s, kv::platform::kErrorSharingViolation);
    m_zip.setFilesToProcess(m_zip.filesToProcess() + u"\rC:\\S\\gone.dbx"_s);
    m_zip.setArchiveName(u"D:\\b.eaz"_s);
    EXPECT_EQ(m_zip.zip(), kZipFilesSkipped);
    ASSERT_EQ(m_events.skipped.size(), 2);
    EXPECT_EQ(m_events.skipped[0], qMakePair(u"C:\\S\\gone.dbx"_s, int(SkipReason::FileNotFound)));
    EXPECT_EQ(m_events.skipped[1], qMakePair(u"C:\\S\\two.dbx"_s, int(SkipReason::CannotOpen)));

    EXPECT_EQ(entryNames(), (QStringList{u"S\\one.dbx"_s, u"S\\three.dbx"_s}));
    EXPECT_EQ(m_zip.test(), kZipSuccess);
    expectToolPasses(u"unzip"_s, {u"-t"_s, host(u"D:\\b.eaz"_s)});
}

TEST_F(ZipFaultTest, NothingToAddNothingReadableOrNowhereToReadOrWrite)
{
    m_zip.setArchiveName(u"D:\\b.eaz"_s);
    m_zip.setFilesToProcess(u"C:\\Empty\\*"_s);
    m_fs.makeSurePath(u"C:\\Empty\\"_s);
    EXPECT_EQ(m_zip.zip(), kZipNothingToDo);
    m_fs.failOn(FileCall::Open, u"C:\\S\\three.dbx"_s, kv::platform::kErrorSharingViolation);
    m_zip.setFilesToProcess(u"C:\\S\\three.dbx"_s);
    EXPECT_EQ(m_zip.zip(), kZipFilesSkipped);
    EXPECT_TRUE(filesBelow(host(u"D:\\"_s)).isEmpty());
    m_zip.setFilesToProcess(QString());
    EXPECT_EQ(m_zip.zip(), kZipBadArguments);
    m_zip.setFilesToProcess(u"C:\\S\\one.dbx"_s);
    m_zip.setUseTempFile(false);
    m_zip.setArchiveName(u"Q:\\nowhere\\b.eaz"_s);
    EXPECT_EQ(m_zip.zip(), kZipCannotCreate);
    m_zip.setUseTempFile(true);
    m_zip.setTempFolder(u"Q:\\tmp"_s);
    EXPECT_EQ(m_zip.zip(), kZipCannotCreate);
    m_zip.setArchiveName(u"D:\\none.eaz"_s);
    EXPECT_EQ(m_zip.test(), kZipCannotOpen);
    EXPECT_EQ(unzipTo(u"D:\\o"_s), kZipCannotOpen);
    m_zip.setArchiveName(QString());
    EXPECT_EQ(unzipTo(u"D:\\o"_s), kZipBadArguments);
}

TEST_F(ZipFaultTest, ExtractionOntoAFullDiskLeavesNoPartialFile)
{
    m_zip.setArchiveName(u"D:\\b.eaz"_s);
    ASSERT_EQ(m_zip.zip(), kZipSuccess);
    m_fs.mapDrive(QLatin1Char('e'), m_dir.file(u"small"_s), kv::platform::DriveType::Removable,
                  1'000'000);
    put(u"E:\\out\\one.dbx"_s, "previous");
    EXPECT_EQ(unzipTo(u"E:\\out"_s, u"one.dbx"_s, PathMode::FromMatch), kZipDiskFull);
    EXPECT_EQ(filesBelow(host(u"E:\\out"_s)), QStringList{u"one.dbx"_s});
    EXPECT_EQ(get(u"E:\\out\\one.dbx"_s), QByteArray("previous"));
}

TEST_F(ZipFaultTest, AnArchiveInsideTheZippedFolderIsNotAddedToItself)
{
    put(u"D:\\Store\\b.eaz"_s, "previous archive");
    put(u"D:\\Store\\f.dbx"_s, mailText(5000, 35));
    m_zip.setArchiveName(u"D:\\Store\\b.eaz"_s);
    m_zip.setTempFolder(QString()); // built beside the archive
    m_zip.setFilesToProcess(u"D:\\Store\\*"_s);
    ASSERT_EQ(m_zip.zip(), kZipSuccess);
    EXPECT_EQ(entryNames(), QStringList{u"Store\\f.dbx"_s});
    EXPECT_EQ(filesBelow(host(u"D:\\Store"_s)), (QStringList{u"b.eaz"_s, u"f.dbx"_s}));
}

// Cancel from another thread while a large file is being compressed, as the GUI's button does.
TEST_F(ZipFaultTest, CancelFromAnotherThreadInTheMiddleOfAFile)
{
    put(u"C:\\S\\big.dbx"_s, noise(48 << 20, 36));
    put(u"D:\\b.eaz"_s, "previous archive");
    m_zip.setFilesToProcess(u"C:\\S\\big.dbx"_s);
    m_zip.setArchiveName(u"D:\\b.eaz"_s);
    m_zip.setTempFolder(u"D:\\tmp"_s);
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        // Once the first megabytes of the file are in the temporary archive, press Cancel.
        const QString tmp = host(u"D:\\tmp"_s);
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
    EXPECT_EQ(filesBelow(host(u"D:\\"_s)), QStringList{u"b.eaz"_s});
    EXPECT_EQ(get(u"D:\\b.eaz"_s), QByteArray("previous archive"));
}

} // namespace
