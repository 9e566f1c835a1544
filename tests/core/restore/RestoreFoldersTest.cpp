#include "restore/RestoreFolders.h"
#include "backup/RunLog.h"
#include "platform/IFileSystem.h"
#include "restore/RestoreSkipLines.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/QtPrinters.h"
#include "support/ScriptedUi.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace Qt::StringLiterals;
using test::FileCall;

namespace {

const QDate kToday(2000, 5, 31);
const QString kBlanks(6, u' ');

struct Fixture
{
    test::FaultInjectingFileSystem fs;
    test::ScriptedUi ui;
    RunLog log{fs};
    RestoreFolders folders{fs, ui, &log};

    Fixture()
    {
        fs.makeSurePath(u"C:\\kv\\"_s);
        log.open(u"C:\\kv\\~temp.log"_s);
    }
    bool exists(const QString& path)
    {
        platform::FileEntry entry;
        return fs.stat(path, &entry);
    }
    QStringList names(const QString& pattern)
    {
        QStringList out;
        for (const platform::FileEntry& e : fs.find(pattern))
            out.append(e.name);
        out.sort();
        return out;
    }
    QStringList savedLines(const QString& from, const QString& to)
    {
        return {u"Prior data in:"_s, from + kBlanks, u" was saved in:"_s, to + kBlanks, {}};
    }
};

} // namespace

TEST(RestoreFoldersTest, MoveAsideTakesTheFirstFreeCounterAndLeavesTheFolderEmpty)
{
    // Entries already beside the folder: a file blocks the name as a folder does.
    const std::pair<QStringList, QString> cases[] = {
        {{}, u"C:\\Mail_001"_s}, {{u"Mail_001\\"_s, u"Mail_002"_s}, u"C:\\Mail_003"_s}};
    for (const auto& [taken, expected] : cases) {
        Fixture f;
        f.fs.writeFile(u"C:\\Mail\\Inbox.mbx"_s, "old");
        for (const QString& t : taken)
            t.endsWith(u'\\') ? f.fs.makeSurePath(u"C:\\"_s + t)
                              : f.fs.writeFile(u"C:\\"_s + t, "x");

        ASSERT_TRUE(f.folders.moveAsideFolder(u"C:\\Mail\\"_s)) << qPrintable(expected);
        EXPECT_EQ(f.fs.readFile(expected + u"\\Inbox.mbx"_s), "old");
        EXPECT_TRUE(f.exists(u"C:\\Mail"_s));
        EXPECT_TRUE(f.names(u"C:\\Mail\\*"_s).isEmpty());
        EXPECT_EQ(f.log.lines(), f.savedLines(u"C:\\Mail"_s, expected));
        EXPECT_TRUE(f.ui.messages().isEmpty());
    }
}

TEST(RestoreFoldersTest, MoveAsideFailuresLeaveTheFolderAsItWas)
{
    for (const FileCall call : {FileCall::MoveFile, FileCall::CreateDirectory}) {
        Fixture f;
        f.fs.writeFile(u"C:\\Mail\\Inbox.mbx"_s, "old");
        f.fs.failOn(call, u"C:\\Mail"_s);

        EXPECT_FALSE(f.folders.moveAsideFolder(u"C:\\Mail"_s));
        EXPECT_EQ(f.fs.readFile(u"C:\\Mail\\Inbox.mbx"_s), "old");
        EXPECT_FALSE(f.exists(u"C:\\Mail_001"_s));
        ASSERT_EQ(f.ui.messages().size(), 1);
        EXPECT_FALSE(f.log.lines().contains(u"Prior data in:"_s));
        EXPECT_TRUE(f.log.lines().contains(f.ui.messages().first()));
    }
}

TEST(RestoreFoldersTest, SafetyFolderIsDatedAndCountedPastExistingOnes)
{
    const QString dated = u"C:\\Store\\backup2000-05-31"_s;
    Fixture f;
    f.fs.makeSurePath(dated + u"\\"_s); // made earlier today, and once more
    f.fs.createDirectory(dated + u"_001"_s);
    EXPECT_EQ(f.folders.makeSafetyCopyFolder(u"C:\\Store\\"_s, kToday), dated + u"_002\\"_s);
    EXPECT_TRUE(f.exists(dated + u"_002"_s));
    f.fs.failOn(FileCall::CreateDirectory, dated + u"_003"_s);
    EXPECT_EQ(f.folders.makeSafetyCopyFolder(u"C:\\Store"_s, kToday), QString());
    EXPECT_EQ(f.log.lines().size(), 1);
}

// Only the store's folder files are copied; No and Cancel are proved by the restore scenarios.
TEST(RestoreFoldersTest, SafetyCopyTakesTheFolderFiles)
{
    const QString saved = u"C:\\Store\\backup2000-05-31\\"_s;
    Fixture f;
    f.fs.writeFile(u"C:\\Store\\Folders.dbx"_s, "folders");
    f.fs.writeFile(u"C:\\Store\\Inbox.dbx"_s, "inbox");
    f.fs.writeFile(u"C:\\Store\\notes.txt"_s, "not a folder file");
    f.ui.answerMessage(MsgResult::Yes);

    EXPECT_EQ(f.folders.offerSafetyCopy(u"C:\\Store"_s, kToday), SafetyCopyResult::Made);
    EXPECT_EQ(f.ui.shown().value(0).buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(f.log.lines(), f.savedLines(u"C:\\Store"_s, saved));
    EXPECT_EQ(f.names(saved + u"*"_s), (QStringList{u"Folders.dbx"_s, u"Inbox.dbx"_s}));
    EXPECT_EQ(f.fs.readFile(saved + u"Inbox.dbx"_s), "inbox");
}

TEST(RestoreFoldersTest, FailedSafetyCopyIsReportedAndStopsTheRestore)
{
    Fixture f;
    f.fs.writeFile(u"C:\\Store\\Folders.dbx"_s, "folders");
    f.fs.writeFile(u"C:\\Store\\Inbox.dbx"_s, "inbox");
    f.fs.failOn(FileCall::CopyFile, u"C:\\Store\\Inbox.dbx"_s, platform::kErrorDiskFull);
    f.ui.answerMessage(MsgResult::Yes);

    EXPECT_EQ(f.folders.offerSafetyCopy(u"C:\\Store\\"_s, kToday), SafetyCopyResult::Failed);
    ASSERT_EQ(f.ui.messages().size(), 2);
    EXPECT_TRUE(f.ui.messages()[1].contains(u"Inbox.dbx"_s)) << qPrintable(f.ui.messages()[1]);
    EXPECT_FALSE(f.log.lines().contains(u" was saved in:"_s));
    EXPECT_TRUE(f.log.lines().contains(f.ui.messages()[1]));
}

// Into the log when one is open; else shown only while synchronising.
TEST(RestoreFoldersTest, SkippedFileLinesGoToTheLogOrABoxWhileSynchronising)
{
    const QString line = u"Skipping File: 'a.dbx' has a bad CRC. Skipping this file."_s;
    EXPECT_EQ(skippedFileLine(2, u"a.dbx"_s), line);
    Fixture f;
    reportSkippedFile(2, u"a.dbx"_s, &f.log, true, f.ui);
    EXPECT_EQ(f.log.lines(), (QStringList{line, {}}));
    reportSkippedFile(2, u"a.dbx"_s, nullptr, false, f.ui);
    EXPECT_TRUE(f.ui.shown().isEmpty());
    reportSkippedFile(2, u"a.dbx"_s, nullptr, true, f.ui);
    EXPECT_EQ(f.ui.messages(), QStringList{line});
}
