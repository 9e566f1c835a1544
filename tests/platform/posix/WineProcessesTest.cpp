#include "support/TestPrefix.h"

#include "platform/posix/WineFileSystem.h"
#include "platform/posix/WineProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using namespace kv::platform;
using platform::posix::WineFileSystem;
using platform::posix::WineProcesses;

class WineProcessesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(t.file(QStringLiteral("bin")));
        QDir().mkpath(t.file(QStringLiteral("records")));
        t.write(QStringLiteral("drive_c/Program Files/Korvane/Last Backup.log"), "log");
        t.write(QStringLiteral("drive_c/Store/Inbox.dbx"), "x");
    }

    // A host program that records how it was called, in records/<name>.
    void fakeProgram(const QString& name)
    {
        const QString path = t.file(QStringLiteral("bin/") + name);
        const QString record = t.file(QStringLiteral("records/") + name);
        t.write(QStringLiteral("bin/") + name,
                QStringLiteral(
                    "#!/bin/sh\nprintf '%s\\n' \"$@\" \"WINEPREFIX=$WINEPREFIX\" > '%1.tmp'\n"
                    "mv '%1.tmp' '%1'\n")
                    .arg(record)
                    .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The lines a fake program recorded, waiting a little for one started without waiting.
    QStringList recorded(const QString& name, int waitMs = 0)
    {
        const QString record = t.file(QStringLiteral("records/") + name);
        QDeadlineTimer deadline(waitMs);
        while (!QFileInfo::exists(record) && !deadline.hasExpired())
            QThread::msleep(20);
        return QString::fromUtf8(readFile(record)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    WineProcesses processes(WineProcesses::Options options = {})
    {
        if (options.searchPath.isEmpty())
            options.searchPath = t.file(QStringLiteral("bin"));
        return WineProcesses(t.prefix(), files, t.registry(), options);
    }
    QString prefixLine() const { return QStringLiteral("WINEPREFIX=") + t.folder(); }

    TestPrefix t;
    WineFileSystem files{t.prefix(), t.registry()};
};

TEST_F(WineProcessesTest, NotepadOpensTheLogInATextEditor)
{
    fakeProgram(QStringLiteral("gedit"));
    fakeProgram(QStringLiteral("xdg-open"));
    WineProcesses p = processes();
    const QString log = t.driveC() + QStringLiteral("/Program Files/Korvane/Last Backup.log");
    const char* lines[] = {
        "notepad C:\\program files\\KORVANE\\last backup.log",
        "C:\\WINDOWS\\NOTEPAD.EXE \"C:\\Program Files\\Korvane\\Last Backup.log\"",
    };
    for (const char* line : lines) {
        QFile::remove(t.file(QStringLiteral("records/gedit")));
        EXPECT_TRUE(p.runAndWait(QString::fromUtf8(line))) << line;
        EXPECT_EQ(recorded(QStringLiteral("gedit")), (QStringList{log, prefixLine()})) << line;
    }
    EXPECT_TRUE(recorded(QStringLiteral("xdg-open")).isEmpty());
}

TEST_F(WineProcessesTest, NotepadWithoutAnEditorFallsBackToTheDesktopOrFails)
{
    fakeProgram(QStringLiteral("xdg-open"));
    WineProcesses p = processes();
    EXPECT_TRUE(p.runAndWait(QStringLiteral("notepad.exe C:\\Store\\inbox.dbx")));
    EXPECT_EQ(recorded(QStringLiteral("xdg-open")).value(0),
              t.driveC() + QStringLiteral("/Store/Inbox.dbx"));

    QFile::remove(t.file(QStringLiteral("bin/xdg-open")));
    QFile::remove(t.file(QStringLiteral("records/xdg-open")));
    EXPECT_FALSE(p.runAndWait(QStringLiteral("notepad.exe C:\\Store\\inbox.dbx")));
    EXPECT_FALSE(p.start(QStringLiteral("notepad"), {QStringLiteral("C:\\Store\\inbox.dbx")}));
    EXPECT_TRUE(recorded(QStringLiteral("xdg-open"), 200).isEmpty());
}

TEST_F(WineProcessesTest, ExplorerShowsTheFolderInTheFileManager)
{
    fakeProgram(QStringLiteral("xdg-open"));
    WineProcesses p = processes();
    const struct
    {
        const char* line;
        QString opened;
    } cases[] = {
        {"explorer C:\\store", t.driveC() + "/Store"},
        {"explorer.exe /e,C:\\Store", t.driveC() + "/Store"},
        {"EXPLORER /select,\"C:\\Store\\Inbox.dbx\"", t.driveC() + "/Store"},
        {"explorer", t.driveC()},
    };
    for (const auto& test : cases) {
        QFile::remove(t.file(QStringLiteral("records/xdg-open")));
        EXPECT_TRUE(p.runAndWait(QString::fromUtf8(test.line))) << test.line;
        EXPECT_EQ(recorded(QStringLiteral("xdg-open")).value(0), test.opened) << test.line;
    }
}

TEST_F(WineProcessesTest, OtherProgramsRunUnderWineOnThisPrefixOrNotAtAll)
{
    WineProcesses p = processes();
    EXPECT_FALSE(p.runAndWait(QStringLiteral("C:\\Tools\\News.exe /check \"C:\\Store\\a b.txt\"")));
    EXPECT_FALSE(p.runAndWait(QString()));

    fakeProgram(QStringLiteral("wine"));
    EXPECT_TRUE(p.runAndWait(QStringLiteral("C:\\Tools\\News.exe /check \"C:\\Store\\a b.txt\"")));
    EXPECT_EQ(recorded(QStringLiteral("wine")),
              (QStringList{QStringLiteral("C:\\Tools\\News.exe"), QStringLiteral("/check"),
                           QStringLiteral("C:\\Store\\a b.txt"), prefixLine()}));

    // The registry editor never runs: it would write behind the back of our registry.
    QFile::remove(t.file(QStringLiteral("records/wine")));
    EXPECT_FALSE(p.runAndWait(QStringLiteral("regedit /s C:\\Store\\settings.reg")));
    EXPECT_FALSE(p.runAndWait(QStringLiteral("C:\\WINDOWS\\REGEDIT.EXE C:\\Store\\settings.reg")));
    EXPECT_TRUE(recorded(QStringLiteral("wine")).isEmpty());
}

TEST_F(WineProcessesTest, OurOwnExecutableRestartsThisProgram)
{
    fakeProgram(QStringLiteral("korvane"));
    WineProcesses::Options options;
    options.selfExecutable = t.file(QStringLiteral("bin/korvane"));
    WineProcesses p = processes(options);
    EXPECT_TRUE(
        p.start(QStringLiteral("C:\\Program Files\\Korvane\\KV2000.exe"), {QStringLiteral("\\F")}));
    EXPECT_EQ(recorded(QStringLiteral("korvane"), 5000),
              (QStringList{QStringLiteral("\\F"), prefixLine()}));
}

TEST_F(WineProcessesTest, DocumentsOpenWithTheDesktopsDefaultApplication)
{
    WineProcesses p = processes();
    EXPECT_FALSE(p.openDocument(QStringLiteral("C:\\Store\\Inbox.dbx"))); // no xdg-open
    fakeProgram(QStringLiteral("xdg-open"));
    EXPECT_FALSE(p.openDocument(QStringLiteral("C:\\Store\\Missing.eml")));
    EXPECT_FALSE(p.openDocument(QStringLiteral("Q:\\x.txt")));
    EXPECT_TRUE(recorded(QStringLiteral("xdg-open"), 200).isEmpty());
    EXPECT_TRUE(p.openDocument(QStringLiteral("c:\\store\\INBOX.DBX")));
    EXPECT_EQ(recorded(QStringLiteral("xdg-open"), 5000).value(0),
              t.driveC() + QStringLiteral("/Store/Inbox.dbx"));
}

// A /proc tree in a scratch folder: each process a folder with cmdline, environ and stat.
class FakeProcTest : public WineProcessesTest
{
protected:
    void process(qint64 pid, const QByteArrayList& arguments, const QByteArrayList& environment,
                 char state = 'S')
    {
        const QString folder = QStringLiteral("proc/") + QString::number(pid);
        t.write(folder + QStringLiteral("/cmdline"), arguments.join('\0') + '\0');
        if (!environment.isEmpty())
            t.write(folder + QStringLiteral("/environ"), environment.join('\0') + '\0');
        t.write(folder + QStringLiteral("/stat"),
                QByteArray::number(pid) + " (x) " + state + " 1 1 1 0 -1\n");
    }
    WineProcesses scanning()
    {
        WineProcesses::Options options;
        options.procRoot = t.file(QStringLiteral("proc"));
        return processes(options);
    }
    QByteArray ourPrefix() const { return "WINEPREFIX=" + t.folder().toLocal8Bit(); }
};

TEST_F(FakeProcTest, MailClientAndAddressBookOfThisPrefixHaveWindows)
{
    const QByteArray msimn = "C:\\Program Files\\Outlook Express\\msimn.exe";
    // The user's default prefix, reached through a link to ours.
    QDir().mkpath(t.file(QStringLiteral("home")));
    ASSERT_TRUE(QFile::link(t.folder(), t.file(QStringLiteral("home/.wine"))));
    const QByteArray home = "HOME=" + t.file(QStringLiteral("home")).toLocal8Bit();

    process(3999901, {msimn}, {"PATH=/usr/bin", ourPrefix()});
    process(3999902, {msimn}, {"WINEPREFIX=/somewhere/else"});
    process(3999903, {"/usr/bin/wine", "C:\\Program Files\\Outlook Express\\WAB.EXE", "/find"},
            {ourPrefix() + "/"});
    process(3999904, {"grep", "-i", "msimn.exe"}, {ourPrefix()});
    process(3999905, {"Z:\\opt\\oe\\MSIMN.EXE"}, {home});
    process(3999906, {msimn}, {}); // another user's: its environment cannot be read
    process(3999907, {msimn}, {ourPrefix()}, 'Z');
    process(3999908, {"C:\\windows\\notepad.exe", "msimn.exe"}, {ourPrefix()});
    t.write(QStringLiteral("proc/self/cmdline"), msimn + '\0');
    t.write(QStringLiteral("proc/self/environ"), ourPrefix() + '\0');

    WineProcesses p = scanning();
    const QList<WindowInfo> windows = p.topLevelWindows();
    ASSERT_EQ(windows.size(), 3);
    EXPECT_EQ(windows[0].processId, 3999901);
    EXPECT_EQ(windows[0].className, QStringLiteral("Outlook Express Browser Class"));
    EXPECT_EQ(windows[0].title, QStringLiteral("Outlook Express"));
    EXPECT_EQ(windows[1].processId, 3999905);
    EXPECT_EQ(windows[2].processId, 3999903);
    EXPECT_EQ(windows[2].className, QStringLiteral("WABBrowseView"));
    EXPECT_EQ(windows[2].title, QStringLiteral("Address Book"));
    EXPECT_NE(windows[0].handle, windows[1].handle);
    EXPECT_NE(windows[0].handle, 0u);
}

TEST_F(FakeProcTest, TheMailWindowClassFollowsTheInstalledGeneration)
{
    process(3999901, {"C:\\Program Files\\Outlook Express\\msimn.exe"}, {ourPrefix()});
    WineProcesses p = scanning();
    t.registry().setString(Hive::LocalMachine,
                           QStringLiteral("SOFTWARE\\Clients\\Mail\\Outlook Express"),
                           QStringLiteral("DLLPath"),
                           QStringLiteral("C:\\Program Files\\Outlook Express\\mailnews.dll"));
    EXPECT_EQ(p.topLevelWindows().value(0).className, QStringLiteral("ThorBrowserWndClass"));
    t.registry().setString(
        Hive::ClassesRoot,
        QStringLiteral("CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}\\InprocServer32"), QString(),
        QStringLiteral("C:\\WINDOWS\\SYSTEM\\MSOE.DLL"));
    EXPECT_EQ(p.topLevelWindows().value(0).className,
              QStringLiteral("Outlook Express Browser Class"));
}

TEST_F(FakeProcTest, ClosingAWindowWhoseProcessIsGoneOrUnknownFails)
{
    process(3999901, {"msimn.exe"}, {ourPrefix()});
    WineProcesses p = scanning();
    const QList<WindowInfo> windows = p.topLevelWindows();
    ASSERT_EQ(windows.size(), 1);
    ASSERT_TRUE(QDir(t.file(QStringLiteral("proc/3999901"))).removeRecursively());
    EXPECT_FALSE(p.closeWindow(windows[0].handle));
    EXPECT_FALSE(p.closeWindow(0));
    EXPECT_FALSE(p.closeWindow((WindowHandle(3999901) << 4) | 7));
}

// A real process that looks like the mail client running on this prefix.
class RunningMailClientTest : public WineProcessesTest
{
protected:
    void SetUp() override
    {
        WineProcessesTest::SetUp();
        const QString fake = t.file(QStringLiteral("oe/msimn.exe"));
        QDir().mkpath(t.file(QStringLiteral("oe")));
        ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/sleep"), fake));
        QFile::setPermissions(fake, QFile::ReadOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WINEPREFIX"), t.folder());
        child.setProcessEnvironment(env);
        child.start(fake, {QStringLiteral("60")});
        ASSERT_TRUE(child.waitForStarted());
        t.write(QStringLiteral("child.pid"), QByteArray::number(child.processId()));
    }
    void TearDown() override
    {
        child.kill();
        child.waitForFinished();
    }
    WindowHandle windowOfChild(WineProcesses& p)
    {
        for (const WindowInfo& w : p.topLevelWindows()) {
            if (w.processId == child.processId())
                return w.handle;
        }
        return 0;
    }
    QProcess child;
};

TEST_F(RunningMailClientTest, WithoutWineTheProcessIsTerminated)
{
    WineProcesses p = processes();
    const WindowHandle window = windowOfChild(p);
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(p.closeWindow(window));
    EXPECT_TRUE(child.waitForFinished(5000));
    EXPECT_FALSE(p.closeWindow(window)); // gone
}

TEST_F(RunningMailClientTest, TheProgramIsFirstAskedThroughWineToClose)
{
    // This Wine closes the program when asked, as the program does on WM_CLOSE.
    t.write(QStringLiteral("bin/wine"),
            QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" \"WINEPREFIX=$WINEPREFIX\" > '%1'\n"
                           "kill \"$(cat '%2')\"\n")
                .arg(t.file(QStringLiteral("records/wine")), t.file(QStringLiteral("child.pid")))
                .toUtf8());
    QFile::setPermissions(t.file(QStringLiteral("bin/wine")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WineProcesses::Options options;
    options.closeTimeoutMs = 4000;
    WineProcesses p = processes(options);
    const WindowHandle window = windowOfChild(p);
    ASSERT_NE(window, 0u);
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(p.closeWindow(window));
    // Had the request not ended it, the program would have had the whole wait before SIGTERM.
    EXPECT_LT(timer.elapsed(), options.closeTimeoutMs);
    EXPECT_EQ(recorded(QStringLiteral("wine")),
              (QStringList{QStringLiteral("taskkill"), QStringLiteral("/IM"),
                           QStringLiteral("msimn.exe"), prefixLine()}));
    EXPECT_TRUE(child.waitForFinished(5000));
}

TEST_F(RunningMailClientTest, AProgramThatIgnoresTheRequestIsTerminated)
{
    fakeProgram(QStringLiteral("wine")); // answers, closes nothing
    WineProcesses::Options options;
    options.closeTimeoutMs = 300;
    WineProcesses p = processes(options);
    const WindowHandle window = windowOfChild(p);
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(p.closeWindow(window));
    EXPECT_EQ(recorded(QStringLiteral("wine")).value(0), QStringLiteral("taskkill"));
    EXPECT_TRUE(child.waitForFinished(5000));
}

} // namespace
} // namespace kv::test
