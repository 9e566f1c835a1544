// The main window's logic from its start to its close, through a scripted Ui and a fake view.
#include "ShellTestEnv.h"

#include "support/QtPrinters.h"
#include "util/SystemUtils.h"

#include <QTimeZone>

#include <string_view>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;
using platform::Hive;

const QString kAppKey = "Software\\Tarnworks\\Korvane";
const QString kMainId = ShellTestEnv::kMainId;

QString regText(FakeRegistry& r, const QString& section, const QString& key)
{
    return r.string(Hive::CurrentUser, section.isEmpty() ? kAppKey : kAppKey + u'\\' + section,
                    key);
}

TEST(MainStartup, FirstRunWritesDefaultsAndControlFileThenAsksNothing)
{
    ShellTestEnv env;
    env.oe5();
    env.ui.answerMessage(MsgResult::Yes); // the first-run help question
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    env.controller->firstPaint();
    env.controller->unload();

    EXPECT_EQ(regText(env.registry, kMainId, "InclWab"), "1");
    EXPECT_EQ(regText(env.registry, kMainId, "AllowQuick"), "N");
    EXPECT_EQ(env.files.readFile(ShellTestEnv::kProgramFolder + "\\tnsys5." + kMainId + ".ctl"),
              "Korvane - OE5 - {Main} " + kMainId.toLatin1() + "\r\n");
    ASSERT_EQ(env.ui.messages(),
              QStringList{"Do you wish to view the Help File before using Korvane the first time"});
    EXPECT_EQ(env.shown("help").size(), 1);

    // A later start is no first run: it asks nothing and keeps a changed setting.
    env.settings.saveSetting(kMainId, "AllowQuick", "Y");
    env.session();
    EXPECT_EQ(env.ui.messages().size(), 1);
    EXPECT_EQ(regText(env.registry, kMainId, "AllowQuick"), "Y");
}

TEST(MainStartup, AProgramFolderThatCannotBeMadeIsReportedAndNoDefaultsAreWritten)
{
    ShellTestEnv env;
    env.oe5();
    env.files.removeDirectory(ShellTestEnv::kProgramFolder);
    env.files.removeDirectory("C:\\Program Files");
    env.files.writeFile("C:\\Program Files", "not a folder");
    env.settings.saveSetting(kMainId, "AllowQuick", "Y");
    for (int run = 1; run <= 2; ++run) {
        ASSERT_EQ(env.start(), LoadResult::Interactive);
        env.controller->firstPaint();
        env.controller->unload();
    }
    ASSERT_EQ(env.ui.messages().size(), 2); // once per start, and no help question
    EXPECT_TRUE(env.ui.messages().at(0).startsWith(
        "The program folder C:\\Program Files\\Korvane does not exist and cannot be created."));
    EXPECT_EQ(regText(env.registry, kMainId, "AllowQuick"), "Y");
    EXPECT_EQ(regText(env.registry, kMainId, "InclWab"), "");
}

TEST(MainStartup, PresetAppliedAgainOnlyWhenItsTimeChanges)
{
    ShellTestEnv env;
    env.oe5();
    const QString preset = ShellTestEnv::kProgramFolder + "\\K2K-Preset.dat";
    env.files.writeFile(preset, "[Parameters]\r\nInclWab=0\r\nUseSysTemp=N\r\nRemindDays=9\r\n"
                                "LastSavePath=D:\\Backups\\%UserName%\r\nBackupPurge=\r\n"
                                "Unknown=1\r\n");
    const QDateTime first(QDate(2026, 11, 1), QTime(8, 9, 10), QTimeZone::utc());
    ASSERT_TRUE(env.files.setModified(preset, first));
    env.ui.answerMessage(MsgResult::No);
    env.session();

    EXPECT_EQ(regText(env.registry, kMainId, "InclWab"), "0");
    EXPECT_EQ(regText(env.registry, "Parms", "RemindDays"), "9");
    EXPECT_EQ(env.controller->state().lastSaveFolder, "D:\\Backups\\tester");

    // The user's own choice stands while the file is unchanged, and yields once it changes.
    env.settings.saveSetting(kMainId, "InclWab", "1");
    env.session();
    EXPECT_EQ(regText(env.registry, kMainId, "InclWab"), "1");
    ASSERT_TRUE(env.files.setModified(preset, first.addSecs(60)));
    env.session();
    EXPECT_EQ(regText(env.registry, kMainId, "InclWab"), "0");
}

