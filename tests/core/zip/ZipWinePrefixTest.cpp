// The zip component on the prefix's own file system: fixed C: and the emulated diskette A:.
#include "ZipFixture.h"

#include "platform/posix/WineFileSystem.h"
#include "support/FakeRegistry.h"
#include "support/TestPrefix.h"

#include <QDir>
#include <QFile>

using namespace kv::test;
using namespace kv::zip;

namespace {

class ZipWinePrefixTest : public ::testing::Test
{
protected:
    ZipWinePrefixTest()
    {
        m_prefix.addDrive(u'a', m_dir.file(QStringLiteral("floppy")),
                          kv::platform::DriveType::Removable, 150 * 1024);
        QDir().mkpath(m_dir.file(QStringLiteral("pieces")));
        m_dir.write(QStringLiteral("prefix/drive_c/S/a.dbx"), noise(260'000, 51));
        m_dir.write(QStringLiteral("prefix/drive_c/S/b.dbx"), mailText(300'000, 52));
        m_dir.write(QStringLiteral("prefix/drive_c/S/c.dbx"), noise(90'000, 53));
    }

    QString c(const QString& rel) const { return m_dir.file(QStringLiteral("prefix/drive_c/") + rel); }
    QString piece(int i) const { return m_dir.file(QStringLiteral("pieces/%1").arg(i)); }
    QString floppyFile() const { return m_dir.file(QStringLiteral("floppy/set.eaz")); }

    TempDir m_dir;
    FakeRegistry m_registry;
    TestPrefix m_prefix{m_dir.file(QStringLiteral("prefix")), &m_registry};
    kv::platform::posix::WineFileSystem m_fs{m_prefix.prefix(), m_registry};
    RecordingListener m_events;
    ZipComponent m_zip{m_fs, &m_events};
};

TEST_F(ZipWinePrefixTest, FixedDiskRoundTripReplacesThePreviousArchive)
{
    m_dir.write(QStringLiteral("prefix/drive_c/b.eaz"), "previous");
    m_zip.setArchiveName(QStringLiteral("C:\\b.eaz"));
    m_zip.setTempFolder(QStringLiteral("C:\\Temp"));
    m_zip.setFilesToProcess(QStringLiteral("C:\\S\\*"));
    ASSERT_EQ(m_zip.zip(), kZipSuccess);
    EXPECT_EQ(m_zip.test(), kZipSuccess);
    m_zip.setDestination(QStringLiteral("C:\\Out"));
    m_zip.setFilesToProcess(QStringLiteral("*.dbx"));
    ASSERT_EQ(m_zip.unzip(), kZipSuccess);
    for (const char* f : {"a.dbx", "b.dbx", "c.dbx"})
        EXPECT_EQ(readFile(c(QStringLiteral("Out/") + QLatin1String(f))),
                  readFile(c(QStringLiteral("S/") + QLatin1String(f)))) << f;
    EXPECT_TRUE(QDir(c(QStringLiteral("Temp"))).isEmpty());
}

TEST_F(ZipWinePrefixTest, DisketteSetIsSpannedAndReadBack)
{
    for (bool viaTemp : {false, true}) {
        SCOPED_TRACE(viaTemp ? "built in a temporary file" : "written directly");
        QDir(m_dir.file(QStringLiteral("pieces"))).removeRecursively();
        QDir().mkpath(m_dir.file(QStringLiteral("pieces")));
        m_events = RecordingListener();
        m_events.onDisk = [this](int n) { return QFile::rename(floppyFile(), piece(n - 2)); };
        m_zip.setArchiveName(QStringLiteral("A:\\set.eaz"));
        m_zip.setSpanning(true);
        m_zip.setUseTempFile(viaTemp);
        m_zip.setTempFolder(QStringLiteral("C:\\Temp"));
        m_zip.setFilesToProcess(QStringLiteral("C:\\S\\*"));
        ASSERT_EQ(m_zip.zip(), kZipSuccess);
        int pieces = 0;
        while (QFile::exists(piece(pieces)))
            ++pieces;
        ASSERT_TRUE(QFile::rename(floppyFile(), piece(pieces++)));
        ASSERT_GE(pieces, 3);
        for (int i = 0; i < pieces; ++i)
            EXPECT_LE(QFile(piece(i)).size(), 150 * 1024);

        QFile::copy(piece(pieces - 1), floppyFile());
        m_events.onDisk = [this, pieces](int n) {
            QFile::remove(floppyFile());
            return QFile::copy(piece(n == 0 ? pieces - 1 : n - 1), floppyFile());
        };
        m_zip.setDestination(QStringLiteral("C:\\Out"));
        m_zip.setFilesToProcess(QString());
        m_zip.setPathMode(PathMode::FileNameOnly);
        ASSERT_EQ(m_zip.unzip(), kZipSuccess);
        for (const char* f : {"a.dbx", "b.dbx", "c.dbx"})
            EXPECT_EQ(readFile(c(QStringLiteral("Out/") + QLatin1String(f))),
                      readFile(c(QStringLiteral("S/") + QLatin1String(f)))) << f;
        QFile::remove(floppyFile());
    }
}

TEST_F(ZipWinePrefixTest, FullDisketteWithoutSpanningFailsCleanly)
{
    m_zip.setArchiveName(QStringLiteral("A:\\set.eaz"));
    m_zip.setFilesToProcess(QStringLiteral("C:\\S\\*"));
    for (bool viaTemp : {false, true}) {
        m_zip.setUseTempFile(viaTemp);
        m_zip.setTempFolder(QStringLiteral("C:\\Temp"));
        EXPECT_EQ(m_zip.zip(), kZipDiskFull);
        EXPECT_TRUE(QDir(m_dir.file(QStringLiteral("floppy"))).isEmpty());
    }
}

} // namespace
