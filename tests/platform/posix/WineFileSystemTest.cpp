// What the prefix's file system adds to the contract every IFileSystem keeps.
#include "support/TestPrefix.h"

#include "platform/posix/WineFileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using namespace Qt::StringLiterals;
using platform::posix::WineFileSystem;

class WineFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        t.addWineDrives();
        t.write(u"drive_c/Store/Inbox.dbx"_s, "inbox");
    }
    quint64 freeBytes()
    {
        DiskSpace space;
        EXPECT_TRUE(fs.diskSpace(u"A:\\"_s, &space));
        return space.freeBytes;
    }
    TestPrefix t;
    WineFileSystem fs{t.prefix(), t.registry()};
};

TEST_F(WineFileSystemTest, DrivesFollowWinesLinksAndSettings)
{
    t.registry().setString(Hive::LocalMachine, u"Software\\Wine\\Drives"_s, u"n:"_s, u"network"_s);
    t.link(u"n:"_s, t.file(u"elsewhere"_s));
    t.link(u"e:"_s, t.file(u"no-such-folder"_s)); // a drive all the same
    t.link(u"f::"_s, u"/dev/null"_s);             // a raw device entry, not a drive
    const std::pair<const char*, DriveType> cases[] = {
        {"c:", DriveType::Fixed},       {"A:\\", DriveType::Removable},
        {"d:\\", DriveType::CdRom},     {"N:\\", DriveType::Remote},
        {"Q:\\", DriveType::NoRootDir}, {"C:\\Store", DriveType::NoRootDir},
    };
    for (const auto& [root, type] : cases)
        EXPECT_EQ(fs.driveType(QLatin1String(root)), type) << root;
    EXPECT_EQ(fs.logicalDrives(), (QList<QChar>{u'A', u'C', u'D', u'E', u'N', u'Z'}));
    DiskSpace space;
    EXPECT_FALSE(fs.diskSpace(u"Q:\\"_s, &space));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
}

TEST_F(WineFileSystemTest, RecycledFilesGoToTheDesktopsTrash)
{
    // The data folder does not exist yet: Qt would put the trash into the current folder.
    EXPECT_TRUE(fs.moveToRecycleBin(u"C:\\Store\\INBOX.dbx"_s));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/Inbox.dbx"));
    EXPECT_EQ(readFile(t.trashFolder() + u"/Inbox.dbx"_s), QByteArray("inbox"));
    EXPECT_FALSE(fs.moveToRecycleBin(u"C:\\Store\\Inbox.dbx"_s));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs.moveToRecycleBin(u"C:\\"_s));
}

TEST_F(WineFileSystemTest, DisketteWritesStopAtItsCapacityWithNothingBeyondIt)
{
    t.addDrive(u'a', t.file(u"floppy"_s), DriveType::Removable, 10000);
    t.write(u"floppy/other.bin"_s, QByteArray(4000, 'o'));
    t.write(u"drive_c/big.bin"_s, QByteArray(7000, 'b'));
    EXPECT_FALSE(fs.copyFile(u"C:\\big.bin"_s, u"A:\\big.bin"_s, false));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_FALSE(fs.moveFile(u"C:\\big.bin"_s, u"A:\\big.bin"_s));
    EXPECT_TRUE(QFileInfo::exists(t.driveC() + u"/big.bin"_s));
    EXPECT_FALSE(QFileInfo::exists(t.file(u"floppy/big.bin"_s)));

    // The write that crosses the capacity writes what fits; later ones write nothing.
    auto out = fs.open(u"A:\\Backup.eaz"_s, QIODevice::WriteOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write(QByteArray(5000, 'a')), 5000);
    EXPECT_EQ(out->write(QByteArray(3000, 'b')), 1000);
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_EQ(out->write("c", 1), -1);
    out.reset();
    EXPECT_EQ(readFile(t.file(u"floppy/Backup.eaz"_s)),
              QByteArray(5000, 'a') + QByteArray(1000, 'b'));

    // A full disk refuses new bytes but not rewriting bytes a file already has.
    out = fs.open(u"A:\\Backup.eaz"_s, QIODevice::ReadWrite);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write("ZZ", 2), 2);
    ASSERT_TRUE(out->seek(out->size()));
    EXPECT_EQ(out->write("Y", 1), -1);
    out.reset();
    EXPECT_EQ(readFile(t.file(u"floppy/Backup.eaz"_s)).left(3), QByteArray("ZZa"));

    // Deleting a file gives its room back; replacing one counts the room the old one frees.
    ASSERT_TRUE(fs.removeFile(u"A:\\OTHER.BIN"_s));
    EXPECT_EQ(freeBytes(), 4000u);
    t.write(u"drive_c/small.bin"_s, QByteArray(3000, 's'));
    EXPECT_TRUE(fs.copyFile(u"C:\\small.bin"_s, u"A:\\small.bin"_s, false));
    EXPECT_TRUE(fs.copyFile(u"C:\\small.bin"_s, u"A:\\small.bin"_s, false));
    EXPECT_FALSE(fs.copyFile(u"C:\\small.bin"_s, u"A:\\second.bin"_s, false));
    out = fs.open(u"A:\\Backup.eaz"_s, QIODevice::Append);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write(QByteArray(2000, 'd')), 1000);
    out.reset();
    qint64 used = 0;
    for (const QFileInfo& file : QDir(t.file(u"floppy"_s)).entryInfoList(QDir::Files))
        used += file.size();
    EXPECT_EQ(used, 10000);
}

TEST_F(WineFileSystemTest, AnEmptyDisketteHasADefaultCapacityAndNoFolderNoDisk)
{
    t.write(u"floppy/sub/old.eaz"_s, QByteArray(1000, 'x'));
    EXPECT_EQ(freeBytes(), 1457664u - 1000u);
    ASSERT_TRUE(QDir(t.file(u"floppy"_s)).removeRecursively());
    EXPECT_EQ(fs.driveType(u"A:\\"_s), DriveType::Removable);
    DiskSpace space;
    EXPECT_FALSE(fs.diskSpace(u"A:\\"_s, &space));
    EXPECT_EQ(fs.lastError(), kErrorNotReady);
    EXPECT_FALSE(fs.open(u"A:\\x"_s, QIODevice::WriteOnly));
    EXPECT_EQ(fs.lastError(), kErrorNotReady);
}

} // namespace
} // namespace kv::test
