#include "oeenv/OeEnvironment.h"

#include "OeTestEnv.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kv;

namespace {

const QString kCaption = "Korvane 2000";

// Two identities with stores under the user profile; the second is the default.
void twoIdentities(test::OeTestEnv& env)
{
    env.installOe5();
    env.addIdentity("{AAA-1}", "Main Identity",
                    "%USERPROFILE%\\Application Data\\Identities\\{AAA-1}\\OE");
    env.addIdentity("{BBB-2}", "J. Smith: Work",
                    "%USERPROFILE%\\Application Data\\Identities\\{BBB-2}\\OE\\");
    env.setIdentityDefaults("{BBB-2}", "{AAA-1}");
}

OeEnvironmentResult detectIn(test::OeTestEnv& env, bool forceOe4 = false)
{
    return OeEnvironment::detect(env.platform, env.settings, env.ui, forceOe4, kCaption);
}

// The result as "field=value" lines, so that a case names only the fields it is about.
QStringList describe(const OeEnvironmentResult& r)
{
    return {QString("outcome=%1 mode=%2").arg(int(r.outcome)).arg(int(r.mode)),
            QString("chosen=%1 %2 %3").arg(r.chosenIndex).arg(r.chosenId, r.chosenName),
            QString("menu=%1").arg(r.identityMenuEnabled),
            "store=" + r.storeFolder,
            "section=" + r.settingsSection,
            "caption=" + r.captionSuffix,
            "backup=" + r.backupBaseName + " " + r.nameInfix,
            QString("news=%1").arg(r.oe4.newsFlag > 0),
            "message=" + r.message};
}

// What a case puts into the environment.
enum Setup : unsigned
{
    kOe5 = 1,       // version 5 registered
    kOe4 = 2,       // version 4 registered
    kTwoIds = 4,    // twoIdentities()
    kOneId = 8,     // one identity, with "prompt" as the identity option
    kNoRoot = 16,   // one identity without a store root
    kOe4Store = 32, // the older store, with Mail and News
    kForceOe4 = 64, // the command line asks for version 4
};

TEST(OeEnvironment, DetectionOfEachKindOfEnvironment)
{
    const QString oe4Root = "C:\\Program Files\\Outlook Express";
    // What the environment holds, and fields of the result.
    // outcome: 0 ready, 1 fatal; mode: 1 version 4, 2 version 5
    const std::pair<unsigned, QStringList> cases[] = {
        {kTwoIds,
         {"outcome=0 mode=2", "chosen=2 {BBB-2} J Smith Work", "menu=1",
          "store=C:\\users\\tester\\Application Data\\Identities\\{BBB-2}\\OE\\", "section={BBB-2}",
          "caption= -- Identity: J Smith Work", "backup=Korvane5Backup .J Smith Work."}},
        {kOe5 | kOneId,
         {"outcome=0 mode=2", "chosen=1 {ONLY} Main Identity", "menu=0", "store=C:\\Store\\",
          "caption="}},
        {kOe5,
         {"outcome=1 mode=2", "message=Unable to locate Outlook Express 5 Identity Information"}},
        {kOe5 | kNoRoot,
         {"outcome=1 mode=2",
          "message=Unable to locate Outlook Express 5 Mail Folders for default identity"}},
        {kOe4, {"outcome=1 mode=1", "message=Unable to locate Outlook Express 4 Mail Folders"}},
        {kOe4Store,
         {"outcome=0 mode=1", "chosen=0  ", "store=" + oe4Root + "\\Mail\\", "section=Parms",
          "backup=KorvaneBackup .", "news=1"}},
        {kTwoIds | kOe4Store | kForceOe4, {"outcome=0 mode=1", "section=Parms"}}};
    for (const auto& [setup, expected] : cases) {
        SCOPED_TRACE(setup);
        test::OeTestEnv env;
        if (setup & kOe5)
            env.installOe5();
        if (setup & kOe4)
            env.registerDll(oe4Root + "\\inetcomm.dll");
        if (setup & kTwoIds)
            twoIdentities(env);
        if (setup & kOneId) {
            env.addIdentity("{ONLY}", "Main Identity", "C:\\Store");
            env.settings.save(Setting::IdentOption, QString(), "4");
        }
        if (setup & kNoRoot)
            env.addIdentity("{X}", "X", QString());
        if (setup & kOe4Store)
            env.setOe4Store(oe4Root, true, true);
        const QStringList found = describe(detectIn(env, setup & kForceOe4));
        for (const QString& e : expected)
            EXPECT_TRUE(found.contains(e)) << e.toStdString() << "\nfound:\n"
                                           << found.join(u'\n').toStdString();
        EXPECT_TRUE(env.ui.shown().isEmpty());
    }
}

TEST(OeEnvironment, IdentityOptionChoosesDefaultLastOrPrompt)
{
    // Options outside 2..4 (or not a number) read as 2, the default identity.
    // Stored option, option read, answer scripted (0: no chooser expected), identity chosen.
    const std::tuple<const char*, int, int, int> cases[] = {
        {nullptr, 2, 0, 2}, {" 3 ", 3, 0, 1}, {"5", 2, 0, 2}, {"x", 2, 0, 2}, {"4", 4, 1, 1}};
    for (const auto& [stored, option, scriptedChoice, chosen] : cases) {
        SCOPED_TRACE(stored ? stored : "(none)");
        test::OeTestEnv env;
        twoIdentities(env);
        if (stored)
            env.settings.save(Setting::IdentOption, QString(), QString::fromLatin1(stored));
        if (scriptedChoice)
            env.ui.answerIdentity(scriptedChoice);
        const OeEnvironmentResult r = detectIn(env);
        EXPECT_EQ(r.chosenIndex, chosen);
        EXPECT_EQ(int(r.identityOption), option);
        ASSERT_EQ(env.ui.shown().size(), scriptedChoice ? 1 : 0);
        if (scriptedChoice) {
            const auto& asked = env.ui.shown().front();
            EXPECT_EQ(asked.items, (QStringList{"Main Identity", "J. Smith: Work"}));
            EXPECT_EQ(asked.currentIndex, 2); // the default identity preselected
        }
    }
}

} // namespace