TEST(MainStartup, QuickBackupSwitches)
{
    using A = QuickBackupAnswer;
    const QStringList all{"inventory", "gather", "runBackup"};
    const struct
    {
        const char* line;
        const char* allowQuick;
        const char* warnOnQuick;
        std::optional<A> confirmation; // none: not asked
        const char* fault;             // what goes wrong, if anything
        LoadResult result;
        QStringList calls;
    } cases[] = {{"\\F", "N", "Y", {}, "", LoadResult::Interactive, {}},
                 {"\\FX", "N", "Y", {}, "", LoadResult::Interactive, {}},
                 {"\\F", "Y", "Y", A::Cancel, "", LoadResult::Interactive, {}},
                 {"\\f", "Y", "Y", A::ProceedAndStopAsking, "", LoadResult::QuickBackup, all},
                 {"\\FX", "Y", "N", A::Proceed, "", LoadResult::QuickBackup, all},
                 {"/F", "Y", "Y", {}, "", LoadResult::Interactive, {}},
                 {"\\F", "Y", "N", {}, "inventory", LoadResult::Interactive, {"inventory"}},
                 {"\\F", "Y", "N", {}, "gather", LoadResult::Unload, {"inventory", "gather"}},
                 {"\\F \\A", "Y", "N", {}, "client stays", LoadResult::Interactive, {"inventory"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.line << " " << c.allowQuick << c.warnOnQuick << " " << c.fault);
        ShellTestEnv env;
        env.returningUser();
        env.settings.saveSetting(kMainId, "AllowQuick", QLatin1String(c.allowQuick));
        env.settings.saveSetting(kMainId, "WarnOnQuick", QLatin1String(c.warnOnQuick));
        env.settings.saveSetting(kMainId, "LastSavePath", "D:\\Saves\\");
        const std::string_view fault = c.fault;
        env.functions.inventoryOk = fault != "inventory";
        env.functions.gatherOk = fault != "gather";
        if (fault == "client stays")
            env.processes.addWindow("Outlook Express Browser Class", "Inbox - Outlook Express",
                                    true);
        if (c.confirmation)
            env.ui.answerQuickBackup(*c.confirmation);
        EXPECT_EQ(env.start({QLatin1String(c.line)}), c.result);
        EXPECT_EQ(env.functions.calls, c.calls);
        EXPECT_EQ(env.processes.closeRequests().isEmpty(), fault != "client stays");
        EXPECT_EQ(env.ui.messages().contains("Fast Backup Not possible at this time"),
                  *c.allowQuick == 'N' && c.line == QLatin1String("\\F"));
        EXPECT_EQ(env.shown("quickBackup").size(), c.confirmation ? 1 : 0);
        const bool stopAsking = c.confirmation == A::ProceedAndStopAsking;
        EXPECT_EQ(regText(env.registry, kMainId, "WarnOnQuick"), stopAsking ? "N" : c.warnOnQuick);
        env.controller->unload();
        // Only a window that was shown keeps its position.
        EXPECT_EQ(regText(env.registry, "Positions", "Main").isEmpty(),
                  c.result != LoadResult::Interactive);
    }
}

// The version-4 restore start itself is the restore's test; here its want of a documents folder.
TEST(MainStartup, ForcedOe4WithoutStore)
{
    for (const bool myDocuments : {false, true}) {
        SCOPED_TRACE(myDocuments);
        ShellTestEnv env;
        env.returningUser();
        // A registered folder counts only when it exists.
        env.registry.setString(Hive::CurrentUser, QLatin1String(MailClient::kShellFoldersKey),
                               "Personal", "C:\\Docs");
        if (myDocuments)
            env.files.makeSurePath("C:\\docs\\");
        env.ui.answerOe4Import(Oe4ImportChoice::SingleFiles);
        EXPECT_EQ(env.start({"\\4"}), myDocuments ? LoadResult::Interactive : LoadResult::Unload);
        EXPECT_EQ(env.ui.messages().size(), myDocuments ? 0 : 1);
        EXPECT_EQ(env.functions.calls.contains("startSynchronise"), myDocuments);
        env.controller->unload();
        // A start that ended at its checks writes no settings.
        EXPECT_EQ(regText(env.registry, QString(), "AutoShowLog").isEmpty(), !myDocuments);
        EXPECT_EQ(SystemUtils::folderExists(env.files, "C:\\Docs\\Mail"), myDocuments);
    }
}

// The earlier release's control file becomes this one's: its folders keep their marks.
TEST(MainStartup, Oe4ModeConvertsTheEarlierControlFile)
{
    ShellTestEnv env;
    env.registerDll("C:\\windows\\system32\\inetcomm.dll");
    env.setOe4Store("C:\\OE4", true, true);
    const QString folder = ShellTestEnv::kProgramFolder;
    ControlFile::writeLines(
        env.files, folder + "\\tnsys3.ctl",
        {"old header", "old line 2", "Inbox", "Sent Items", "News Folders=", "comp.lang.c"});
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    const QChar s = MainState::kFieldSeparator;
    QStringList lines;
    ASSERT_TRUE(ControlFile::readLines(env.files, folder + "\\tnsys4.ctl", &lines));
    EXPECT_EQ(
        lines,
        (QStringList{"Korvane - OE4", QStringList{"2", "Inbox", "Inbox.mbx", "1", "0", "1"}.join(s),
                     QStringList{"2", "Sent Items", "Sent Items.mbx", "2", "0", "1"}.join(s),
                     QStringList{"20", "comp.lang.c", "comp.lang.c", "3", "0", "1"}.join(s)}));
    EXPECT_FALSE(env.controller->state().firstRun); // converted, not new
}

// A returning start reads the selection remembered and takes over version 4's shared logs.
TEST(MainStartup, ReturningStartReadsItsSelectionAndTakesOverSharedLogs)
{
    ShellTestEnv env;
    env.returningUser();
    const QString folder = ShellTestEnv::kProgramFolder;
    const QChar s = MainState::kFieldSeparator;
    auto rec = [&](const char* type, const char* name, const char* flag) {
        return QStringList{type, "row", name, "1", "0", flag}.join(s);
    };
    ControlFile::writeLines(env.files, folder + "\\tnsys5." + kMainId + ".ctl",
                            {"Korvane - OE5 - {Main} " + kMainId, rec("10", "wab.wab", "1"),
                             rec("1", "Inbox.dbx", "-1"), rec("2", "", "1"),
                             rec("30", "Favorites", "1"), rec("41", "Rules", "1"),
                             rec("49", "Other", "1"), rec("2", "Sent.dbx", "0"),
                             rec("50", "Drafts.dbx", "1")});
    env.files.writeFile(folder + "\\LastRestore.log", "restored");
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    const MainState& st = env.controller->state();
    EXPECT_EQ(st.rememberedNames, (QStringList{"Inbox.dbx", "Sent.dbx", "Drafts.dbx"}));
    EXPECT_EQ(st.rememberedFlags, (QList<int>{1, 0, 1}));
    EXPECT_EQ(env.files.readFile(folder + "\\Main.LastRestore.log"), "restored");
    EXPECT_EQ(env.view->enabled(MenuEntry::RestoreLog), 1);
    EXPECT_EQ(env.view->enabled(MenuEntry::BackupLog), 0);
}

} // namespace
} // namespace kv::test
