#include "util/FileScan.h"
#include "util/FieldList.h"

#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kv;
using kv::test::FaultInjectingFileSystem;

namespace {

class FileScanTest : public testing::Test
{
protected:
    FileScanTest() : fs(tmp.path())
    {
        FieldList::setSeparators();
        write(QStringLiteral("store/Inbox.dbx"), 100);
        write(QStringLiteral("store/Sent Items.dbx"), 20);
        write(QStringLiteral("store/Folders.dbx"), 3);
        write(QStringLiteral("store/news/alt.test.dbx"), 7000);
        write(QStringLiteral("store/news/deeper/x"), 1);
        QDir().mkpath(fs.host(QStringLiteral("store/empty")));
        QDir().mkpath(fs.host(QStringLiteral("void")));
    }
    void write(const QString& relative, int size)
    {
        tmp.write(QStringLiteral("drive_c/") + relative, QByteArray(size, 'x'));
    }
    test::TempDir tmp;
    FaultInjectingFileSystem fs;
};

} // namespace

TEST_F(FileScanTest, FolderSizeCountsEveryFileBelowTheFolder)
{
    struct Case
    {
        const char* path;
        qint64 bytes;
        qint64 files;
    };
    const Case cases[] = {
        {"C:\\store", 7124, 5},         {"C:\\store\\", 7124, 5},   {"C:\\store\\*.*", 7124, 5},
        {"C:\\store\\news", 7001, 2},   {"C:\\store\\empty", 0, 0}, {"C:\\missing", 0, 0},
        {"C:\\store\\Inbox.dbx", 0, 0}, // a file is not a folder
    };
    for (const Case& c : cases) {
        const FileScan::FolderSize size = FileScan::folderSize(fs, QString::fromLatin1(c.path));
        EXPECT_EQ(size.totalBytes, c.bytes) << c.path;
        EXPECT_EQ(size.fileCount, c.files) << c.path;
    }
}

TEST_F(FileScanTest, SizesPast4GBAreCountedIn64Bits)
{
    // Sparse files: large on paper, nothing on the disk.
    for (const char* name : {"big/a.bin", "big/sub/b.bin"}) {
        QFile f(fs.host(QString::fromLatin1(name)));
        QDir().mkpath(QFileInfo(f).absolutePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30)) << "sparse files not supported here";
    }
    const qint64 six = qint64(6) << 30;
    EXPECT_EQ(FileScan::folderSize(fs, QStringLiteral("C:\\big")).totalBytes, six);
    EXPECT_EQ(FileScan::folderFileTotal(fs, QStringLiteral("C:\\big")), six / 2);
}

TEST_F(FileScanTest, ListFilesGivesFileNamesOnlyJoinedBySeparatorA)
{
    const QChar a = FieldList::separatorA();
    EXPECT_EQ(FileScan::listFiles(fs, QStringLiteral("C:\\store\\*.*")),
              QStringLiteral("Folders.dbx%1Inbox.dbx%1Sent Items.dbx").arg(a));
    EXPECT_EQ(FileScan::listFiles(fs, QStringLiteral("C:\\store\\I*.dbx")),
              QStringLiteral("Inbox.dbx"));
    EXPECT_EQ(FileScan::listFiles(fs, QStringLiteral("C:\\store\\*.mbx")), QString());
    EXPECT_EQ(FileScan::listFiles(fs, QStringLiteral("C:\\void\\*.*")), QString());
    EXPECT_EQ(FileScan::listFiles(fs, QStringLiteral("C:\\missing\\*.*")), QString());
    EXPECT_EQ(FieldList::countFieldsA(FileScan::listFiles(fs, QStringLiteral("C:\\store\\*"))), 3);
}

TEST_F(FileScanTest, FolderFileTotalIsNotRecursive)
{
    EXPECT_EQ(FileScan::folderFileTotal(fs, QStringLiteral("C:\\store")), 123);
    EXPECT_EQ(FileScan::folderFileTotal(fs, QStringLiteral("C:\\store\\")), 123);
    EXPECT_EQ(FileScan::folderFileTotal(fs, QStringLiteral("C:\\store\\news")), 7000);
    EXPECT_EQ(FileScan::folderFileTotal(fs, QStringLiteral("C:\\missing")), 0);
}

TEST_F(FileScanTest, FreeSpaceAndCapacity)
{
    // Unreadable: no free space known, capacity -1.
    fs.failOn(test::FileCall::DiskSpace, QStringLiteral("C:\\"), platform::kErrorNotReady);
    EXPECT_EQ(FileScan::freeSpace(fs, QStringLiteral("C:\\")), 0);
    EXPECT_EQ(FileScan::capacity(fs, QStringLiteral("C:\\")), -1);

    const quint64 free = quint64(5) << 30;
    const quint64 total = quint64(80) << 30;
    fs.clearFaults();
    fs.setDiskSpace(free, total);
    for (const char* root : {"C:\\", "C:", "c:"}) {
        EXPECT_EQ(FileScan::freeSpace(fs, QString::fromLatin1(root)), qint64(free)) << root;
        EXPECT_EQ(FileScan::capacity(fs, QString::fromLatin1(root)), qint64(total)) << root;
    }
    // The drive is asked for with its trailing backslash.
    EXPECT_TRUE(fs.calls().contains(QStringLiteral("diskSpace C:\\")));
    EXPECT_FALSE(fs.calls().contains(QStringLiteral("diskSpace C:")));
    EXPECT_EQ(FileScan::capacity(fs, QStringLiteral("Q:\\")), -1);

    // Values past what a signed 64-bit total holds are capped, never negative.
    fs.setDiskSpace(~quint64(0), ~quint64(0));
    EXPECT_GT(FileScan::freeSpace(fs, QStringLiteral("C:\\")), 0);
    EXPECT_GT(FileScan::capacity(fs, QStringLiteral("C:\\")), 0);
}
