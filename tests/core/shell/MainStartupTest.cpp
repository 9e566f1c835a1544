#include "ShellTestEnv.h"

#include "shell/ControlFile.h"
#include "shell/Strings.h"

#include "support/QtPrinters.h"

#include <QFile>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;
using platform::Hive;

const QString kAppKey = QStringLiteral("Software\\Tarnworks\\Korvane");

QString regText(FakeRegistry& r, const QString& section, const QString& key)
{
    return r.string(Hive::CurrentUser, section.isEmpty() ? kAppKey : kAppKey + u'\\' + section,
                    key);
}

// The test file system keeps host files: their time is set on the host.
void setModified(ShellTestEnv& env, const QString& path, const QDateTime& utc)
{
    QFile file(env.files.toHostPath(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(utc, QFileDevice::FileModificationTime));
}

int countKind(const ScriptedUi& ui, const QString& kind)
{
    int n = 0;
    for (const auto& s : ui.shown())
        n += s.kind == kind;
    return n;
}

TEST(MainStartup, FirstRunWritesDefaultsAndControlFileThenAsksNothing)
{
    ShellTestEnv env;
    env.oe5();
    env.ui.answerMessage(MsgResult::No); // the first-run help question
    env.session();

    const QString id = ShellTestEnv::kMainId;
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("WarnOverWrite")), "Y");
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("WarnOnQuick")), "Y");
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("AllowQuick")), "N");
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("LastBackup")), "20261206");
    for (const char* key : {"InclWab", "InclFAV", "InclRules", "InclAccts", "DoRename"})
        EXPECT_EQ(regText(env.registry, id, QLatin1String(key)), "1") << key;
    EXPECT_EQ(regText(env.registry, QStringLiteral("Parms"), QStringLiteral("RemindDays")), "2");
    EXPECT_EQ(env.files.readFile(ShellTestEnv::kProgramFolder + "\\tnsys5." + id + ".ctl"),
              "Korvane - OE5 - {Main} " + id.toLatin1() + "\r\n");

    ASSERT_EQ(env.ui.messages().size(), 1);
    const auto& question = env.ui.shown().at(0);
    EXPECT_EQ(question.text,
              "Do you wish to view the Help File before using Korvane the first time");
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(question.icon, MsgIcon::Question);
    EXPECT_EQ(question.title, "Korvane 2000");
    EXPECT_EQ(countKind(env.ui, QStringLiteral("help")), 0);

    // A setting changed since is kept: the second start is not a first run.
    env.settings.saveSetting(id, QStringLiteral("AllowQuick"), QStringLiteral("Y"));
    env.session();
    EXPECT_EQ(env.ui.messages().size(), 1);
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("AllowQuick")), "Y");
    EXPECT_EQ(env.ui.pendingAnswers(), 0);
}

TEST(MainStartup, HelpQuestionAnsweredYesOpensTheHelpFile)
{
    ShellTestEnv env;
    env.oe5();
    env.ui.answerMessage(MsgResult::Yes);
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    env.controller->firstPaint();
    env.controller->firstPaint(); // asked once only
    ASSERT_EQ(countKind(env.ui, QStringLiteral("help")), 1);
    const auto& help = env.ui.shown().back();
    EXPECT_EQ(help.text, "C:\\Program Files\\Korvane\\KV2000.hlp");
    EXPECT_EQ(help.currentIndex, 999);
}

TEST(MainStartup, SingleIdentityHasNoCaptionSuffixAndDisabledIdentityEntries)
{
    ShellTestEnv env;
    env.oe5();
    env.ui.answerMessage(MsgResult::No);
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    EXPECT_EQ(env.view->caption(), "Korvane 2000");
    for (int entry : {2, 3, 4, 6})
        EXPECT_EQ(env.view->enabled(MainMenu::Options, entry), 0) << entry;
    EXPECT_EQ(env.view->page, 0);
    EXPECT_EQ(env.controller->state().backupLogPath,
              "C:\\Program Files\\Korvane\\Main.LastBackup.log");
    EXPECT_EQ(env.view->menuCaptions.value(FakeMainView::key(MainMenu::File, 0)), "Make &Backup");
}

TEST(MainStartup, SeveralIdentitiesShowTheChosenOneAndItsOption)
{
    ShellTestEnv env;
    env.oe5(true);
    env.ui.answerMessage(MsgResult::No);
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    EXPECT_EQ(env.view->caption(), "Korvane 2000 -- Identity: Work");
    EXPECT_EQ(env.view->enabled(MainMenu::Options, 6), 1);
    EXPECT_EQ(env.view->checked(MainMenu::Options, 2), 1);
    EXPECT_EQ(env.view->checked(MainMenu::Options, 3), 0);
    EXPECT_EQ(env.controller->state().settingsSection(), ShellTestEnv::kWorkId);
}

