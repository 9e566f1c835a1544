#include "util/SystemUtils.h"

#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::platform;
using kv::test::FaultInjectingFileSystem;

namespace {

class FakeSystem : public ISystem
{
public:
    QString windowsDir = QStringLiteral("C:\\windows");
    QString systemDir = QStringLiteral("C:\\windows\\system32");
    WindowsVersion version;
    int versionCalls = 0;

    QString userName() override { return QStringLiteral("user"); }
    QString windowsDirectory() override { return windowsDir; }
    QString systemDirectory() override { return systemDir; }
    QString tempPath() override { return QStringLiteral("C:\\temp\\"); }
    QString environmentVariable(const QString&) override { return {}; }
    QString expandEnvironmentStrings(const QString& text) override { return text; }
    WindowsVersion windowsVersion() override
    {
        ++versionCalls;
        return version;
    }
    QString programFolder() override { return QStringLiteral("C:\\Program Files\\Korvane"); }
    QDateTime now() override { return QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6)); }
};

class FakeProcesses : public IProcesses
{
public:
    QList<WindowInfo> windows;

    bool runAndWait(const QString&) override { return false; }
    bool start(const QString&, const QStringList&) override { return false; }
    bool openDocument(const QString&) override { return false; }
    QList<WindowInfo> topLevelWindows() override { return windows; }
    bool closeWindow(WindowHandle) override { return false; }
};

class SystemUtilsTest : public testing::Test
{
protected:
    SystemUtilsTest() : fs(tmp.path()) {}
    test::TempDir tmp;
    FaultInjectingFileSystem fs;
};

} // namespace

TEST(SystemUtils, TextAndPathTrimming)
{
    struct Case
    {
        QString in;
        QString trimmedAtNul;
        QString withoutBackslash;
    };
    const Case cases[] = {
        {QStringLiteral("C:\\"), QStringLiteral("C:\\"), QStringLiteral("C:")},
        {QStringLiteral("C:\\\\"), QStringLiteral("C:\\\\"), QStringLiteral("C:\\")},
        {QStringLiteral("C:\\dir"), QStringLiteral("C:\\dir"), QStringLiteral("C:\\dir")},
        {QString(), QString(), QString()},
        {QStringLiteral("\\"), QStringLiteral("\\"), QString()},
        {QStringLiteral("abc") + QChar(0) + QStringLiteral("def\\"), QStringLiteral("abc"),
         QStringLiteral("abc") + QChar(0) + QStringLiteral("def")},
        {QString(QChar(0)) + QStringLiteral("x"), QString(),
         QString(QChar(0)) + QStringLiteral("x")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SystemUtils::trimAtNul(c.in), c.trimmedAtNul) << c.in.toStdString();
        EXPECT_EQ(SystemUtils::removeTrailingBackslash(c.in), c.withoutBackslash)
            << c.in.toStdString();
    }
}

