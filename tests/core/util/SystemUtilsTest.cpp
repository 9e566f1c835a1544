#include "util/SystemUtils.h"
#include "util/FieldList.h"
#include "util/FileScan.h"
#include "util/NulText.h"

#include "support/FakeSystem.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <limits>

#include <gtest/gtest.h>

using namespace kv;

namespace {

struct SystemUtilsTest : testing::Test
{
    test::TempDir tmp;
    test::FaultInjectingFileSystem fs{tmp.path()};
};

} // namespace

TEST(SystemUtils, TheTwoNulRulesDifferOnlyOnATextWithoutNul)
{
    // "#" stands for NUL: the text, cut at NUL, the NUL-terminated text
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"abc", "abc", ""}, {"abc#def#", "abc", "abc"}, {"#x", "", ""}, {"", "", ""}};
    for (const auto& [in, cut, terminated] : cases) {
        const QString text = QString::fromLatin1(in).replace(QLatin1Char('#'), QChar(0));
        EXPECT_EQ(cutAtNul(text), QLatin1String(cut)) << in;
        EXPECT_EQ(nulTerminatedText(text), QLatin1String(terminated)) << in;
    }
}

TEST_F(SystemUtilsTest, FileAndFolderExist)
{
    tmp.write("drive_c/dir/file.txt", "x");
    // path, file exists, folder exists
    const std::tuple<const char*, bool, bool> cases[] = {
        {"C:\\dir\\file.txt", true, false}, {"C:\\dir", false, true},
        {"C:\\dir\\", false, true},         {"C:\\", false, true},
        {"C:\\dir\\missing", false, false}, {"C:\\dir\\*.txt", false, false},
        {"C:\\di?", false, false},          {"", false, false}};
    for (const auto& [path, file, folder] : cases) {
        EXPECT_EQ(SystemUtils::fileExists(fs, path), file) << path;
        EXPECT_EQ(SystemUtils::folderExists(fs, path), folder) << path;
    }
}

TEST_F(SystemUtilsTest, FindNotepadLooksInTheWindowsThenTheSystemFolder)
{
    test::FakeSystem system;
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), QString());
    // A folder of that name is not the program.
    QDir().mkpath(fs.host("windows/notepad.exe"));
    tmp.write("drive_c/windows/system32/notepad.exe", "MZ");
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), "C:\\windows\\system32\\notepad.exe");
    QDir(fs.host("windows/notepad.exe")).removeRecursively();
    tmp.write("drive_c/windows/notepad.exe", "MZ");
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), "C:\\windows\\notepad.exe");
}

TEST_F(SystemUtilsTest, FolderSizesAndFileLists)
{
    FieldList::setSeparators();
    for (const auto& [name, size] : {std::pair{"Inbox.dbx", 100},
                                     {"Sent Items.dbx", 20},
                                     {"news/alt.test.dbx", 7000},
                                     {"news/deeper/x", 1}})
        tmp.write("drive_c/store/" + QLatin1String(name), QByteArray(size, 'x'));
    // path, bytes below, files below, bytes directly inside
    const std::tuple<const char*, qint64, qint64, qint64> cases[] = {
        {"C:\\store", 7121, 4, 120},
        {"C:\\store\\", 7121, 4, 120},
        {"C:\\store\\news", 7001, 2, 7000},
        {"C:\\missing", 0, 0, 0}};
    for (const auto& [path, bytes, files, direct] : cases) {
        const QString p = QString::fromLatin1(path);
        EXPECT_EQ(FileScan::folderSize(fs, p).totalBytes, bytes) << path;
        EXPECT_EQ(FileScan::folderSize(fs, p).fileCount, files) << path;
        EXPECT_EQ(FileScan::folderFileTotal(fs, p), direct) << path;
    }
    EXPECT_EQ(FileScan::folderSize(fs, "C:\\store\\*.*").totalBytes, 7121);
    EXPECT_EQ(FileScan::listFiles(fs, "C:\\store\\*.*"),
              QString("Inbox.dbx") + FieldList::separatorA() + "Sent Items.dbx");
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
    fs.failOn(test::FileCall::DiskSpace, "C:\\", platform::kErrorNotReady);
    EXPECT_EQ(FileScan::freeSpace(fs, "C:\\"), 0) << "unreadable";
    EXPECT_EQ(FileScan::capacity(fs, "C:\\"), -1) << "unreadable";
    fs.clearFaults();
    fs.setDiskSpace(~quint64(0), ~quint64(0)); // past a signed total: capped, never negative
    EXPECT_EQ(FileScan::freeSpace(fs, "c:"), std::numeric_limits<qint64>::max());
}

TEST(SystemUtils, WindowsVersionIsReadOnceAndShared)
{
    test::FakeSystem system;
    system.setVersion({5, 0, 2195, 2, "Service Pack 4"});
    EXPECT_EQ(SystemUtils::refreshWindowsVersion(system).build, 2195u);
    system.setVersion({6, 1, 7601, 2, QString()});
    test::FakeSystem other;
    EXPECT_EQ(SystemUtils::windowsVersion(system).build, 2195u);
    EXPECT_EQ(SystemUtils::windowsVersion(other).csdVersion, "Service Pack 4");
    EXPECT_EQ(SystemUtils::refreshWindowsVersion(system).build, 7601u);
}