TEST(MainStartup, TipOnTheThirdStartOnly)
{
    ShellTestEnv env;
    env.oe5();
    env.ui.answerMessage(MsgResult::No);
    QList<int> tips;
    for (int run = 1; run <= 5; ++run) {
        const qsizetype before = env.ui.shown().size();
        env.session();
        int shown = 0;
        for (qsizetype i = before; i < env.ui.shown().size(); ++i)
            shown += env.ui.shown().at(i).text.startsWith(QLatin1String("TIP: - "));
        tips.append(shown);
    }
    EXPECT_EQ(tips, (QList<int>{0, 0, 1, 0, 0}));
    const QString tip = env.ui.messages().last();
    EXPECT_EQ(tip, "TIP: - The latest information regarding Korvane 2000\n"
                   "is always available from the menu 'Help \\ Korvane Tidings'.\n\n"
                   "We recommend that you check the 'Tidings' periodically.");
    EXPECT_EQ(regText(env.registry, QString(), QStringLiteral("TidingsTip")), "Y");
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
    setModified(env, preset, first);
    env.ui.answerMessage(MsgResult::No);
    env.session();

    const QString id = ShellTestEnv::kMainId;
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("InclWab")), "0");
    EXPECT_EQ(regText(env.registry, QString(), QStringLiteral("UseSysTemp")), "N");
    EXPECT_EQ(regText(env.registry, QStringLiteral("Parms"), QStringLiteral("RemindDays")), "9");
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("LastSavePath")), "D:\\Backups\\tester");
    EXPECT_EQ(regText(env.registry, QStringLiteral("Parms"), QStringLiteral("BackupPurge")), "");
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("PresetApplied")),
              first.toLocalTime().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    EXPECT_EQ(env.controller->state().lastSaveFolder, "D:\\Backups\\tester");
    EXPECT_FALSE(env.controller->state().include.wab);

    // The user's own choice stands while the file is unchanged...
    env.settings.saveSetting(id, QStringLiteral("InclWab"), QStringLiteral("1"));
    env.session();
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("InclWab")), "1");
    // ... and the preset wins again once the file changes.
    setModified(env, preset, first.addSecs(60));
    env.session();
    EXPECT_EQ(regText(env.registry, id, QStringLiteral("InclWab")), "0");
}

TEST(MainStartup, WindowPositionIsCheckedPerAxis)
{
    // Screen 15360 x 11520 twips, window 9000 x 6000: centred at 3180, 2760.
    const struct
    {
        const char* saved;
        QPoint expected;
    } cases[] = {
        {"1500,900", {1500, 900}},  {"20000,900", {3180, 900}}, {"1500,-15", {1500, 2760}},
        {"-1,12000", {3180, 2760}}, {nullptr, {3180, 2760}},    {"left,top", {3180, 2760}},
    };
    for (const auto& c : cases) {
        ShellTestEnv env;
        env.oe5();
        if (c.saved)
            env.settings.saveSetting(QStringLiteral("Positions"), QStringLiteral("Main"),
                                     QLatin1String(c.saved));
        env.ui.answerMessage(MsgResult::No);
        ASSERT_EQ(env.start(), LoadResult::Interactive);
        EXPECT_EQ(env.view->pos, c.expected) << (c.saved ? c.saved : "(none)");
    }
}

TEST(MainStartup, UnloadSavesPositionAndLogOption)
{
    ShellTestEnv env;
    env.oe5();
    env.ui.answerMessage(MsgResult::No);
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    env.view->pos = QPoint(1234, 567);
    env.controller->menuChosen(MainMenu::Logs, MenuIndex::LogsAutoShow);
    EXPECT_EQ(env.view->checked(MainMenu::Logs, MenuIndex::LogsAutoShow), 0);
    env.controller->state().function = MainFunction::Synchronise;
    env.controller->state().synchGridWidths = QStringLiteral("1,2,3,4");
    env.controller->unload();
    EXPECT_EQ(regText(env.registry, QStringLiteral("Positions"), QStringLiteral("Main")),
              "1234,567");
    EXPECT_EQ(regText(env.registry, QString(), QStringLiteral("AutoShowLog")), "N");
    EXPECT_EQ(regText(env.registry, QString(), QStringLiteral("SynchGrid")), "1,2,3,4");
    EXPECT_EQ(countKind(env.ui, QStringLiteral("closeHelp")), 1);
}

