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
using namespace Qt::StringLiterals;
using platform::posix::WineFileSystem;
using platform::posix::WineProcesses;

class WineProcessesTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QDir().mkpath(t.file(u"bin"_s));
        QDir().mkpath(t.file(u"records"_s));
        t.write(u"drive_c/Program Files/Korvane/Last Backup.log"_s, "log");
        t.write(u"drive_c/Store/Inbox.dbx"_s, "x");
    }
    // A host program that records how it was called, in records/<name>, then runs `then`.
    void fakeProgram(const QString& name, const QString& then = {})
    {
        const QString record = t.file(u"records/"_s + name);
        const QString path =
            t.write(u"bin/"_s + name,
                    u"#!/bin/sh\nprintf '%s\\n' \"$@\" \"WINEPREFIX=$WINEPREFIX\" > '%1.tmp'\n"
                    "mv '%1.tmp' '%1'\n%2\n"_s.arg(record, then)
                        .toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // The lines a fake program recorded, waiting a little for one started without waiting.
    QStringList recorded(const QString& name, int waitMs = 0)
    {
        const QString record = t.file(u"records/"_s + name);
        QDeadlineTimer deadline(waitMs);
        while (!QFileInfo::exists(record) && !deadline.hasExpired())
            QThread::msleep(20);
        return QString::fromUtf8(readFile(record)).split(u'\n', Qt::SkipEmptyParts);
    }
    qsizetype recordCount() const { return QDir(t.file(u"records"_s)).count() - 2; }
    void clearRecords() const
    {
        QDir(t.file(u"records"_s)).removeRecursively();
        QDir().mkpath(t.file(u"records"_s));
    }
    WineProcesses processes(WineProcesses::Options options = {})
    {
        if (options.searchPath.isEmpty())
            options.searchPath = t.file(u"bin"_s);
        return WineProcesses(t.prefix(), files, t.registry(), options);
    }
    QString prefixLine() const { return u"WINEPREFIX="_s + t.folder(); }

    TestPrefix t;
    WineFileSystem files{t.prefix(), t.registry()};
};

TEST_F(WineProcessesTest, WindowsProgramsRunAsTheirDesktopEquivalentsOnThisPrefix)
{
    for (const QString& name : {u"gedit"_s, u"xdg-open"_s, u"wine"_s, u"korvane"_s})
        fakeProgram(name);
    WineProcesses::Options options;
    options.selfExecutable = t.file(u"bin/korvane"_s);
    WineProcesses p = processes(options);
    const QString c = t.driveC();
    const QString log = c + u"/Program Files/Korvane/Last Backup.log"_s;
    const std::tuple<const char*, QString, QStringList> cases[] = {
        {"notepad C:\\program files\\KORVANE\\last backup.log", u"gedit"_s, {log}},
        {"C:\\WINDOWS\\NOTEPAD.EXE \"C:\\Program Files\\Korvane\\Last Backup.log\"",
         u"gedit"_s,
         {log}},
        {"explorer C:\\store", u"xdg-open"_s, {c + u"/Store"_s}},
        {"explorer.exe /e,C:\\Store", u"xdg-open"_s, {c + u"/Store"_s}},
        {"EXPLORER /select,\"C:\\Store\\Inbox.dbx\"", u"xdg-open"_s, {c + u"/Store"_s}},
        {"explorer", u"xdg-open"_s, {c}},
        {"C:\\Tools\\News.exe /check \"C:\\Store\\a b.txt\"",
         u"wine"_s,
         {u"C:\\Tools\\News.exe"_s, u"/check"_s, u"C:\\Store\\a b.txt"_s}},
    };
    for (const auto& [line, program, arguments] : cases) {
        clearRecords();
        EXPECT_TRUE(p.runAndWait(QString::fromUtf8(line))) << line;
        EXPECT_EQ(recorded(program), arguments + QStringList{prefixLine()}) << line;
        EXPECT_EQ(recordCount(), 1) << line;
    }
    // The registry editor never runs: it would write behind the back of our registry.
    clearRecords();
    EXPECT_FALSE(p.runAndWait(u"regedit /s C:\\Store\\settings.reg"_s));
    EXPECT_FALSE(p.runAndWait(u"C:\\WINDOWS\\REGEDIT.EXE C:\\Store\\settings.reg"_s));
    EXPECT_EQ(recordCount(), 0);
    // Our own executable restarts this program.
    EXPECT_TRUE(p.start(u"C:\\Program Files\\Korvane\\KV2000.exe"_s, {u"\\F"_s}));
    EXPECT_EQ(recorded(u"korvane"_s, 5000), (QStringList{u"\\F"_s, prefixLine()}));
}

TEST_F(WineProcessesTest, DocumentsOpenWithTheDesktopsApplicationWhenThereIsOne)
{
    fakeProgram(u"xdg-open"_s);
    WineProcesses p = processes();
    EXPECT_FALSE(p.openDocument(u"C:\\Store\\Missing.eml"_s));
    EXPECT_FALSE(p.openDocument(u"Q:\\x.txt"_s));
    EXPECT_EQ(recordCount(), 0);
    EXPECT_TRUE(p.openDocument(u"c:\\store\\INBOX.DBX"_s));
    EXPECT_EQ(recorded(u"xdg-open"_s, 5000).value(0), t.driveC() + u"/Store/Inbox.dbx"_s);
    clearRecords();
    EXPECT_TRUE(p.runAndWait(u"notepad.exe C:\\Store\\inbox.dbx"_s)) << "no editor: the desktop";
    EXPECT_EQ(recorded(u"xdg-open"_s).value(0), t.driveC() + u"/Store/Inbox.dbx"_s);

    QFile::remove(t.file(u"bin/xdg-open"_s));
    clearRecords();
    EXPECT_FALSE(p.runAndWait(u"notepad.exe C:\\Store\\inbox.dbx"_s));
    EXPECT_FALSE(p.start(u"notepad"_s, {u"C:\\Store\\inbox.dbx"_s}));
    EXPECT_FALSE(p.runAndWait(u"C:\\Tools\\News.exe"_s)) << "no wine";
    EXPECT_FALSE(p.runAndWait(QString()));
    EXPECT_FALSE(p.openDocument(u"C:\\Store\\Inbox.dbx"_s));
    EXPECT_TRUE(recorded(u"xdg-open"_s, 200).isEmpty());
}

// A /proc tree in a scratch folder: each process a folder with cmdline, environ and stat.
class FakeProcTest : public WineProcessesTest
{
protected:
    void process(qint64 pid, const QByteArrayList& arguments, const QByteArrayList& environment,
                 char state = 'S')
    {
        const QString folder = u"proc/"_s + QString::number(pid);
        t.write(folder + u"/cmdline"_s, arguments.join('\0') + '\0');
        if (!environment.isEmpty())
            t.write(folder + u"/environ"_s, environment.join('\0') + '\0');
        t.write(folder + u"/stat"_s, QByteArray::number(pid) + " (x) " + state + " 1 1 1 0 -1\n");
    }
    WineProcesses scanning()
    {
        WineProcesses::Options options;
        options.procRoot = t.file(u"proc"_s);
        return processes(options);
    }
    QByteArray ourPrefix() const { return "WINEPREFIX=" + t.folder().toLocal8Bit(); }
    const QByteArray msimn = "C:\\Program Files\\Outlook Express\\msimn.exe";
};

TEST_F(FakeProcTest, MailClientAndAddressBookOfThisPrefixHaveWindows)
{
    // The user's default prefix, reached through a link to ours.
    QDir().mkpath(t.file(u"home"_s));
    ASSERT_TRUE(QFile::link(t.folder(), t.file(u"home/.wine"_s)));
    const QByteArray home = "HOME=" + t.file(u"home"_s).toLocal8Bit();

    process(3999901, {msimn}, {"PATH=/usr/bin", ourPrefix()});
    process(3999902, {msimn}, {"WINEPREFIX=/somewhere/else"});
    process(3999903, {"/usr/bin/wine", "C:\\Program Files\\Outlook Express\\WAB.EXE", "/find"},
            {ourPrefix() + "/"});
    process(3999904, {"grep", "-i", "msimn.exe"}, {ourPrefix()});
    process(3999905, {"Z:\\opt\\oe\\MSIMN.EXE"}, {home});
    process(3999906, {msimn}, {}); // another user's: its environment cannot be read
    process(3999907, {msimn}, {ourPrefix()}, 'Z');
    process(3999908, {"C:\\windows\\notepad.exe", "msimn.exe"}, {ourPrefix()});
    t.write(u"proc/self/cmdline"_s, msimn + '\0');
    t.write(u"proc/self/environ"_s, ourPrefix() + '\0');

    const QList<WindowInfo> windows = scanning().topLevelWindows();
    ASSERT_EQ(windows.size(), 3);
    const struct
    {
        qint64 pid;
        QString className;
        QString title;
    } expected[] = {
        {3999901, u"Outlook Express Browser Class"_s, u"Outlook Express"_s},
        {3999905, u"Outlook Express Browser Class"_s, u"Outlook Express"_s},
        {3999903, u"WABBrowseView"_s, u"Address Book"_s},
    };
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(windows[i].processId, expected[i].pid);
        EXPECT_EQ(windows[i].className, expected[i].className) << i;
        EXPECT_EQ(windows[i].title, expected[i].title) << i;
        EXPECT_NE(windows[i].handle, i ? windows[i - 1].handle : 0u);
    }
}

