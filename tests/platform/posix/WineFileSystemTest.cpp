#include "TestPrefix.h"

#include "platform/posix/WineFileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <thread>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::WineFileSystem;

QStringList names(const QList<FileEntry>& entries)
{
    QStringList out;
    for (const FileEntry& e : entries)
        out.append(e.name);
    return out;
}

class WineFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        t.write(QStringLiteral("prefix/drive_c/Store/Inbox.dbx"), "inbox");
        t.write(QStringLiteral("prefix/drive_c/Store/Folders.dbx"), "folders");
        t.write(QStringLiteral("prefix/drive_c/Store/README"), "readme");
        t.write(QStringLiteral("prefix/drive_c/Store/a.b.c"), "abc");
        t.write(QStringLiteral("prefix/drive_c/Store/.hidden"), "h");
        QDir().mkpath(t.driveC() + QStringLiteral("/Store/Sub.dir"));
    }
    TestPrefix t;
    WineFileSystem fs{t.prefix(), t.registry};
};

TEST_F(WineFileSystemTest, FindMatchesPatternsAsWindowsDoes)
{
    const struct
    {
        const char* pattern;
        QStringList expected;
    } cases[] = {
        {"C:\\Store\\*", {".hidden", "a.b.c", "Folders.dbx", "Inbox.dbx", "README", "Sub.dir"}},
        {"C:\\store\\*.*", {".hidden", "a.b.c", "Folders.dbx", "Inbox.dbx", "README", "Sub.dir"}},
        {"C:\\Store\\*.DBX", {"Folders.dbx", "Inbox.dbx"}},
        {"C:\\Store\\?nbox.dbx", {"Inbox.dbx"}},
        {"C:\\Store\\inbox.db?", {"Inbox.dbx"}},
        {"C:\\Store\\inbox.dbx?", {"Inbox.dbx"}}, // "?" may match nothing at the end
        {"C:\\Store\\*.c", {"a.b.c"}},
        {"C:\\Store\\readme.*", {"README"}},
        {"C:\\Store\\FOLDERS.DBX", {"Folders.dbx"}},
        {"C:\\Store\\*.eml", {}},
    };
    for (const auto& test : cases) {
        const QList<FileEntry> found = fs.find(QString::fromUtf8(test.pattern));
        EXPECT_EQ(names(found), test.expected) << test.pattern;
        EXPECT_EQ(fs.lastError(), test.expected.isEmpty() ? kErrorFileNotFound : kErrorSuccess)
            << test.pattern;
    }
}

TEST_F(WineFileSystemTest, FindReportsEntriesWithTheirAttributes)
{
    const QList<FileEntry> found = fs.find(QStringLiteral("C:\\Store\\*"));
    ASSERT_EQ(found.size(), 6);
    for (const FileEntry& e : found) {
        SCOPED_TRACE(e.name.toStdString());
        EXPECT_EQ(e.isDirectory(), e.name == QLatin1String("Sub.dir"));
        EXPECT_EQ(bool(e.attributes & kAttrHidden), e.name.startsWith(QLatin1Char('.')));
        EXPECT_TRUE(e.modified.isValid());
        EXPECT_EQ(e.modified.timeSpec(), Qt::UTC);
    }
    EXPECT_EQ(found[3].name, QStringLiteral("Inbox.dbx"));
    EXPECT_EQ(found[3].size, 5u);
}

TEST_F(WineFileSystemTest, FindInAMissingFolderIsPathNotFound)
{
    EXPECT_TRUE(fs.find(QStringLiteral("C:\\Nowhere\\*.*")).isEmpty());
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
    EXPECT_TRUE(fs.find(QStringLiteral("C:\\Store\\Inbox.dbx\\*")).isEmpty());
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
    EXPECT_TRUE(fs.find(QStringLiteral("Q:\\*")).isEmpty());
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
}

