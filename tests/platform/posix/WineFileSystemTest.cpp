// What the prefix's file system adds to the contract every IFileSystem keeps: Wine's drive
// configuration, label files, dot-files, the per-thread last error and the desktop's trash.
#include "support/TestPrefix.h"

#include "platform/posix/WineFileSystem.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <thread>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::WineFileSystem;

class WineFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        t.addWineDrives();
        t.write(QStringLiteral("drive_c/Store/Inbox.dbx"), "inbox");
        t.write(QStringLiteral("drive_c/Store/.hidden"), "h");
    }
    TestPrefix t;
    WineFileSystem fs{t.prefix(), t.registry()};
};

TEST_F(WineFileSystemTest, DrivesComeFromTheLinksAndWinesDriveConfiguration)
{
    for (const auto& [letter, type] :
         {std::pair{"n:", "network"}, {"r:", "ramdisk"}, {"h:", "hd"}}) {
        t.registry().setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                               QLatin1String(letter), QLatin1String(type));
        t.link(QLatin1String(letter), t.file(QStringLiteral("elsewhere")));
    }
    const struct
    {
        const char* root;
        DriveType type;
    } cases[] = {
        {"C:\\", DriveType::Fixed},     {"c:", DriveType::Fixed},
        {"A:\\", DriveType::Removable}, {"d:\\", DriveType::CdRom},
        {"N:\\", DriveType::Remote},    {"R:\\", DriveType::RamDisk},
        {"H:\\", DriveType::Fixed},     {"Z:\\", DriveType::Fixed},
        {"Q:\\", DriveType::NoRootDir}, {"C:\\Store", DriveType::NoRootDir},
        {"", DriveType::NoRootDir},
    };
    for (const auto& test : cases)
        EXPECT_EQ(fs.driveType(QString::fromLatin1(test.root)), test.type) << test.root;
    EXPECT_EQ(fs.logicalDrives(), (QList<QChar>{u'A', u'C', u'D', u'H', u'N', u'R', u'Z'}));

    DiskSpace space;
    ASSERT_TRUE(fs.diskSpace(QStringLiteral("C:\\"), &space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_FALSE(fs.diskSpace(QStringLiteral("Q:\\"), &space));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
}

TEST_F(WineFileSystemTest, VolumesAreNamedByWinesLabelFiles)
{
    t.write(QStringLiteral("floppy/.windows-label"), "BACKUP 1\n");
    t.write(QStringLiteral("floppy/.windows-serial"), "1a2b3c4d\n");
    const struct
    {
        const char* root;
        const char* label;
        const char* fileSystem;
    } cases[] = {{"C:\\", "", "NTFS"}, {"A:\\", "BACKUP 1", "FAT"}, {"D:\\", "", "CDFS"}};
    for (const auto& c : cases) {
        VolumeInfo info;
        ASSERT_TRUE(fs.volumeInformation(QString::fromLatin1(c.root), &info)) << c.root;
        EXPECT_EQ(info.label, QLatin1String(c.label)) << c.root;
        EXPECT_EQ(info.fileSystem, QLatin1String(c.fileSystem)) << c.root;
    }
    VolumeInfo a, c1, c2;
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("A:"), &a));
    EXPECT_EQ(a.serialNumber, 0x1a2b3c4du);
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("C:\\"), &c1));
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("c:"), &c2));
    EXPECT_EQ(c1.serialNumber, c2.serialNumber) << "stable without a serial file";
}

TEST_F(WineFileSystemTest, DotFilesAreHiddenAsWineShowsThem)
{
    for (const FileEntry& e : fs.find(QStringLiteral("C:\\Store\\*")))
        EXPECT_EQ(bool(e.attributes & kAttrHidden), e.name.startsWith(u'.'))
            << e.name.toStdString();
}

TEST_F(WineFileSystemTest, EachThreadKeepsItsOwnLastError)
{
    EXPECT_FALSE(fs.stat(QStringLiteral("C:\\Store\\missing"), nullptr));
    WinError other = -1;
    std::thread worker([&] {
        fs.find(QStringLiteral("C:\\Store\\*"));
        other = fs.lastError();
    });
    worker.join();
    EXPECT_EQ(other, kErrorSuccess);
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
}

TEST_F(WineFileSystemTest, RecycledFilesGoToTheDesktopsTrash)
{
    // The data folder does not exist yet (Qt would then put the trash into the current folder).
    EXPECT_TRUE(fs.moveToRecycleBin(QStringLiteral("C:\\Store\\INBOX.dbx")));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/Inbox.dbx"));
    EXPECT_EQ(readFile(t.trashFolder() + QStringLiteral("/Inbox.dbx")), QByteArray("inbox"));
    EXPECT_FALSE(fs.moveToRecycleBin(QStringLiteral("C:\\Store\\Inbox.dbx")));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs.moveToRecycleBin(QStringLiteral("C:\\")));
}

} // namespace
} // namespace kv::test