TEST_F(FakeProcTest, TheMailWindowClassFollowsTheInstalledGeneration)
{
    process(3999901, {msimn}, {ourPrefix()});
    WineProcesses p = scanning();
    t.registry().setString(Hive::LocalMachine, u"SOFTWARE\\Clients\\Mail\\Outlook Express"_s,
                           u"DLLPath"_s, u"C:\\Program Files\\Outlook Express\\mailnews.dll"_s);
    EXPECT_EQ(p.topLevelWindows().value(0).className, u"ThorBrowserWndClass"_s);
    t.registry().setString(Hive::ClassesRoot,
                           u"CLSID\\{06BE7323-EF34-11d1-ACD8-00C04FA31009}\\InprocServer32"_s,
                           QString(), u"C:\\WINDOWS\\SYSTEM\\MSOE.DLL"_s);
    EXPECT_EQ(p.topLevelWindows().value(0).className, u"Outlook Express Browser Class"_s);
}

// Real processes that look like the mail client running on this prefix, closed with and without
// a Wine that asks them first.
TEST_F(WineProcessesTest, TheMailClientIsAskedThroughWineToCloseThenTerminated)
{
    QDir().mkpath(t.file(u"oe"_s));
    ASSERT_TRUE(QFile::copy(u"/bin/sleep"_s, t.file(u"oe/msimn.exe"_s)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"WINEPREFIX"_s, t.folder());
    // wine: none, one that kills the program as WM_CLOSE does, one that closes nothing.
    for (const char* wine : {"", "kill", "true"}) {
        SCOPED_TRACE(wine);
        QProcess child;
        child.setProcessEnvironment(env);
        child.start(t.file(u"oe/msimn.exe"_s), {u"60"_s});
        ASSERT_TRUE(child.waitForStarted());
        clearRecords();
        QFile::remove(t.file(u"bin/wine"_s));
        if (*wine)
            fakeProgram(u"wine"_s, u"%1 %2"_s.arg(QLatin1String(wine)).arg(child.processId()));
        WineProcesses::Options options;
        options.closeTimeoutMs = *wine == 'k' ? 4000 : 300;
        WineProcesses p = processes(options);
        WindowHandle window = 0;
        for (const WindowInfo& w : p.topLevelWindows())
            if (w.processId == child.processId())
                window = w.handle;
        ASSERT_NE(window, 0u);
        EXPECT_FALSE(p.closeWindow(window ^ 7)) << "no such kind of window: nothing is closed";
        QElapsedTimer timer;
        timer.start();
        EXPECT_TRUE(p.closeWindow(window));
        // Had the request not ended it, the program would have had the whole wait.
        EXPECT_LT(timer.elapsed(), 4000);
        EXPECT_TRUE(child.waitForFinished(5000));
        EXPECT_FALSE(p.closeWindow(window)) << "gone";
        EXPECT_FALSE(p.closeWindow(0));
        const QStringList asked{u"taskkill"_s, u"/IM"_s, u"msimn.exe"_s, prefixLine()};
        EXPECT_EQ(recorded(u"wine"_s), *wine ? asked : QStringList());
        child.kill();
        child.waitForFinished();
    }
}

} // namespace
} // namespace kv::test
