#include "ShellTestEnv.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kv::test {
namespace {

using LoadResult = MainController::LoadResult;
using platform::Hive;

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
    QSet<int> steps() const { return view->visibleSteps; }
};

// Restore and synchronise share the last step; only a restore of settings groups may caution.
TEST(MainNavigation, RestoreAndSynchroniseStepsAndTheRegistryCaution)
{
    const QStringList restore{"startRestore", "startRestore"};
    const QStringList synch{"startSynchronise", "runRestore", "startSynchronise"};
    const struct
    {
        const char* name;
        bool groupsTicked;
        const char* warn;
        bool answerYes, doNotShow;
        bool asked;
        const char* warnAfter;
        const QStringList& calls;
    } cases[] = {{"no settings groups", false, "Y", false, false, false, "Y", restore},
                 {"caution off", true, "N", false, false, false, "N", restore},
                 {"Yes opens help", true, "Y", true, false, true, "Y", restore},
                 {"do not show again", true, "Y", false, true, true, "N", restore},
                 {"synchronise", true, "Y", false, false, false, "Y", synch}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Started env;
        env.functions.groupsTicked = c.groupsTicked;
        env.settings.saveSetting(ShellTestEnv::kMainId, "WarnRegUpdate", QLatin1String(c.warn));
        if (c.asked)
            env.ui.answerGenMessage(c.answerYes, c.doNotShow);
        const bool synchronise = &c.calls == &synch;
        synchronise ? env.controller->synchClicked() : env.controller->restoreClicked();
        env.controller->nextClicked();
        EXPECT_EQ(env.st().step, 3);
        EXPECT_EQ(env.view->texts.value(MainText::RunLabel),
                  synchronise ? "Select \"Synch Now\" to check the messages"
                              : "Select \"Restore Now\" to begin the Restore");
        EXPECT_EQ(env.view->texts.value(MainText::RunButton),
                  synchronise ? "&Synch Now" : "&Restore Now");
        EXPECT_EQ(env.view->button(MainButton::Next), 0);
        const auto cautions = env.shown("genMessage");
        ASSERT_EQ(cautions.size(), c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_EQ(cautions[0].text, "Caution - Data will be updated in your system registry  "
                                        "Would you like additional Information on this update?");
            EXPECT_EQ(cautions[0].currentIndex, 0); // Yes/No style
        }
        const auto helps = env.shown("help");
        ASSERT_EQ(helps.size(), c.answerYes ? 1 : 0);
        if (c.answerYes) {
            EXPECT_EQ(helps[0].currentIndex, 2000);
        }
        EXPECT_EQ(env.setting(ShellTestEnv::kMainId, "WarnRegUpdate"), QLatin1String(c.warnAfter));

        env.controller->backClicked();
        if (!synchronise) {
            EXPECT_EQ(env.st().step, 4);
            EXPECT_EQ(env.view->button(MainButton::Next), 1);
        }
        env.controller->backClicked(); // from the first step: set up again
        EXPECT_EQ(env.functions.calls, c.calls);
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

    // Cancelled switch: nothing happens.
    env.ui.answerIdentity(-2);
    env.controller->menuChosen(MenuEntry::SwitchIdentity);
    EXPECT_TRUE(env.ui.shown().back().offerCancel);
    EXPECT_FALSE(env.st().restartRequested);
    EXPECT_EQ(env.view->closes, 0);

    env.ui.answerIdentity(1);
    env.controller->menuChosen(MenuEntry::SwitchIdentity);
    EXPECT_TRUE(env.st().restartRequested);
    EXPECT_EQ(env.view->closes, 1);
    EXPECT_EQ(env.setting(QString(), "StartAs"), ShellTestEnv::kMainId);
    env.st().ownOptions = QStringList{"--prefix", "/tmp/p"};
    env.controller->unload();
    EXPECT_TRUE(env.view->hidden);
    EXPECT_EQ(env.processes.started(),
              QStringList{"C:\\Program Files\\Korvane\\KV2000.exe --prefix /tmp/p"});

    // The new instance opens the chosen identity without asking, and forgets the request.
    const qsizetype asked = env.ui.shown().size();
    ASSERT_EQ(env.start(), LoadResult::Interactive);
    EXPECT_EQ(env.ui.shown().size(), asked);
    EXPECT_EQ(env.view->caption(), "Korvane 2000 -- Identity: Main");
    EXPECT_EQ(env.setting(QString(), "StartAs"), "<unset>");
}

TEST(MainNavigation, ReminderAndPurgeDialogsSaveWhatTheRuleGives)
{
    Started env;
    env.settings.saveSetting("Parms", "RemindDays", "-1");
    env.ui.answerOptions(OptionsAnswer{true, "45"});
    env.controller->menuChosen(MenuEntry::Reminder);
    EXPECT_EQ(env.ui.shown().last().title, "Set Reminder Days");
    EXPECT_FALSE(env.ui.shown().last().currentIndex); // opened on "Do NOT remind me"
    EXPECT_EQ(env.setting("Parms", "RemindDays"), "31");

    env.ui.answerOptions(OptionsAnswer{true, "0"});
    env.controller->menuChosen(MenuEntry::Purge);
    EXPECT_EQ(env.ui.shown().last().title, "Set Backup Purge");
    EXPECT_EQ(env.setting("Parms", "BackupPurge"), "-1");

    env.ui.answerOptions(std::nullopt); // Cancel saves nothing
    env.controller->menuChosen(MenuEntry::Reminder);
    EXPECT_EQ(env.setting("Parms", "RemindDays"), "31");
}

// Logs open with Notepad and the news tool starts when they are there, and are quietly left
// alone when they are not.
TEST(MainNavigation, EntriesStartProgramsOnlyWhenTheirFilesExist)
{
    const QString notepad = "C:\\windows\\system32\\notepad.exe";
    const QString log = ShellTestEnv::kProgramFolder + "\\Main.LastBackup.log";
    const QString tidings = ShellTestEnv::kProgramFolder + "\\Tidings.exe";
    // The entry, the files there, the programs started.
    const std::tuple<MenuEntry, QStringList, QStringList> cases[] = {
        {MenuEntry::BackupLog, {notepad}, {}},
        {MenuEntry::BackupLog, {log}, {}},
        {MenuEntry::BackupLog, {notepad, log}, {notepad + u' ' + log}},
        {MenuEntry::Tidings, {}, {}},
        {MenuEntry::Tidings, {tidings}, {tidings}}};
    for (const auto& [entry, files, started] : cases) {
        SCOPED_TRACE(files.join(u' ').toStdString());
        Started env;
        for (const QString& file : files)
            env.files.writeFile(file, "MZ");
        env.controller->menuChosen(entry);
        EXPECT_EQ(env.processes.started(), started);
        EXPECT_TRUE(env.ui.shown().isEmpty());
    }
}

TEST(MainNavigation, SwitchPatterns)
{
    // Command line, switch letters, whether they are there.
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"\\F", "F", true}, {"\\fx", "FX", true},  {"\\F", "FX", false},   {"\\FX", "F", true},
        {"F", "F", false},  {"x \\4", "4", false}, {"\\4 \\a", "A", true}, {"", "4", false}};
    for (const auto& [line, letters, match] : cases)
        EXPECT_EQ(MainController::hasSwitch(QLatin1String(line), QLatin1String(letters)), match)
            << line << " " << letters;
}

} // namespace
} // namespace kv::test
