// What the prefix's file system adds to the contract every IFileSystem keeps: Wine's drive
// configuration, label files, dot-files, the per-thread last error, the desktop's trash and the
// emulated diskette in A: with its limited capacity.
#include "support/TestPrefix.h"

#include "platform/posix/WineFileSystem.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <thread>

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
        t.write(u"drive_c/Store/.hidden"_s, "h");
    }
    void setCapacity(quint64 bytes)
    {
        t.addDrive(u'a', t.file(u"floppy"_s), DriveType::Removable, bytes);
    }
    quint64 freeBytes()
    {
        DiskSpace space;
        EXPECT_TRUE(fs.diskSpace(u"A:\\"_s, &space));
        return space.freeBytes;
    }
    QString onDisk(const QString& name) const { return t.file(u"floppy/"_s + name); }
    TestPrefix t;
    WineFileSystem fs{t.prefix(), t.registry()};
};

TEST_F(WineFileSystemTest, DrivesComeFromTheLinksAndWinesDriveConfiguration)
{
    for (const auto& [letter, type] :
         {std::pair{"n:", "network"}, {"r:", "ramdisk"}, {"h:", "hd"}}) {
        t.registry().setString(Hive::LocalMachine, u"Software\\Wine\\Drives"_s,
                               QLatin1String(letter), QLatin1String(type));
        t.link(QLatin1String(letter), t.file(u"elsewhere"_s));
    }
    const std::pair<const char*, DriveType> cases[] = {
        {"C:\\", DriveType::Fixed},     {"c:", DriveType::Fixed},
        {"A:\\", DriveType::Removable}, {"d:\\", DriveType::CdRom},
        {"N:\\", DriveType::Remote},    {"R:\\", DriveType::RamDisk},
        {"H:\\", DriveType::Fixed},     {"Z:\\", DriveType::Fixed},
        {"Q:\\", DriveType::NoRootDir}, {"C:\\Store", DriveType::NoRootDir},
        {"", DriveType::NoRootDir},
    };
    for (const auto& [root, type] : cases)
        EXPECT_EQ(fs.driveType(QLatin1String(root)), type) << root;
    EXPECT_EQ(fs.logicalDrives(), (QList<QChar>{u'A', u'C', u'D', u'H', u'N', u'R', u'Z'}));

    DiskSpace space;
    ASSERT_TRUE(fs.diskSpace(u"C:\\"_s, &space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_FALSE(fs.diskSpace(u"Q:\\"_s, &space));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
}

TEST_F(WineFileSystemTest, VolumesAreNamedByWinesLabelFiles)
{
    t.write(u"floppy/.windows-label"_s, "BACKUP 1\n");
    t.write(u"floppy/.windows-serial"_s, "1a2b3c4d\n");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"C:\\", "", "NTFS"}, {"A:", "BACKUP 1", "FAT"}, {"D:\\", "", "CDFS"}, {"c:", "", "NTFS"}};
    VolumeInfo info[4];
    for (int i = 0; i < 4; ++i) {
        const auto& [root, label, fileSystem] = cases[i];
        ASSERT_TRUE(fs.volumeInformation(QLatin1String(root), &info[i])) << root;
        EXPECT_EQ(info[i].label, QLatin1String(label)) << root;
        EXPECT_EQ(info[i].fileSystem, QLatin1String(fileSystem)) << root;
    }
    EXPECT_EQ(info[1].serialNumber, 0x1a2b3c4du);
    EXPECT_EQ(info[0].serialNumber, info[3].serialNumber) << "stable without a serial file";
}

TEST_F(WineFileSystemTest, DotFilesAreHiddenAsWineShowsThem)
{
    for (const FileEntry& e : fs.find(u"C:\\Store\\*"_s))
        EXPECT_EQ(bool(e.attributes & kAttrHidden), e.name.startsWith(u'.'))
            << e.name.toStdString();
}

TEST_F(WineFileSystemTest, EachThreadKeepsItsOwnLastError)
{
    EXPECT_FALSE(fs.stat(u"C:\\Store\\missing"_s, nullptr));
    WinError other = -1;
    std::thread worker([&] {
        fs.find(u"C:\\Store\\*"_s);
        other = fs.lastError();
    });
    worker.join();
    EXPECT_EQ(other, kErrorSuccess);
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
}

TEST_F(WineFileSystemTest, RecycledFilesGoToTheDesktopsTrash)
{
    // The data folder does not exist yet (Qt would then put the trash into the current folder).
    EXPECT_TRUE(fs.moveToRecycleBin(u"C:\\Store\\INBOX.dbx"_s));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/Inbox.dbx"));
    EXPECT_EQ(readFile(t.trashFolder() + u"/Inbox.dbx"_s), QByteArray("inbox"));
    EXPECT_FALSE(fs.moveToRecycleBin(u"C:\\Store\\Inbox.dbx"_s));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs.moveToRecycleBin(u"C:\\"_s));
}