TEST_F(WineFileSystemTest, StatAndOpenResolveWithoutRegardToCase)
{
    FileEntry entry;
    ASSERT_TRUE(fs.stat(QStringLiteral("c:\\STORE\\inbox.DBX"), &entry));
    EXPECT_EQ(entry.name, QStringLiteral("Inbox.dbx"));
    EXPECT_EQ(entry.size, 5u);
    ASSERT_TRUE(fs.stat(QStringLiteral("C:\\"), &entry));
    EXPECT_TRUE(entry.isDirectory());

    auto in = fs.open(QStringLiteral("C:\\store\\FOLDERS.dbx"), QIODevice::ReadOnly);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->readAll(), QByteArray("folders"));

    EXPECT_FALSE(fs.stat(QStringLiteral("C:\\Store\\missing.dbx"), &entry));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs.stat(QStringLiteral("C:\\NoFolder\\missing.dbx"), &entry));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
    EXPECT_FALSE(fs.open(QStringLiteral("C:\\Store\\missing.dbx"), QIODevice::ReadOnly));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs.open(QStringLiteral("C:\\Store\\Sub.dir"), QIODevice::ReadOnly));
    EXPECT_EQ(fs.lastError(), kErrorAccessDenied);
    EXPECT_FALSE(fs.open(QStringLiteral("C:\\NoFolder\\new.txt"), QIODevice::WriteOnly));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
    EXPECT_FALSE(fs.open(QStringLiteral("C:\\Store\\bad?name.txt"), QIODevice::WriteOnly));
    EXPECT_EQ(fs.lastError(), kErrorInvalidName);
}

TEST_F(WineFileSystemTest, WritingAnExistingNameWritesTheExistingFile)
{
    auto out = fs.open(QStringLiteral("C:\\STORE\\INBOX.DBX"), QIODevice::WriteOnly);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write("new"), 3);
    out.reset();
    EXPECT_EQ(readFile(t.driveC() + "/Store/Inbox.dbx"), QByteArray("new"));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/INBOX.DBX"));
}

TEST_F(WineFileSystemTest, FoldersAreCreatedAndRemovedWithWindowsErrors)
{
    EXPECT_TRUE(fs.createDirectory(QStringLiteral("C:\\store\\New")));
    EXPECT_TRUE(QFileInfo(t.driveC() + "/Store/New").isDir());
    EXPECT_FALSE(fs.createDirectory(QStringLiteral("C:\\Store\\new")));
    EXPECT_EQ(fs.lastError(), kErrorAlreadyExists);
    EXPECT_FALSE(fs.createDirectory(QStringLiteral("C:\\Missing\\New")));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);

    // The last component without a trailing "\" is a file name and is not created.
    EXPECT_TRUE(fs.makeSurePath(QStringLiteral("C:\\STORE\\deep\\er\\file.txt")));
    EXPECT_TRUE(QFileInfo(t.driveC() + "/Store/deep/er").isDir());
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/deep/er/file.txt"));
    EXPECT_TRUE(fs.makeSurePath(QStringLiteral("C:\\Store\\deep\\est\\")));
    EXPECT_TRUE(QFileInfo(t.driveC() + "/Store/deep/est").isDir());
    EXPECT_FALSE(fs.makeSurePath(QStringLiteral("C:\\Store\\Inbox.dbx\\below\\")));

    EXPECT_FALSE(fs.removeDirectory(QStringLiteral("C:\\Store\\deep")));
    EXPECT_EQ(fs.lastError(), kErrorDirNotEmpty);
    EXPECT_TRUE(fs.removeDirectory(QStringLiteral("C:\\Store\\DEEP\\est")));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/deep/est"));
    EXPECT_FALSE(fs.removeDirectory(QStringLiteral("C:\\Store\\deep\\est")));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(fs.removeFile(QStringLiteral("C:\\Store\\Sub.dir")));
    EXPECT_EQ(fs.lastError(), kErrorAccessDenied);
    EXPECT_TRUE(fs.removeFile(QStringLiteral("C:\\Store\\readme")));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/README"));
    EXPECT_FALSE(fs.removeFile(QStringLiteral("C:\\Store\\readme")));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
}