TEST(SystemUtils, VersionWordText)
{
    struct Case
    {
        quint32 value;
        const char* text;
    };
    const Case cases[] = {
        {(5u << 16) | 10, "5.10"},           {5u << 16, "5.0"}, {7, "7"},
        {(5u << 16) | 40000, "5.40000"},     {0, "0"},          {0xFFFFFFFFu, "65535.65535"},
        {(2919u << 16) | 6600, "2919.6600"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemUtils::versionWordText(c.value), QString::fromLatin1(c.text)) << c.value;
}

TEST_F(SystemUtilsTest, FileAndFolderExist)
{
    tmp.write(QStringLiteral("drive_c/dir/file.txt"), "x");
    QDir().mkpath(fs.host(QStringLiteral("dir/sub")));
    struct Case
    {
        const char* path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {"C:\\dir\\file.txt", true, false},
        {"C:\\dir", false, true},
        {"C:\\dir\\", false, true},
        {"C:\\dir\\sub", false, true},
        {"C:\\", false, true},
        {"C:\\dir\\missing.txt", false, false},
        {"C:\\dir\\*.txt", false, false},
        {"C:\\dir\\file.tx?", false, false},
        {"C:\\di?", false, false},
        {"*", false, false},
        {"", false, false},
        {"Q:\\dir", false, false}, // a drive that is not mapped
    };
    for (const Case& c : cases) {
        const QString path = QString::fromLatin1(c.path);
        EXPECT_EQ(SystemUtils::fileExists(fs, path), c.file) << c.path;
        EXPECT_EQ(SystemUtils::folderExists(fs, path), c.folder) << c.path;
    }
}

TEST_F(SystemUtilsTest, DeleteAndRecycle)
{
    tmp.write(QStringLiteral("drive_c/a.txt"), "a");
    tmp.write(QStringLiteral("drive_c/b.txt"), "b");
    EXPECT_TRUE(SystemUtils::deleteFile(fs, QStringLiteral("C:\\a.txt")));
    EXPECT_TRUE(SystemUtils::recycleFile(fs, QStringLiteral("C:\\b.txt")));
    EXPECT_FALSE(QFile::exists(fs.host(QStringLiteral("a.txt"))));
    EXPECT_FALSE(QFile::exists(fs.host(QStringLiteral("b.txt"))));
    EXPECT_EQ(QDir(fs.trashFolder()).entryList(QDir::Files), QStringList{QStringLiteral("b.txt")});
    EXPECT_FALSE(SystemUtils::deleteFile(fs, QStringLiteral("C:\\a.txt")));
    EXPECT_FALSE(SystemUtils::recycleFile(fs, QString()));
}

TEST_F(SystemUtilsTest, FindNotepadLooksInTheWindowsThenTheSystemFolder)
{
    FakeSystem system;
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), QString());
    // A folder of that name is not the program.
    QDir().mkpath(fs.host(QStringLiteral("windows/notepad.exe")));
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), QString());
    tmp.write(QStringLiteral("drive_c/windows/system32/notepad.exe"), "MZ");
    EXPECT_EQ(SystemUtils::findNotepad(fs, system),
              QStringLiteral("C:\\windows\\system32\\notepad.exe"));
    QDir(fs.host(QStringLiteral("windows/notepad.exe"))).removeRecursively();
    tmp.write(QStringLiteral("drive_c/windows/notepad.exe"), "MZ");
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), QStringLiteral("C:\\windows\\notepad.exe"));
    system.windowsDir = QStringLiteral("C:\\windows\\");
    EXPECT_EQ(SystemUtils::findNotepad(fs, system), QStringLiteral("C:\\windows\\notepad.exe"));
}

TEST(SystemUtils, FindWindowMatchesTitleAndClassWithoutRegardToCase)
{
    FakeProcesses processes;
    processes.windows = {
        {11, QStringLiteral("Shell_TrayWnd"), QString(), 1},
        {12, QStringLiteral("Outlook Express Browser Class"),
         QStringLiteral("Inbox - Outlook Express"), 2},
        {13, QStringLiteral("WABBrowseView"), QStringLiteral("Address Book - Main Identity"), 3},
        {14, QStringLiteral("Outlook Express Browser Class"),
         QStringLiteral("Outbox - Outlook Express"), 4},
    };
    struct Case
    {
        const char* title;
        const char* className;
        WindowHandle expected;
    };
    const Case cases[] = {
        {"*Outlook Express*", "Outlook Express Browser Class", 12}, // the first of two
        {"*OUTLOOK EXPRESS", "outlook express*", 12},
        {"Outbox*", "*", 14},
        {"Address Book*", "WAB*", 13},
        {"*", "Shell_TrayWnd", 11},
        {"", "Shell_TrayWnd", 11},
        {"*Outlook Express*", "WAB*", 0},
        {"Inbox", "*", 0},
        {"*", "#32770", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SystemUtils::findWindow(processes, QString::fromLatin1(c.title),
                                          QString::fromLatin1(c.className)),
                  c.expected)
            << c.title << " / " << c.className;
    processes.windows.clear();
    EXPECT_EQ(SystemUtils::findWindow(processes, QStringLiteral("*"), QStringLiteral("*")), 0u);
}

TEST(SystemUtils, WindowsVersionIsReadOnceAndShared)
{
    FakeSystem system;
    system.version = {5, 0, 2195, 2, QStringLiteral("Service Pack 4")};
    EXPECT_EQ(SystemUtils::refreshWindowsVersion(system).build, 2195u);
    system.version.build = 1;
    FakeSystem other;
    // Later readers get the shared record, whichever system object they hold.
    EXPECT_EQ(SystemUtils::windowsVersion(system).build, 2195u);
    EXPECT_EQ(SystemUtils::windowsVersion(other).csdVersion, QStringLiteral("Service Pack 4"));
    EXPECT_TRUE(SystemUtils::windowsVersion(other).isNt());
    EXPECT_EQ(system.versionCalls, 1);
    EXPECT_EQ(other.versionCalls, 0);
}