TEST_F(WineFileSystemTest, DisketteWritesStopAtItsCapacityWithNothingBeyondIt)
{
    setCapacity(10000);
    t.write(u"floppy/other.bin"_s, QByteArray(4000, 'o'));
    auto out = fs.open(u"A:\\Backup.eaz"_s, QIODevice::WriteOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write(QByteArray(5000, 'a')), 5000);
    EXPECT_EQ(freeBytes(), 1000u);
    // Only the 1000 bytes that fit are written; the next write fails outright.
    EXPECT_EQ(out->write(QByteArray(3000, 'b')), 1000);
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_EQ(out->write("c", 1), -1);
    EXPECT_FALSE(out->errorString().isEmpty());
    out.reset();
    EXPECT_EQ(readFile(onDisk(u"Backup.eaz"_s)), QByteArray(5000, 'a') + QByteArray(1000, 'b'));
    EXPECT_EQ(freeBytes(), 0u);

    // A full disk refuses new files' bytes but not rewriting bytes a file already has.
    out = fs.open(u"A:\\Backup.eaz"_s, QIODevice::ReadWrite);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write("ZZ", 2), 2);
    ASSERT_TRUE(out->seek(out->size()));
    EXPECT_EQ(out->write("Y", 1), -1);
    out.reset();
    EXPECT_EQ(readFile(onDisk(u"Backup.eaz"_s)).left(3), QByteArray("ZZa"));

    // Deleting a file gives its room back.
    ASSERT_TRUE(fs.removeFile(u"A:\\OTHER.BIN"_s));
    EXPECT_EQ(freeBytes(), 4000u);
    out = fs.open(u"A:\\Backup.eaz"_s, QIODevice::Append);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write(QByteArray(4000, 'd')), 4000);
    EXPECT_EQ(out->write("e", 1), -1);
    out.reset();
    EXPECT_EQ(QFileInfo(onDisk(u"Backup.eaz"_s)).size(), 10000);
}

TEST_F(WineFileSystemTest, FilesWrittenSideBySideOnADisketteShareItsRoom)
{
    setCapacity(1000);
    auto first = fs.open(u"A:\\one"_s, QIODevice::WriteOnly);
    auto second = fs.open(u"A:\\two"_s, QIODevice::WriteOnly);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->write(QByteArray(600, '1')), 600);
    EXPECT_EQ(second->write(QByteArray(600, '2')), 400);
    EXPECT_EQ(first->write("1", 1), -1);
    first.reset();
    second.reset();
    EXPECT_EQ(QFileInfo(onDisk(u"one"_s)).size() + QFileInfo(onDisk(u"two"_s)).size(), 1000);
}

TEST_F(WineFileSystemTest, CopiesAndMovesThatDoNotFitOnADisketteChangeNothing)
{
    setCapacity(1000);
    t.write(u"drive_c/big.bin"_s, QByteArray(1500, 'b'));
    t.write(u"drive_c/small.bin"_s, QByteArray(600, 's'));
    EXPECT_FALSE(fs.copyFile(u"C:\\big.bin"_s, u"A:\\big.bin"_s, false));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_FALSE(fs.moveFile(u"C:\\big.bin"_s, u"A:\\big.bin"_s));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_TRUE(QFileInfo::exists(t.driveC() + u"/big.bin"_s));
    EXPECT_TRUE(QDir(t.file(u"floppy"_s)).isEmpty());

    EXPECT_TRUE(fs.copyFile(u"C:\\small.bin"_s, u"A:\\small.bin"_s, false));
    // Replacing a file counts the room the old one frees.
    EXPECT_TRUE(fs.copyFile(u"C:\\small.bin"_s, u"A:\\small.bin"_s, false));
    EXPECT_FALSE(fs.copyFile(u"C:\\small.bin"_s, u"A:\\second.bin"_s, false));
    EXPECT_EQ(fs.lastError(), kErrorDiskFull);
    EXPECT_EQ(freeBytes(), 400u);
}

TEST_F(WineFileSystemTest, AnEmptyDisketteHasADefaultCapacityAndNoFolderNoDisk)
{
    DiskSpace space;
    ASSERT_TRUE(fs.diskSpace(u"a:"_s, &space));
    EXPECT_EQ(space.totalBytes, 1457664u);
    EXPECT_EQ(space.freeBytes, 1457664u);
    t.write(u"floppy/sub/old.eaz"_s, QByteArray(1000, 'x'));
    EXPECT_EQ(freeBytes(), 1457664u - 1000u);
    ASSERT_TRUE(QDir(t.file(u"floppy"_s)).removeRecursively());
    EXPECT_EQ(fs.driveType(u"A:\\"_s), DriveType::Removable);
    VolumeInfo info;
    const std::function<bool()> calls[] = {
        [&] { return fs.diskSpace(u"A:\\"_s, &space); },
        [&] { return bool(fs.open(u"A:\\x"_s, QIODevice::WriteOnly)); },
        [&] { return !fs.find(u"A:\\*.*"_s).isEmpty(); },
        [&] { return fs.volumeInformation(u"A:\\"_s, &info); },
    };
    for (const auto& call : calls) {
        EXPECT_FALSE(call());
        EXPECT_EQ(fs.lastError(), kErrorNotReady);
    }
}

} // namespace
} // namespace kv::test
