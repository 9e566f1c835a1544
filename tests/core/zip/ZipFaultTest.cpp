// Failures keep the previous archive (in temporary-file mode) and leave no partial file.
#include "ZipFixture.h"

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

} // namespace
