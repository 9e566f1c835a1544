#include "support/TestPrefix.h"

#include "platform/posix/WineFileSystem.h"
#include "platform/posix/WineProcesses.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
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
    // A host program that logs "name|argument|...|WINEPREFIX=..." as one line, then runs `then`.
    void fakeProgram(const QString& name, const QString& then = {})
    {
        const QString script =
            u"#!/bin/sh\nline='%1'\nfor a in \"$@\" \"WINEPREFIX=$WINEPREFIX\"; "
            "do line=\"$line|$a\"; done\nprintf '%s\\n' \"$line\" >> '%2'\n%3\n"_s;
        const QString path = t.write(u"bin/"_s + name, script.arg(name, log(), then).toUtf8());
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString log() const { return t.file(u"calls.log"_s); }
    // The calls logged since the last look, waiting a little for a program started without
    // waiting: until its whole line is there, since the shell creates the file before it writes.
    QStringList calls(int waitMs = 0)
    {
        QDeadlineTimer deadline(waitMs);
        while (!readFile(log()).endsWith('\n') && !deadline.hasExpired())
            QThread::msleep(20);
        const QByteArray lines = readFile(log());
        QFile::remove(log());
        return QString::fromUtf8(lines).split(u'\n', Qt::SkipEmptyParts);
    }
    QString call(const QString& program, const QStringList& arguments) const
    {
        return (QStringList{program} + arguments + QStringList{u"WINEPREFIX="_s + t.folder()})
            .join(u'|');
    }
    WineProcesses processes(WineProcesses::Options options = {})
    {
        options.searchPath = t.file(u"bin"_s);
        return WineProcesses(t.prefix(), files, t.registry(), options);
    }

    TestPrefix t;
    WineFileSystem files{t.prefix(), t.registry()};
};

TEST_F(WineProcessesTest, WindowsProgramsRunAsTheirDesktopEquivalentsOnThisPrefix)
{
    t.write(u"drive_c/Program Files/Korvane/Last Backup.log"_s, "log");
    t.write(u"drive_c/Store/Inbox.dbx"_s, "x");
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
        {"EXPLORER /select,\"C:\\Store\\Inbox.dbx\"", u"xdg-open"_s, {c + u"/Store"_s}},
        {"C:\\Tools\\News.exe /check \"C:\\Store\\a b.txt\"",
         u"wine"_s,
         {u"C:\\Tools\\News.exe"_s, u"/check"_s, u"C:\\Store\\a b.txt"_s}},
    };
    for (const auto& [line, program, arguments] : cases) {
        EXPECT_TRUE(p.runAndWait(QString::fromUtf8(line))) << line;
        EXPECT_EQ(calls(), QStringList{call(program, arguments)}) << line;
    }
    // The registry editor never runs: it would write behind the back of our registry.
    EXPECT_FALSE(p.runAndWait(u"regedit /s C:\\Store\\settings.reg"_s));
    EXPECT_FALSE(p.runAndWait(u"C:\\WINDOWS\\REGEDIT.EXE C:\\Store\\settings.reg"_s));
    EXPECT_EQ(calls(), QStringList());
    EXPECT_FALSE(p.openDocument(u"C:\\Store\\Missing.eml"_s));
    EXPECT_TRUE(p.openDocument(u"c:\\store\\INBOX.DBX"_s));
    EXPECT_TRUE(calls(5000).value(0).startsWith(u"xdg-open|"_s + c + u"/Store/Inbox.dbx|"_s));
    EXPECT_TRUE(p.start(u"C:\\Program Files\\Korvane\\KV2000.exe"_s, {u"\\F"_s}));
    EXPECT_EQ(calls(5000), QStringList{call(u"korvane"_s, {u"\\F"_s})});
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
    QByteArray ourPrefix() const { return "WINEPREFIX=" + t.folder().toLocal8Bit(); }
    const QByteArray msimn = "C:\\Program Files\\Outlook Express\\msimn.exe";
};

TEST_F(FakeProcTest, MailClientAndAddressBookOfThisPrefixHaveWindowsOfTheirGeneration)
{
    // The user's default prefix links to ours.
    QDir().mkpath(t.file(u"home"_s));
    ASSERT_TRUE(QFile::link(t.folder(), t.file(u"home/.wine"_s)));
    const QByteArray home = "HOME=" + t.file(u"home"_s).toLocal8Bit();

    process(3999901, {msimn}, {"PATH=/usr/bin", ourPrefix()});
    process(3999902, {msimn}, {"WINEPREFIX=/somewhere/else"});
    process(3999903, {"/usr/bin/wine", "C:\\Program Files\\Outlook Express\\WAB.EXE", "/find"},
            {ourPrefix() + "/"});
    process(3999905, {"Z:\\opt\\oe\\MSIMN.EXE"}, {home});
    process(3999906, {msimn}, {}); // another user's: its environment cannot be read
    process(3999907, {msimn}, {ourPrefix()}, 'Z');
    process(3999908, {"C:\\windows\\notepad.exe", "msimn.exe"}, {ourPrefix()});
    t.write(u"proc/self/cmdline"_s, msimn + '\0');
    t.write(u"proc/self/environ"_s, ourPrefix() + '\0');

    WineProcesses::Options options;
    options.procRoot = t.file(u"proc"_s);
    WineProcesses p = processes(options);
    QStringList found;
    for (const WindowInfo& w : p.topLevelWindows())
        found << u"%1 %2 %3"_s.arg(w.processId).arg(w.className, w.title);
    EXPECT_EQ(found, QStringList({"3999901 Outlook Express Browser Class Outlook Express",
                                  "3999905 Outlook Express Browser Class Outlook Express",
                                  "3999903 WABBrowseView Address Book"}));
    // The mail window's class follows the installed generation.
    t.registry().setString(Hive::LocalMachine, u"SOFTWARE\\Clients\\Mail\\Outlook Express"_s,
                           u"DLLPath"_s, u"C:\\Program Files\\Outlook Express\\mailnews.dll"_s);
    EXPECT_EQ(p.topLevelWindows().value(0).className, u"ThorBrowserWndClass"_s);
}

// Real processes that look like the mail client on this prefix, with and without a Wine to ask.
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
        EXPECT_LT(timer.elapsed(), 4000) << "the request ended it before the whole wait";
        EXPECT_TRUE(child.waitForFinished(5000));
        const QString asked = call(u"wine"_s, {u"taskkill"_s, u"/IM"_s, u"msimn.exe"_s});
        EXPECT_EQ(calls(), *wine ? QStringList{asked} : QStringList());
        child.kill();
        child.waitForFinished();
    }
}

} // namespace
} // namespace kv::test