TEST_F(WineFileSystemTest, MovesFailWithoutTouchingEitherFile)
{
    const QString store = t.driveC() + "/Store/";
    EXPECT_FALSE(fs.moveFile(QStringLiteral("C:\\Store\\Inbox.dbx"),
                             QStringLiteral("C:\\Store\\folders.DBX")));
    EXPECT_EQ(fs.lastError(), kErrorAlreadyExists);
    EXPECT_EQ(readFile(store + "Inbox.dbx"), QByteArray("inbox"));
    EXPECT_EQ(readFile(store + "Folders.dbx"), QByteArray("folders"));

    EXPECT_FALSE(
        fs.moveFile(QStringLiteral("C:\\Store\\Gone.dbx"), QStringLiteral("C:\\Store\\x.dbx")));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    EXPECT_FALSE(
        fs.moveFile(QStringLiteral("C:\\Store\\Inbox.dbx"), QStringLiteral("C:\\Nowhere\\x.dbx")));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
    EXPECT_TRUE(QFileInfo::exists(store + "Inbox.dbx"));

    EXPECT_TRUE(fs.moveFile(QStringLiteral("C:\\Store\\INBOX.dbx"),
                            QStringLiteral("C:\\Store\\Sub.dir\\Old.dbx")));
    EXPECT_EQ(readFile(store + "Sub.dir/Old.dbx"), QByteArray("inbox"));
    EXPECT_FALSE(QFileInfo::exists(store + "Inbox.dbx"));

    // A change of case only renames.
    EXPECT_TRUE(fs.moveFile(QStringLiteral("C:\\Store\\Folders.dbx"),
                            QStringLiteral("C:\\Store\\FOLDERS.DBX")));
    EXPECT_EQ(
        QDir(store).entryList({QStringLiteral("*.DBX"), QStringLiteral("*.dbx")}, QDir::Files),
        QStringList{QStringLiteral("FOLDERS.DBX")});

    // Folders move too.
    EXPECT_TRUE(fs.moveFile(QStringLiteral("C:\\Store\\Sub.dir"), QStringLiteral("C:\\Moved")));
    EXPECT_EQ(readFile(t.driveC() + "/Moved/Old.dbx"), QByteArray("inbox"));
}

TEST_F(WineFileSystemTest, CopiesKeepTimesAndRespectFailIfExists)
{
    const QString store = t.driveC() + "/Store/";
    const QDateTime stamp = QDateTime(QDate(2000, 5, 3), QTime(14, 5, 0), Qt::UTC);
    ASSERT_TRUE(fs.setModified(QStringLiteral("C:\\Store\\Inbox.dbx"), stamp));
    EXPECT_EQ(QFileInfo(store + "Inbox.dbx").lastModified().toUTC(), stamp);

    EXPECT_FALSE(fs.copyFile(QStringLiteral("C:\\Store\\Inbox.dbx"),
                             QStringLiteral("C:\\Store\\folders.dbx"), true));
    EXPECT_EQ(fs.lastError(), kErrorFileExists);
    EXPECT_EQ(readFile(store + "Folders.dbx"), QByteArray("folders"));

    EXPECT_TRUE(fs.copyFile(QStringLiteral("C:\\Store\\Inbox.dbx"),
                            QStringLiteral("C:\\Store\\folders.dbx"), false));
    EXPECT_EQ(readFile(store + "Folders.dbx"), QByteArray("inbox"));
    EXPECT_EQ(QFileInfo(store + "Folders.dbx").lastModified().toUTC(), stamp);
    EXPECT_EQ(QDir(store).entryList(QDir::Files | QDir::Hidden).size(), 5); // no staging file left

    EXPECT_FALSE(fs.copyFile(QStringLiteral("C:\\Store\\Inbox.dbx"),
                             QStringLiteral("C:\\Store\\INBOX.DBX"), false));
    EXPECT_EQ(fs.lastError(), kErrorSharingViolation);
    EXPECT_EQ(readFile(store + "Inbox.dbx"), QByteArray("inbox"));
    EXPECT_FALSE(
        fs.copyFile(QStringLiteral("C:\\Store\\Sub.dir"), QStringLiteral("C:\\Store\\x"), false));
    EXPECT_EQ(fs.lastError(), kErrorAccessDenied);
    EXPECT_FALSE(
        fs.copyFile(QStringLiteral("C:\\Store\\none"), QStringLiteral("C:\\Store\\x"), false));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
}

