#include "ShellTestEnv.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;

// An environment past its first start, with the opening page shown.
struct Started : ShellTestEnv
{
    explicit Started(bool twoIdentities = false)
    {
        returningUser(twoIdentities);
        EXPECT_EQ(start(), LoadResult::Interactive);
        controller->firstPaint();
    }
    MainState& st() { return controller->state(); }
};

// Only a restore of settings groups cautions; "do not show again" sticks, Yes opens the help.
TEST(MainNavigation, TheRegistryCautionOfTheRestoreStep)
{
    const struct
    {
        bool synchronise, groupsTicked, asked;
    } cases[] = {{false, false, false}, {false, true, true}, {true, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.synchronise << c.groupsTicked);
        Started env;
        env.functions.groupsTicked = c.groupsTicked;
        env.settings.saveSetting(ShellTestEnv::kMainId, "WarnRegUpdate", "Y");
        if (c.asked)
            env.ui.answerGenMessage(true, true);
        c.synchronise ? env.controller->synchClicked() : env.controller->restoreClicked();
        env.controller->nextClicked();
        EXPECT_EQ(env.st().step, 3);
        EXPECT_EQ(env.view->texts.value(MainText::RunButton),
                  c.synchronise ? "&Synch Now" : "&Restore Now");
        EXPECT_EQ(env.shown("genMessage").size(), c.asked ? 1 : 0);
        EXPECT_EQ(env.shown("help").value(0).currentIndex, c.asked ? 2000 : 0);
        EXPECT_EQ(env.setting(ShellTestEnv::kMainId, "WarnRegUpdate"), c.asked ? "N" : "Y");
    }
}

TEST(MainNavigation, ABusyCloseIsRefusedAndStopsASynchronisation)
{
    Started env;
    env.st().busy = true;
    env.st().function = MainFunction::Synchronise;
    EXPECT_FALSE(env.controller->queryClose());
    EXPECT_TRUE(env.st().synchStop);
    EXPECT_TRUE(env.ui.messages().isEmpty());
}

TEST(MainNavigation, IdentityOptionsAndSwitch)
{
    Started env(true);
    env.controller->menuChosen(MenuEntry::PromptIdentity);
    EXPECT_EQ(env.setting(QString(), "IdentOption"), "4");

    env.ui.answerIdentity(-2); // cancelled: nothing happens
    env.controller->menuChosen(MenuEntry::SwitchIdentity);
    EXPECT_FALSE(env.st().restartRequested);
    EXPECT_EQ(env.view->closes, 0);

    env.ui.answerIdentity(1);
    env.controller->menuChosen(MenuEntry::SwitchIdentity);
    EXPECT_EQ(env.view->closes, 1);
    EXPECT_EQ(env.setting(QString(), "StartAs"), ShellTestEnv::kMainId);
    env.st().ownOptions = QStringList{"--prefix", "/tmp/p"};
    env.controller->unload();
    EXPECT_EQ(env.processes.started(),
              QStringList{"C:\\Program Files\\Korvane\\KV2000.exe --prefix /tmp/p"});

    // The new instance opens the chosen identity without asking, and forgets the request.
    const qsizetype asked = env.ui.shown().size();
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    EXPECT_EQ(env.ui.shown().size(), asked);
    EXPECT_EQ(env.view->caption(), "Korvane 2000 -- Identity: Main");
    EXPECT_EQ(env.setting(QString(), "StartAs"), "<unset>");
}

TEST(MainNavigation, ReminderDialogSavesWhatTheRuleGivesAndCancelNothing)
{
    Started env;
    env.settings.saveSetting("Parms", "RemindDays", "-1");
    env.ui.answerOptions(OptionsAnswer{true, "45"});
    env.controller->menuChosen(MenuEntry::Reminder);
    EXPECT_FALSE(env.ui.shown().last().currentIndex); // opened on "Do NOT remind me"
    EXPECT_EQ(env.setting("Parms", "RemindDays"), "31");
    env.ui.answerOptions(std::nullopt);
    env.controller->menuChosen(MenuEntry::Reminder);
    EXPECT_EQ(env.setting("Parms", "RemindDays"), "31");
}

// Logs open with Notepad and the news tool starts only when their files are there.
TEST(MainNavigation, EntriesStartProgramsOnlyWhenTheirFilesExist)
{
    const QString notepad = "C:\\windows\\system32\\notepad.exe";
    const QString log = ShellTestEnv::kProgramFolder + "\\Main.LastBackup.log";
    const QString tidings = ShellTestEnv::kProgramFolder + "\\Tidings.exe";
    const std::tuple<MenuEntry, QStringList, QStringList> cases[] = {
        {MenuEntry::BackupLog, {log}, {}},
        {MenuEntry::BackupLog, {notepad, log}, {notepad + u' ' + log}},
        {MenuEntry::Tidings, {}, {}},
        {MenuEntry::Tidings, {tidings}, {tidings}}};
    for (const auto& [entry, files, started] : cases) {
        Started env;
        for (const QString& file : files)
            env.files.writeFile(file, "MZ");
        env.controller->menuChosen(entry);
        EXPECT_EQ(env.processes.started(), started) << files.join(u' ').toStdString();
        EXPECT_TRUE(env.ui.shown().isEmpty());
    }
}

} // namespace
} // namespace kv::test
