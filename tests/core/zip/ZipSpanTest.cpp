// Archives spread over removable disks: a capacity-limited A: and a scripted "insert disk" that
// takes each full disk's piece out of the drive (and puts the asked-for piece back when reading).
#include "ZipFixture.h"

#include <QDir>
#include <QFile>

using namespace kv::test;
using namespace kv::zip;

namespace {

class ZipSpanTest : public ZipFixture
{
protected:
    void SetUp() override
    {
        setFloppy(150 * 1024);
        put(QStringLiteral("C:\\S\\a.dbx"), noise(260'000, 41));
        put(QStringLiteral("C:\\S\\b.dbx"), mailText(300'000, 42));
        put(QStringLiteral("C:\\S\\c.dbx"), noise(90'000, 43));
        m_zip.setFilesToProcess(QStringLiteral("C:\\S\\*"));
        m_zip.setArchiveName(QStringLiteral("A:\\set.eaz"));
        m_zip.setSpanning(true);
        m_zip.setTempFolder(QStringLiteral("C:\\Temp"));
        QDir().mkpath(m_dir.file(QStringLiteral("pieces")));
    }

    QString piece(int disk) const { return m_dir.file(QStringLiteral("pieces/%1").arg(disk)); }
    QString floppyFile() const { return m_fs.toHostPath(QStringLiteral("A:\\set.eaz")); }

    // Writing: disk n is asked for when disk n-1 is full; that one's piece is taken out.
    void scriptWriting()
    {
        m_events.onDisk = [this](int n) {
            EXPECT_TRUE(QFile::rename(floppyFile(), piece(n - 2)));
            return true;
        };
    }
    // Reading: the asked-for piece is put into the drive (0 is the last one).
    void scriptReading(int pieces)
    {
        m_events.onDisk = [this, pieces](int n) {
            QFile::remove(floppyFile());
            const int index = n == 0 ? pieces - 1 : n - 1;
            return QFile::copy(piece(index), floppyFile());
        };
    }
    void expectExtracted()
    {
        for (const char* name : {"a.dbx", "b.dbx", "c.dbx"})
            EXPECT_EQ(get(QStringLiteral("D:\\out\\") + QLatin1String(name)),
                      get(QStringLiteral("C:\\S\\") + QLatin1String(name)))
                << name;
    }
    int writeSet(bool viaTemp)
    {
        scriptWriting();
        m_zip.setUseTempFile(viaTemp);
        const int rc = m_zip.zip();
        // The last disk is still in the drive.
        int count = 0;
        while (QFile::exists(piece(count)))
            ++count;
        if (QFile::exists(floppyFile()))
            QFile::rename(floppyFile(), piece(count++));
        return rc == kZipSuccess ? count : -rc;
    }
};

TEST_F(ZipSpanTest, SpannedSetIsReadByUsAndBy7ZipAsSplitArchive)
{
    for (bool viaTemp : {false, true}) {
        SCOPED_TRACE(viaTemp ? "built in a temporary file" : "written directly");
        m_events = RecordingListener();
        QDir(m_dir.file(QStringLiteral("pieces"))).removeRecursively();
        QDir().mkpath(m_dir.file(QStringLiteral("pieces")));
        const int pieces = writeSet(viaTemp);
        ASSERT_GE(pieces, 3);
        EXPECT_EQ(m_events.disks.first(), 2);
        EXPECT_TRUE(readFile(piece(0)).startsWith(QByteArray("PK\x07\x08", 4)));
        for (int i = 0; i < pieces; ++i)
            EXPECT_LE(QFile(piece(i)).size(), 150 * 1024);

        // Our reader asks for the last disk's number 0 first when the first disk is in.
        m_events = RecordingListener();
        QFile::copy(piece(0), floppyFile());
        scriptReading(pieces);
        EXPECT_EQ(m_zip.test(), kZipSuccess);
        ASSERT_FALSE(m_events.disks.isEmpty());
        EXPECT_EQ(m_events.disks.first(), 0);
        m_zip.setDestination(QStringLiteral("D:\\out"));
        m_zip.setFilesToProcess(QString());
        m_zip.setPathMode(PathMode::FileNameOnly);
        EXPECT_EQ(m_zip.unzip(), kZipSuccess);
        expectExtracted();
        m_zip.setFilesToProcess(QStringLiteral("C:\\S\\*"));
        QFile::remove(floppyFile());

        if (haveTool(QStringLiteral("7z"))) {
            const QString split = m_dir.file(QStringLiteral("split"));
            QDir(split).removeRecursively();
            QDir().mkpath(split);
            for (int i = 0; i < pieces; ++i) {
                const QString name =
                    i == pieces - 1 ? QStringLiteral("set.zip")
                                    : QStringLiteral("set.z%1").arg(i + 1, 2, 10, QLatin1Char('0'));
                QFile::copy(piece(i), split + QLatin1Char('/') + name);
            }
            const ToolRun t = runTool(QStringLiteral("7z"),
                                      {QStringLiteral("t"), split + QStringLiteral("/set.zip")});
            EXPECT_EQ(t.exitCode, 0) << t.output.toStdString();
        }
    }
}

TEST_F(ZipSpanTest, RefusedDiskCancelsAndLeavesNoPartialPiece)
{
    put(QStringLiteral("A:\\old.txt"), "other data");
    m_events.onDisk = [](int) { return false; };
    m_zip.setUseTempFile(false);
    EXPECT_EQ(m_zip.zip(), kZipCancelled);
    EXPECT_EQ(filesBelow(m_fs.toHostPath(QStringLiteral("A:\\"))),
              QStringList{QStringLiteral("old.txt")});
    EXPECT_EQ(m_events.disks, QList<int>{2});
}

TEST_F(ZipSpanTest, ClearDisksEmptiesEachDiskAndASetThatFitsIsOnePlainPiece)
{
    setFloppy(2 * 1024 * 1024);
    put(QStringLiteral("A:\\old.txt"), "other data");
    put(QStringLiteral("A:\\sub\\x.txt"), "more");
    m_zip.setClearDisks(true);
    EXPECT_EQ(m_zip.zip(), kZipSuccess);
    EXPECT_TRUE(m_events.disks.isEmpty());
    EXPECT_EQ(filesBelow(m_fs.toHostPath(QStringLiteral("A:\\"))),
              QStringList{QStringLiteral("set.eaz")});
    EXPECT_TRUE(readFile(floppyFile()).startsWith(QByteArray("PK00", 4)));
    EXPECT_EQ(m_zip.test(), kZipSuccess);
    if (haveTool(QStringLiteral("unzip"))) {
        const ToolRun t = runTool(QStringLiteral("unzip"), {QStringLiteral("-t"), floppyFile()});
        EXPECT_EQ(t.exitCode, 0) << t.output.toStdString();
    }
}

TEST_F(ZipSpanTest, InfoZipSplitSetIsReadAsDisks)
{
    if (!haveTool(QStringLiteral("zip")))
        GTEST_SKIP() << "zip missing";
    const QString src = m_fs.toHostPath(QStringLiteral("C:\\S"));
    const QString out = m_dir.file(QStringLiteral("zs/set.zip"));
    QDir().mkpath(m_dir.file(QStringLiteral("zs")));
    const ToolRun made = runTool(QStringLiteral("zip"),
                                 {QStringLiteral("-q"), QStringLiteral("-s"), QStringLiteral("64k"),
                                  QStringLiteral("-r"), out, QStringLiteral(".")},
                                 src);
    ASSERT_EQ(made.exitCode, 0) << made.output.toStdString();
    int pieces = 0;
    while (QFile::exists(
        m_dir.file(QStringLiteral("zs/set.z%1").arg(pieces + 1, 2, 10, QLatin1Char('0')))))
        ++pieces;
    ASSERT_GE(pieces, 2);
    for (int i = 0; i < pieces; ++i)
        QFile::copy(m_dir.file(QStringLiteral("zs/set.z%1").arg(i + 1, 2, 10, QLatin1Char('0'))),
                    piece(i));
    QFile::copy(out, piece(pieces));
    ++pieces;

    QFile::copy(piece(pieces - 1), floppyFile()); // the last disk is in the drive
    scriptReading(pieces);
    EXPECT_EQ(m_zip.test(), kZipSuccess);
    m_zip.setDestination(QStringLiteral("D:\\out"));
    m_zip.setFilesToProcess(QStringLiteral("*.dbx"));
    EXPECT_EQ(m_zip.unzip(), kZipSuccess);
    expectExtracted();

    // Without spanning allowed, a piece of a set is not read.
    m_zip.setSpanning(false);
    EXPECT_EQ(m_zip.test(), kZipNotAZip);
}

TEST_F(ZipSpanTest, NothingReadableLeavesNoPieceOnTheDisk)
{
    m_fs.failOn(FileCall::Open, QStringLiteral("C:\\S\\a.dbx"),
                kv::platform::kErrorSharingViolation);
    m_zip.setFilesToProcess(QStringLiteral("C:\\S\\a.dbx"));
    m_zip.setUseTempFile(false);
    EXPECT_EQ(m_zip.zip(), kZipFilesSkipped);
    EXPECT_TRUE(filesBelow(m_fs.toHostPath(QStringLiteral("A:\\"))).isEmpty());
}

} // namespace
