// Spanned sets on a small A:, whose scripted "insert disk" swaps the pieces in and out.
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
        put(u"C:\\S\\a.dbx"_s, noise(260'000, 41));
        put(u"C:\\S\\b.dbx"_s, mailText(300'000, 42));
        put(u"C:\\S\\c.dbx"_s, noise(90'000, 43));
        m_zip.setFilesToProcess(u"C:\\S\\*"_s);
        m_zip.setArchiveName(u"A:\\set.eaz"_s);
        m_zip.setSpanning(true);
        m_zip.setTempFolder(u"C:\\Temp"_s);
    }

    QString floppyFile() const { return host(u"A:\\set.eaz"_s); }
    // set.z01, set.z02, ... and set.zip last, as Info-ZIP and 7-Zip name a split archive's parts.
    QStringList pieces() const
    {
        QStringList names = QDir(m_dir.file(u"set"_s)).entryList(QDir::Files, QDir::Name);
        for (QString& name : names)
            name = m_dir.file(u"set/"_s + name);
        return names;
    }

    // Writes the set, taking each full disk's piece out of the drive, the last one too.
    QStringList writeSet(bool viaTemp)
    {
        QDir(m_dir.file(u"set"_s)).removeRecursively();
        QDir().mkpath(m_dir.file(u"set"_s));
        QFile::remove(floppyFile());
        int asked = 1;
        m_events.onDisk = [&](int n) {
            EXPECT_EQ(n, ++asked);
            return QFile::rename(floppyFile(),
                                 m_dir.file(u"set/set.z%1"_s.arg(n - 1, 2, 10, QChar(u'0'))));
        };
        m_zip.setUseTempFile(viaTemp);
        m_zip.setFilesToProcess(u"C:\\S\\*"_s);
        EXPECT_EQ(m_zip.zip(), kZipSuccess);
        EXPECT_TRUE(QFile::rename(floppyFile(), m_dir.file(u"set/set.zip"_s)));
        return pieces();
    }
    // Reads the set from its pieces, with piece `first` in the drive; 0 asks for the last.
    void readSet(const QStringList& pieces, int first)
    {
        QFile::remove(floppyFile());
        QFile::copy(pieces[first], floppyFile());
        m_events = RecordingListener();
        m_events.onDisk = [this, pieces](int n) {
            QFile::remove(floppyFile());
            return QFile::copy(pieces[n == 0 ? pieces.size() - 1 : n - 1], floppyFile());
        };
        EXPECT_EQ(m_zip.test(), kZipSuccess);
        EXPECT_EQ(unzipTo(u"D:\\out"_s, u"*.dbx"_s, PathMode::FileNameOnly), kZipSuccess);
        for (const QString& name : {u"a.dbx"_s, u"b.dbx"_s, u"c.dbx"_s})
            EXPECT_EQ(get(u"D:\\out\\"_s + name), get(u"C:\\S\\"_s + name)) << name.toStdString();
    }
};

TEST_F(ZipSpanTest, SpannedSetIsReadByUsAndBy7ZipAsSplitArchive)
{
    for (bool viaTemp : {false, true}) {
        SCOPED_TRACE(viaTemp ? "built in a temporary file" : "written directly");
        m_events = RecordingListener();
        const QStringList pieces = writeSet(viaTemp);
        ASSERT_GE(pieces.size(), 3);
        EXPECT_TRUE(readFile(pieces[0]).startsWith(QByteArray("PK\x07\x08", 4)));
        for (const QString& p : pieces)
            EXPECT_LE(QFile(p).size(), 150 * 1024);
        // Our reader asks for the last disk's number 0 first when the first disk is in.
        readSet(pieces, 0);
        ASSERT_FALSE(m_events.disks.isEmpty());
        EXPECT_EQ(m_events.disks.first(), 0);
        expectToolPasses(u"7z"_s, {u"t"_s, pieces.last()});
    }
}

TEST_F(ZipSpanTest, InfoZipSplitSetIsReadAsDisks)
{
    KV_REQUIRE_PROGRAMS("zip");
    QDir().mkpath(m_dir.file(u"set"_s));
    const auto [made, output] = runTool(
        u"zip"_s, {u"-q"_s, u"-s"_s, u"64k"_s, u"-r"_s, m_dir.file(u"set/set.zip"_s), u"."_s},
        host(u"C:\\S"_s));
    ASSERT_EQ(made, 0) << output;
    ASSERT_GE(pieces().size(), 3);
    readSet(pieces(), int(pieces().size()) - 1); // the last disk is in the drive
    // Without spanning allowed, a piece of a set is not read.
    m_zip.setSpanning(false);
    EXPECT_EQ(m_zip.test(), kZipNotAZip);
}

TEST_F(ZipSpanTest, RefusedDiskOrNothingReadableLeavesNoPieceAndClearingEmptiesTheDisk)
{
    put(u"A:\\old.txt"_s, "other data");
    m_zip.setUseTempFile(false);
    EXPECT_EQ(m_zip.zip(), kZipCancelled);
    EXPECT_EQ(filesBelow(host(u"A:\\"_s)), QStringList{u"old.txt"_s});
    EXPECT_EQ(m_events.disks, QList<int>{2});

    m_fs.failOn(FileCall::Open, u"C:\\S\\a.dbx"_s, kv::platform::kErrorSharingViolation);
    m_zip.setFilesToProcess(u"C:\\S\\a.dbx"_s);
    EXPECT_EQ(m_zip.zip(), kZipFilesSkipped);
    EXPECT_EQ(filesBelow(host(u"A:\\"_s)), QStringList{u"old.txt"_s});

    // Clearing empties the disk; a set that fits is one plain piece.
    setFloppy(2 * 1024 * 1024);
    put(u"A:\\sub\\x.txt"_s, "more");
    m_fs.clearFaults();
    m_events = RecordingListener();
    m_zip.setFilesToProcess(u"C:\\S\\*"_s);
    m_zip.setClearDisks(true);
    m_zip.setUseTempFile(true);
    EXPECT_EQ(m_zip.zip(), kZipSuccess);
    EXPECT_TRUE(m_events.disks.isEmpty());
    EXPECT_EQ(filesBelow(host(u"A:\\"_s)), QStringList{u"set.eaz"_s});
    EXPECT_TRUE(readFile(floppyFile()).startsWith(QByteArray("PK00", 4)));
    EXPECT_EQ(m_zip.test(), kZipSuccess);
    expectToolPasses(u"unzip"_s, {u"-t"_s, floppyFile()});
}

} // namespace