TEST_F(WineFileSystemTest, DriveTypesComeFromWinesDriveConfiguration)
{
    t.registry.setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                         QStringLiteral("n:"), QStringLiteral("network"));
    t.registry.setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                         QStringLiteral("r:"), QStringLiteral("ramdisk"));
    t.registry.setString(Hive::LocalMachine, QStringLiteral("Software\\Wine\\Drives"),
                         QStringLiteral("h:"), QStringLiteral("hd"));
    for (const char* letter : {"n:", "r:", "h:"})
        t.link(QString::fromLatin1(letter), t.scratch(QStringLiteral("elsewhere")));
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
}

TEST_F(WineFileSystemTest, HardDiskSpaceIsTheHostFileSystems)
{
    DiskSpace space;
    ASSERT_TRUE(fs.diskSpace(QStringLiteral("C:\\"), &space));
    EXPECT_GT(space.totalBytes, 0u);
    EXPECT_LE(space.freeBytes, space.totalBytes);
    EXPECT_FALSE(fs.diskSpace(QStringLiteral("Q:\\"), &space));
    EXPECT_EQ(fs.lastError(), kErrorPathNotFound);
}

TEST_F(WineFileSystemTest, VolumeInformationUsesWinesLabelFiles)
{
    VolumeInfo info;
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("C:\\"), &info));
    EXPECT_EQ(info.fileSystem, QStringLiteral("NTFS"));
    EXPECT_EQ(info.label, QString());
    const quint32 serial = info.serialNumber;
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("c:"), &info));
    EXPECT_EQ(info.serialNumber, serial); // stable

    t.write(QStringLiteral("floppy/.windows-label"), "BACKUP 1\n");
    t.write(QStringLiteral("floppy/.windows-serial"), "1a2b3c4d\n");
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("A:\\"), &info));
    EXPECT_EQ(info.label, QStringLiteral("BACKUP 1"));
    EXPECT_EQ(info.serialNumber, 0x1a2b3c4du);
    EXPECT_EQ(info.fileSystem, QStringLiteral("FAT"));
    ASSERT_TRUE(fs.volumeInformation(QStringLiteral("D:\\"), &info));
    EXPECT_EQ(info.fileSystem, QStringLiteral("CDFS"));
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

TEST_F(WineFileSystemTest, RecycledFilesLeaveTheirFolder)
{
    // The desktop's trash, kept inside the test's folder; its data folder does not exist yet
    // (Qt would then put the trash into the current folder).
    const QString dataHome = t.scratch(QStringLiteral("xdg-data"));
    qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
    EXPECT_TRUE(fs.moveToRecycleBin(QStringLiteral("C:\\Store\\a.B.C")));
    EXPECT_FALSE(QFileInfo::exists(t.driveC() + "/Store/a.b.c"));
    EXPECT_EQ(readFile(dataHome + QStringLiteral("/Trash/files/a.b.c")), QByteArray("abc"));
    EXPECT_FALSE(fs.moveToRecycleBin(QStringLiteral("C:\\Store\\a.b.c")));
    EXPECT_EQ(fs.lastError(), kErrorFileNotFound);
    qunsetenv("XDG_DATA_HOME");
}

} // namespace
} // namespace kv::test
