#include "support/TestPrefix.h"

#include "platform/posix/WineFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::WineFileSystem;

// A: is a "floppy" drive: an emulated diskette of limited capacity.
class WineDisketteTest : public ::testing::Test
{
protected:
    WineDisketteTest() { t.addWineDrives(); }
    void setCapacity(quint64 bytes)
    {
        t.addDrive(u'a', t.file(QStringLiteral("floppy")), DriveType::Removable, bytes);
    }
    quint64 freeBytes()
    {
        DiskSpace space;
        EXPECT_TRUE(fs.diskSpace(QStringLiteral("A:\\"), &space));
        return space.freeBytes;
    }
    TestPrefix t;
    WineFileSystem fs{t.prefix(), t.registry()};
};

TEST_F(WineDisketteTest, AnEmptyDisketteHoldsADefaultCapacityFree)
{
    DiskSpace space;
    ASSERT_TRUE(fs.diskSpace(QStringLiteral("a:"), &space));
    EXPECT_EQ(space.totalBytes, 1457664u);
    EXPECT_EQ(space.freeBytes, 1457664u);
    t.write(QStringLiteral("floppy/sub/old.eaz"), QByteArray(1000, 'x'));
    EXPECT_EQ(freeBytes(), 1457664u - 1000u);
}

TEST_F(WineDisketteTest, WritesStopAtTheCapacityWithNothingBeyondIt)
{
    setCapacity(10000);
    t.write(QStringLiteral("floppy/other.bin"), QByteArray(4000, 'o'));

    auto out = fs.open(QStringLiteral("A:\\Backup.eaz"), QIODevice::WriteOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write(QByteArray(5000, 'a')), 5000);
    EXPECT_EQ(freeBytes(), 1000u);
    // Only the 1000 bytes that fit are written; the next write fails outright.
    EXPECT_EQ(out->write(QByteArray(3000, 'b')), 1000);
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_EQ(out->write("c", 1), -1);
    EXPECT_FALSE(out->errorString().isEmpty());
    out.reset();

    const QByteArray written = readFile(t.file(QStringLiteral("floppy")) + "/Backup.eaz");
    EXPECT_EQ(written, QByteArray(5000, 'a') + QByteArray(1000, 'b'));
    EXPECT_EQ(freeBytes(), 0u);

    // A full disk refuses new files' bytes but not rewriting bytes a file already has.
    auto again = fs.open(QStringLiteral("A:\\Backup.eaz"), QIODevice::ReadWrite);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->write("ZZ", 2), 2);
    ASSERT_TRUE(again->seek(again->size()));
    EXPECT_EQ(again->write("Y", 1), -1);
    again.reset();
    EXPECT_EQ(readFile(t.file(QStringLiteral("floppy")) + "/Backup.eaz").left(3),
              QByteArray("ZZa"));

    // Deleting a file gives its room back.
    ASSERT_TRUE(fs.removeFile(QStringLiteral("A:\\OTHER.BIN")));
    EXPECT_EQ(freeBytes(), 4000u);
    auto more = fs.open(QStringLiteral("A:\\Backup.eaz"), QIODevice::Append);
    ASSERT_TRUE(more);
    EXPECT_EQ(more->write(QByteArray(4000, 'd')), 4000);
    EXPECT_EQ(more->write("e", 1), -1);
    more.reset();
    EXPECT_EQ(QFileInfo(t.file(QStringLiteral("floppy")) + "/Backup.eaz").size(), 10000);
}

TEST_F(WineDisketteTest, FilesWrittenSideBySideShareTheRoom)
{
    setCapacity(1000);
    auto first = fs.open(QStringLiteral("A:\\one"), QIODevice::WriteOnly);
    auto second = fs.open(QStringLiteral("A:\\two"), QIODevice::WriteOnly);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->write(QByteArray(600, '1')), 600);
    EXPECT_EQ(second->write(QByteArray(600, '2')), 400);
    EXPECT_EQ(first->write("1", 1), -1);
    first.reset();
    second.reset();
    EXPECT_EQ(QFileInfo(t.file(QStringLiteral("floppy")) + "/one").size() +
                  QFileInfo(t.file(QStringLiteral("floppy")) + "/two").size(),
              1000);
}

TEST_F(WineDisketteTest, CopiesAndMovesThatDoNotFitChangeNothing)
{
    setCapacity(1000);
    t.write(QStringLiteral("drive_c/big.bin"), QByteArray(1500, 'b'));
    t.write(QStringLiteral("drive_c/small.bin"), QByteArray(600, 's'));

    EXPECT_FALSE(fs.copyFile(QStringLiteral("C:\\big.bin"), QStringLiteral("A:\\big.bin"), false));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_FALSE(fs.moveFile(QStringLiteral("C:\\big.bin"), QStringLiteral("A:\\big.bin")));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_TRUE(QFileInfo::exists(t.driveC() + "/big.bin"));
    EXPECT_TRUE(QDir(t.file(QStringLiteral("floppy"))).isEmpty());

    EXPECT_TRUE(
        fs.copyFile(QStringLiteral("C:\\small.bin"), QStringLiteral("A:\\small.bin"), false));
    // Replacing a file counts the room the old one frees.
    EXPECT_TRUE(
        fs.copyFile(QStringLiteral("C:\\small.bin"), QStringLiteral("A:\\small.bin"), false));
    EXPECT_FALSE(
        fs.copyFile(QStringLiteral("C:\\small.bin"), QStringLiteral("A:\\second.bin"), false));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_EQ(freeBytes(), 400u);
}

TEST_F(WineDisketteTest, ADriveWithoutItsFolderHoldsNoDisk)
{
    ASSERT_TRUE(QDir(t.file(QStringLiteral("floppy"))).removeRecursively());
    DiskSpace space;
    EXPECT_EQ(fs.driveType(QStringLiteral("A:\\")), DriveType::Removable);
    EXPECT_FALSE(fs.diskSpace(QStringLiteral("A:\\"), &space));
    EXPECT_EQ(fs.lastError(), kErrorNotReady);
    EXPECT_FALSE(fs.open(QStringLiteral("A:\\x"), QIODevice::WriteOnly));
    EXPECT_EQ(fs.lastError(), kErrorNotReady);
    EXPECT_TRUE(fs.find(QStringLiteral("A:\\*.*")).isEmpty());
    EXPECT_EQ(fs.lastError(), kErrorNotReady);
    VolumeInfo info;
    EXPECT_FALSE(fs.volumeInformation(QStringLiteral("A:\\"), &info));
    EXPECT_EQ(fs.lastError(), kErrorNotReady);
}

} // namespace
} // namespace kv::test
