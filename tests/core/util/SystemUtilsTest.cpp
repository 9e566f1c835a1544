#include "util/SystemUtils.h"
#include "util/FileScan.h"

#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct SystemUtilsTest : testing::Test
{
    test::TempDir tmp;
    test::FaultInjectingFileSystem fs{tmp.path()};
};

} // namespace

TEST_F(SystemUtilsTest, FileAndFolderExist)
{
    tmp.write("drive_c/dir/file.txt", "x");
    // path, file exists, folder exists
    const std::tuple<const char*, bool, bool> cases[] = {
        {"C:\\dir\\file.txt", true, false}, {"C:\\dir\\", false, true},       {"C:\\", false, true},
        {"C:\\dir\\missing", false, false}, {"C:\\dir\\*.txt", false, false}, {"", false, false}};
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(SystemUtils::fileExists(fs, path), file) << path;
        EXPECT_EQ(SystemUtils::folderExists(fs, path), folder) << path;
    }
}

TEST_F(SystemUtilsTest, FolderSizes)
{
    for (const auto& [name, size] : {std::pair{"Inbox.dbx", 100},
                                     {"Sent Items.dbx", 20},
                                     {"news/alt.test.dbx", 7000},
                                     {"news/deeper/x", 1}})
        tmp.write("drive_c/store/" + QLatin1String(name), QByteArray(size, 'x'));
    // path, bytes below, files below, bytes directly inside
    const std::tuple<const char*, qint64, qint64, qint64> cases[] = {
        {"C:\\store", 7121, 4, 120}, {"C:\\store\\news", 7001, 2, 7000}, {"C:\\missing", 0, 0, 0}};
    for (const auto& [path, bytes, files, direct] : cases) {
        const QString p = QString::fromLatin1(path);
        EXPECT_EQ(FileScan::folderSize(fs, p).totalBytes, bytes) << path;
        EXPECT_EQ(FileScan::folderSize(fs, p).fileCount, files) << path;
        EXPECT_EQ(FileScan::folderFileTotal(fs, p), direct) << path;
    }
}

TEST_F(SystemUtilsTest, SizesPast4GBAreCountedIn64Bits)
{
    // Sparse files: large on paper, nothing on the disk.
    for (const char* name : {"big/a.bin", "big/sub/b.bin"}) {
        QFile f(fs.host(QString::fromLatin1(name)));
        QDir().mkpath(QFileInfo(f).absolutePath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(qint64(3) << 30)) << "sparse files not supported here";
    }
    EXPECT_EQ(FileScan::folderSize(fs, "C:\\big").totalBytes, qint64(6) << 30);
    EXPECT_EQ(FileScan::folderFileTotal(fs, "C:\\big"), qint64(3) << 30);
}