TEST(MainStartup, QuickBackupSwitches)
{
    const QString refused = QStringLiteral("Fast Backup Not possible at this time");
    const struct
    {
        const char* name;
        QStringList commandLine;
        const char* allowQuick;
        const char* warnOnQuick;
        int confirmation; // -1: not asked
        LoadResult result;
        QStringList calls;
        bool refusedShown;
        const char* warnAfter;
    } cases[] = {
        {"F refused", {"\\F"}, "N", "Y", -1, LoadResult::Interactive, {}, true, "Y"},
        {"FX refused quietly", {"\\FX"}, "N", "Y", -1, LoadResult::Interactive, {}, false, "Y"},
        {"F asks, cancelled", {"\\F"}, "Y", "Y", 0, LoadResult::Interactive, {}, false, "Y"},
        {"F asks, do not ask again",
         {"\\f"},
         "Y",
         "Y",
         3,
         LoadResult::QuickBackup,
         {"inventory", "gather", "runBackup"},
         false,
         "N"},
        {"F without asking",
         {"\\F"},
         "Y",
         "N",
         -1,
         LoadResult::QuickBackup,
         {"inventory", "gather", "runBackup"},
         false,
         "N"},
        {"FX always asks",
         {"\\FX"},
         "Y",
         "N",
         1,
         LoadResult::QuickBackup,
         {"inventory", "gather", "runBackup"},
         false,
         "N"},
        {"no switch", {"/F"}, "Y", "Y", -1, LoadResult::Interactive, {}, false, "Y"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShellTestEnv env;
        env.oe5();
        ControlFile::writeLines(
            env.files, ShellTestEnv::kProgramFolder + "\\tnsys5." + ShellTestEnv::kMainId + ".ctl",
            {QStringLiteral("Korvane - OE5 - {Main} ") + ShellTestEnv::kMainId});
        const QString id = ShellTestEnv::kMainId;
        env.settings.saveSetting(id, QStringLiteral("AllowQuick"), QLatin1String(c.allowQuick));
        env.settings.saveSetting(id, QStringLiteral("WarnOnQuick"), QLatin1String(c.warnOnQuick));
        env.settings.saveSetting(QString(), QStringLiteral("TidingsTip"), QStringLiteral("Y"));
        if (c.confirmation >= 0)
            env.ui.answerQuickBackup(c.confirmation);
        EXPECT_EQ(env.start(c.commandLine), c.result);
        EXPECT_EQ(env.functions.calls, c.calls);
        EXPECT_EQ(env.ui.messages().contains(refused), c.refusedShown);
        EXPECT_EQ(countKind(env.ui, QStringLiteral("quickBackup")), c.confirmation >= 0 ? 1 : 0);
        EXPECT_EQ(regText(env.registry, id, QStringLiteral("WarnOnQuick")), c.warnAfter);
        env.controller->unload();
        // A quick backup leaves the window position alone.
        EXPECT_EQ(
            regText(env.registry, QStringLiteral("Positions"), QStringLiteral("Main")).isEmpty(),
            c.result == LoadResult::QuickBackup);
    }
}

TEST(MainStartup, QuickBackupNamesItsArchiveAndFallsBackWhenTheInventoryFails)
{
    ShellTestEnv env;
    env.oe5();
    const QString id = ShellTestEnv::kMainId;
    ControlFile::writeLines(env.files, ShellTestEnv::kProgramFolder + "\\tnsys5." + id + ".ctl",
                            {QStringLiteral("Korvane - OE5 - {Main} ") + id});
    env.settings.saveSetting(id, QStringLiteral("AllowQuick"), QStringLiteral("Y"));
    env.settings.saveSetting(id, QStringLiteral("WarnOnQuick"), QStringLiteral("N"));
    env.settings.saveSetting(id, QStringLiteral("LastSavePath"), QStringLiteral("D:\\Saves\\"));
    env.functions.inventoryOk = false;
    EXPECT_EQ(env.start({QStringLiteral("\\F")}), LoadResult::Interactive);
    EXPECT_EQ(env.controller->state().backupName,
              "D:\\Saves\\Korvane5Backup.Main.2026-12-06-10-30.eaz");
    EXPECT_EQ(env.functions.calls, QStringList{"inventory"});
    EXPECT_EQ(env.view->page, 0);

    env.functions.inventoryOk = true;
    env.functions.gatherOk = false;
    env.functions.calls.clear();
    EXPECT_EQ(env.start({QStringLiteral("\\F")}), LoadResult::Unload);
    EXPECT_EQ(env.functions.calls, (QStringList{"inventory", "gather"}));
}

TEST(MainStartup, QuickBackupWithAClosesTheMailClientFirst)
{
    for (bool stubborn : {false, true}) {
        ShellTestEnv env;
        env.oe5();
        const QString id = ShellTestEnv::kMainId;
        ControlFile::writeLines(env.files, ShellTestEnv::kProgramFolder + "\\tnsys5." + id + ".ctl",
                                {QStringLiteral("Korvane - OE5 - {Main} ") + id});
        env.settings.saveSetting(id, QStringLiteral("AllowQuick"), QStringLiteral("Y"));
        env.settings.saveSetting(id, QStringLiteral("WarnOnQuick"), QStringLiteral("N"));
        env.settings.saveSetting(QString(), QStringLiteral("TidingsTip"), QStringLiteral("Y"));
        env.processes.addWindow(QStringLiteral("Outlook Express Browser Class"),
                                QStringLiteral("Inbox - Outlook Express"), stubborn);
        const LoadResult result = env.start({QStringLiteral("\\F \\A")});
        EXPECT_FALSE(env.processes.closeRequests().isEmpty());
        EXPECT_EQ(result, stubborn ? LoadResult::Interactive : LoadResult::QuickBackup);
        EXPECT_EQ(env.functions.calls.contains(QStringLiteral("runBackup")), !stubborn);
    }
}

TEST(MainStartup, ForcedOe4WithoutStore)
{
    const struct
    {
        const char* name;
        int choice;
        bool myDocuments;
        LoadResult result;
        QString message;
        QString call;
    } cases[] = {
        {"cancelled",
         0,
         true,
         LoadResult::Unload,
         "To start Korvane in OE5 mode -\nRemove the \"\\4\" from the shortcut or use the "
         "standard shortcut",
         {}},
        {"no documents folder",
         2,
         false,
         LoadResult::Unload,
         "Unable to find the \"My Documents\" or \"Personal\" folder:\n\nThis folder is required "
         "for a restore of this type",
         {}},
        {"restore", 1, true, LoadResult::Interactive, {}, "startRestore"},
        {"synchronise", 2, true, LoadResult::Interactive, {}, "startSynchronise"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ShellTestEnv env;
        env.oe5();
        if (c.myDocuments) {
            env.registry.setString(Hive::CurrentUser, QLatin1String(MailClient::kShellFoldersKey),
                                   QStringLiteral("Personal"), QStringLiteral("C:\\Docs"));
            env.files.makeSurePath(QStringLiteral("C:\\Docs\\"));
        }
        env.ui.answerOe4Import(c.choice);
        if (c.result == LoadResult::Interactive)
            env.ui.answerMessage(MsgResult::No);
        EXPECT_EQ(env.start({QStringLiteral("\\4")}), c.result);
        if (!c.message.isEmpty()) {
            ASSERT_FALSE(env.ui.messages().isEmpty());
            EXPECT_EQ(env.ui.messages().last(), c.message);
            EXPECT_EQ(env.ui.shown().last().icon, MsgIcon::Information);
            env.controller->unload();
            // A start that ended at its checks writes no settings.
            EXPECT_TRUE(regText(env.registry, QStringLiteral("Positions"), QStringLiteral("Main"))
                            .isEmpty());
            EXPECT_TRUE(regText(env.registry, QString(), QStringLiteral("AutoShowLog")).isEmpty());
        } else {
            EXPECT_TRUE(env.controller->state().oe4ImportMode);
            EXPECT_EQ(env.controller->state().env.storeFolder, "C:\\Docs\\Mail\\");
            platform::FileEntry mail;
            EXPECT_TRUE(env.files.stat(QStringLiteral("C:\\Docs\\Mail"), &mail) &&
                        mail.isDirectory());
            EXPECT_EQ(env.view->button(MainButton::Backup), 0);
            EXPECT_TRUE(env.functions.calls.contains(c.call));
        }
    }
}

TEST(MainStartup, MissingMailClientEndsTheStart)
{
    ShellTestEnv env;
    EXPECT_EQ(env.start(), LoadResult::Unload);
    EXPECT_EQ(env.ui.messages(),
              QStringList{"This program requires Outlook Express \nPlease install Outlook "
                          "Express before running."});
}

TEST(MainStartup, Oe4ModeConvertsTheEarlierControlFile)
{
    ShellTestEnv env;
    env.registerDll(QStringLiteral("C:\\windows\\system32\\inetcomm.dll"));
    env.setOe4Store(QStringLiteral("C:\\OE4"), true, true);
    const QString folder = ShellTestEnv::kProgramFolder;
    ControlFile::writeLines(
        env.files, folder + "\\tnsys3.ctl",
        {"old header", "old line 2", "Inbox", "Sent Items", "News Folders=", "comp.lang.c"});
    env.files.writeFile(folder + "\\LastBackup.log", "log");
    ASSERT_EQ(env.start(), LoadResult::Interactive);

    const QChar s = MainState::kFieldSeparator;
    QStringList lines;
    ASSERT_TRUE(ControlFile::readLines(env.files, folder + "\\tnsys4.ctl", &lines));
    EXPECT_EQ(
        lines,
        (QStringList{"Korvane - OE4", QStringList{"2", "Inbox", "Inbox.mbx", "1", "0", "1"}.join(s),
                     QStringList{"2", "Sent Items", "Sent Items.mbx", "2", "0", "1"}.join(s),
                     QStringList{"20", "comp.lang.c", "comp.lang.c", "3", "0", "1"}.join(s)}));
    // Converted, not new: no defaults, no first-run question.
    EXPECT_TRUE(
        regText(env.registry, QStringLiteral("Parms"), QStringLiteral("AllowQuick")).isEmpty());
    EXPECT_FALSE(env.controller->state().firstRun);
    EXPECT_EQ(env.controller->state().rememberedNames,
              (QStringList{"Inbox.mbx", "Sent Items.mbx", "comp.lang.c"}));
    // Version 4 hides the identity entries and uses the shared logs.
    for (int entry = 1; entry <= 6; ++entry)
        EXPECT_EQ(env.view->visible(MainMenu::Options, entry), 0) << entry;
    EXPECT_EQ(env.view->enabled(MainMenu::Logs, MenuIndex::LogsBackup), 1);
    EXPECT_EQ(env.view->enabled(MainMenu::Logs, MenuIndex::LogsRestore), 0);
    EXPECT_EQ(env.controller->state().settingsSection(), "Parms");
}

TEST(MainStartup, RememberedSelectionSkipsTheOtherItems)
{
    ShellTestEnv env;
    env.oe5();
    const QChar s = MainState::kFieldSeparator;
    auto rec = [&](const char* type, const char* name, const char* flag) {
        return QStringList{QLatin1String(type), "row", QLatin1String(name), "1", "0",
                           QLatin1String(flag)}
            .join(s);
    };
    const QString id = ShellTestEnv::kMainId;
    ControlFile::writeLines(
        env.files, ShellTestEnv::kProgramFolder + "\\tnsys5." + id + ".ctl",
        {"Korvane - OE5 - {Main} " + id, rec("10", "wab.wab", "1"), rec("1", "Inbox.dbx", "-1"),
         rec("2", "", "1"), rec("30", "Favorites", "1"), rec("41", "Rules", "1"),
         rec("49", "Other", "1"), rec("2", "Sent.dbx", "0"), rec("50", "Drafts.dbx", "1")});
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    const MainState& st = env.controller->state();
    EXPECT_EQ(st.controlFileHeader, "Korvane - OE5 - {Main} " + id);
    EXPECT_EQ(st.rememberedNames, (QStringList{"Inbox.dbx", "Sent.dbx", "Drafts.dbx"}));
    EXPECT_EQ(st.rememberedFlags, (QList<int>{1, 0, 1}));
}

TEST(MainStartup, SharedLogsBecomeTheIdentitysOwn)
{
    ShellTestEnv env;
    env.oe5();
    const QString folder = ShellTestEnv::kProgramFolder;
    env.files.writeFile(folder + "\\LastRestore.log", "restored");
    env.ui.answerMessage(MsgResult::No);
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    EXPECT_EQ(env.files.readFile(folder + "\\Main.LastRestore.log"), "restored");
    EXPECT_EQ(env.view->enabled(MainMenu::Logs, MenuIndex::LogsRestore), 1);
    EXPECT_EQ(env.view->enabled(MainMenu::Logs, MenuIndex::LogsBackup), 0);
    EXPECT_EQ(env.registry.string(Hive::LocalMachine,
                                  QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
                                                 "App Paths\\KV2000.exe"),
                                  QString()),
              "C:\\Program Files\\Korvane\\KV2000.exe");
}

} // namespace
} // namespace kv::test
