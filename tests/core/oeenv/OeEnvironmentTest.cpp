#include "oeenv/OeEnvironment.h"
#include "shell/Strings.h"

#include "OeTestEnv.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::MailClient::ClientVersion;
using kv::platform::Hive;
using Outcome = OeEnvironmentResult::Outcome;

namespace {

const QString kCaption = QStringLiteral("Korvane 2000");
const QString kApp = QStringLiteral("Software\\Tarnworks\\Korvane");

// Two identities with stores under the user profile; the second is the default.
void twoIdentities(test::OeTestEnv& env)
{
    env.installOe5();
    env.addIdentity(QStringLiteral("{AAA-1}"), QStringLiteral("Main Identity"),
                    QStringLiteral("%USERPROFILE%\\Application Data\\Identities\\{AAA-1}\\OE"));
    env.addIdentity(QStringLiteral("{BBB-2}"), QStringLiteral("J. Smith: Work"),
                    QStringLiteral("%USERPROFILE%\\Application Data\\Identities\\{BBB-2}\\OE\\"));
    env.setIdentityDefaults(QStringLiteral("{BBB-2}"), QStringLiteral("{AAA-1}"));
}

OeEnvironmentResult detectIn(test::OeTestEnv& env, bool forceOe4 = false)
{
    return OeEnvironment::detect(env.platform, env.settings, env.ui, forceOe4, kCaption);
}

class OeEnvironmentTest : public testing::Test
{
protected:
    void twoIdentities() { ::twoIdentities(env); }
    OeEnvironmentResult detect(bool forceOe4 = false) { return detectIn(env, forceOe4); }
    test::OeTestEnv env;
};

TEST_F(OeEnvironmentTest, DefaultIdentityOfSeveral)
{
    twoIdentities();
    const OeEnvironmentResult r = detect();
    ASSERT_EQ(r.outcome, Outcome::Ready);
    EXPECT_TRUE(r.isOe5());
    EXPECT_EQ(r.identityCount(), 2);
    EXPECT_TRUE(r.identityMenuEnabled);
    EXPECT_EQ(r.chosenIndex, 2);
    EXPECT_EQ(r.chosenId, QStringLiteral("{BBB-2}"));
    EXPECT_EQ(r.chosenName, QStringLiteral("J Smith Work"));
    EXPECT_EQ(r.captionSuffix, QStringLiteral(" -- Identity: J Smith Work"));
    EXPECT_EQ(r.settingsSection, QStringLiteral("{BBB-2}"));
    EXPECT_EQ(r.storeFolder,
              QStringLiteral("C:\\users\\tester\\Application Data\\Identities\\{BBB-2}\\OE\\"));
    EXPECT_EQ(r.backupBaseName, QStringLiteral("Korvane5Backup"));
    EXPECT_EQ(r.nameInfix, QStringLiteral(".J Smith Work."));
    EXPECT_TRUE(env.ui.shown().isEmpty());
}

TEST(OeEnvironment, IdentityOptionChoosesDefaultLastOrPrompt)
{
    const struct
    {
        const char* option;
        int scriptedChoice; // 0: no chooser expected
        int chosen;
    } cases[] = {{"2", 0, 2}, {"3", 0, 1}, {"7", 0, 2}, {"4", 1, 1}, {"4", 2, 2}};
    for (const auto& c : cases) {
        test::OeTestEnv env;
        twoIdentities(env);
        env.settings.save(Setting::IdentOption, QString(), QString::fromLatin1(c.option));
        if (c.scriptedChoice)
            env.ui.answerIdentity(c.scriptedChoice);
        const OeEnvironmentResult r = detectIn(env);
        ASSERT_EQ(r.outcome, Outcome::Ready) << c.option;
        EXPECT_EQ(r.chosenIndex, c.chosen) << c.option;
        EXPECT_EQ(int(r.identityOption), c.option[0] == '7' ? 2 : c.option[0] - '0');
        if (c.scriptedChoice) {
            ASSERT_EQ(env.ui.shown().size(), 1);
            const auto& asked = env.ui.shown().front();
            EXPECT_EQ(asked.items, (QStringList{"Main Identity", "J. Smith: Work"}));
            EXPECT_EQ(asked.currentIndex, 2); // the default identity preselected
            EXPECT_FALSE(asked.offerCancel);
            EXPECT_EQ(asked.title, kCaption);
        } else {
            EXPECT_TRUE(env.ui.shown().isEmpty()) << c.option;
        }
    }
}

TEST_F(OeEnvironmentTest, SingleIdentityNeitherPromptsNorSuffixesTheCaption)
{
    env.installOe5();
    env.addIdentity(QStringLiteral("{ONLY}"), QStringLiteral("Main Identity"),
                    QStringLiteral("C:\\Store"));
    env.settings.save(Setting::IdentOption, QString(), QStringLiteral("4"));
    const OeEnvironmentResult r = detect();
    ASSERT_EQ(r.outcome, Outcome::Ready);
    EXPECT_EQ(r.chosenId, QStringLiteral("{ONLY}"));
    EXPECT_FALSE(r.identityMenuEnabled);
    EXPECT_TRUE(r.captionSuffix.isEmpty());
    EXPECT_EQ(r.storeFolder, QStringLiteral("C:\\Store\\"));
    EXPECT_TRUE(env.ui.shown().isEmpty());
}

TEST_F(OeEnvironmentTest, PendingStartAsWinsOnceAndIsAlwaysConsumed)
{
    twoIdentities();
    env.settings.save(Setting::IdentOption, QString(), QStringLiteral("4"));
    env.settings.save(Setting::StartAs, QString(), QStringLiteral("{AAA-1}"));
    OeEnvironmentResult r = detect();
    EXPECT_EQ(r.chosenId, QStringLiteral("{AAA-1}"));
    EXPECT_TRUE(env.ui.shown().isEmpty()); // no prompt while a switch is pending
    EXPECT_EQ(env.registry.openKey(Hive::CurrentUser, kApp), 0);
    platform::RegValue v;
    EXPECT_NE(env.registry.queryValue(Hive::CurrentUser, kApp, QStringLiteral("StartAs"), &v), 0);

    // An identity that has gone away: the first one, and the request is still removed.
    env.settings.save(Setting::StartAs, QString(), QStringLiteral("{GONE}"));
    env.settings.save(Setting::IdentOption, QString(), QStringLiteral("2"));
    r = detect();
    EXPECT_EQ(r.chosenIndex, 1);
    EXPECT_NE(env.registry.queryValue(Hive::CurrentUser, kApp, QStringLiteral("StartAs"), &v), 0);
}

TEST_F(OeEnvironmentTest, SwitchIdentitySavesStartAsUnlessCancelled)
{
    twoIdentities();
    OeEnvironmentResult r = detect();
    ASSERT_EQ(r.chosenIndex, 2);

    env.ui.answerIdentity(-2);
    EXPECT_FALSE(OeEnvironment::switchIdentity(env.settings, env.ui, r.identities, r.chosenIndex,
                                               kCaption + r.captionSuffix));
    EXPECT_EQ(env.settings.get(Setting::StartAs, QString()), QString());
    EXPECT_TRUE(env.ui.shown().back().offerCancel);

    env.ui.answerIdentity(1);
    EXPECT_TRUE(OeEnvironment::switchIdentity(env.settings, env.ui, r.identities, r.chosenIndex,
                                              kCaption + r.captionSuffix));
    EXPECT_EQ(env.settings.get(Setting::StartAs, QString()), QStringLiteral("{AAA-1}"));
    r = detect(); // the restarted program
    EXPECT_EQ(r.chosenId, QStringLiteral("{AAA-1}"));
    EXPECT_EQ(env.ui.pendingAnswers(), 0);
}

TEST_F(OeEnvironmentTest, ChooserAnswersOutOfRangeKeepTheCurrentIdentity)
{
    const QStringList names{"a", "b", "c"};
    env.ui.answerIdentity(9).answerIdentity(0).answerIdentity(-3).answerIdentity(3);
    EXPECT_EQ(OeEnvironment::chooseIdentity(env.ui, names, 2, false, kCaption), 2);
    EXPECT_EQ(OeEnvironment::chooseIdentity(env.ui, names, 2, true, kCaption), 2);
    EXPECT_EQ(OeEnvironment::chooseIdentity(env.ui, names, 2, true, kCaption), -2);
    EXPECT_EQ(OeEnvironment::chooseIdentity(env.ui, names, 7, false, kCaption), 3);
    EXPECT_EQ(env.ui.shown().back().currentIndex, 1); // an impossible current index is not offered
}

TEST_F(OeEnvironmentTest, FatalChecksCarryTheirMessages)
{
    // No client registered and no older store.
    OeEnvironmentResult r = detect();
    EXPECT_EQ(r.outcome, Outcome::Fatal);
    EXPECT_EQ(r.message, QStringLiteral("This program requires Outlook Express \n"
                                        "Please install Outlook Express before running."));

    // Version 5 without identities.
    env.installOe5();
    r = detect();
    EXPECT_EQ(r.outcome, Outcome::Fatal);
    EXPECT_EQ(r.message, QStringLiteral("Unable to locate Outlook Express 5 Identity Information"));

    // An identity without a store root.
    env.addIdentity(QStringLiteral("{X}"), QStringLiteral("X"), QString());
    r = detect();
    EXPECT_EQ(r.outcome, Outcome::Fatal);
    EXPECT_EQ(
        r.message,
        QStringLiteral("Unable to locate Outlook Express 5 Mail Folders for default identity"));

    // Version 4 registered but its store is gone.
    env.registerDll(QStringLiteral("C:\\Program Files\\Outlook Express\\inetcomm.dll"));
    r = detect();
    EXPECT_EQ(r.outcome, Outcome::Fatal);
    EXPECT_EQ(r.message, QStringLiteral("Unable to locate Outlook Express 4 Mail Folders"));
}

TEST_F(OeEnvironmentTest, OlderClientModes)
{
    // Nothing registered but an older store present: version 4.
    env.setOe4Store(QStringLiteral("C:\\Program Files\\Outlook Express"), true, true);
    OeEnvironmentResult r = detect();
    ASSERT_EQ(r.outcome, Outcome::Ready);
    EXPECT_EQ(r.mode, ClientVersion::OE4);
    EXPECT_EQ(r.storeFolder, QStringLiteral("C:\\Program Files\\Outlook Express\\Mail\\"));
    EXPECT_EQ(r.oe4.newsFlag, int(r.oe4.newsFolder.size()));
    EXPECT_GT(r.oe4.newsFlag, 0);
    EXPECT_EQ(r.settingsSection, QStringLiteral("Parms"));
    EXPECT_EQ(r.backupBaseName, QStringLiteral("KorvaneBackup"));
    EXPECT_EQ(r.nameInfix, QStringLiteral("."));
    EXPECT_EQ(r.identityCount(), 0);

    // Forced on a version-5 machine: version 4 even though identities exist.
    env.installOe5();
    env.addIdentity(QStringLiteral("{X}"), QStringLiteral("X"), QStringLiteral("C:\\S"));
    r = detect(true);
    EXPECT_EQ(r.outcome, Outcome::Ready);
    EXPECT_EQ(r.mode, ClientVersion::OE4);
    EXPECT_EQ(r.settingsSection, QStringLiteral("Parms"));
}

TEST_F(OeEnvironmentTest, ForcedOlderModeWithoutStoreAsksForTheImportChoice)
{
    env.installOe5();
    const OeEnvironmentResult r = detect(true);
    EXPECT_EQ(r.outcome, Outcome::Oe4StoreMissing);
    EXPECT_EQ(r.mode, ClientVersion::OE4);
    EXPECT_TRUE(r.message.isEmpty());
}

TEST_F(OeEnvironmentTest, DetectionWritesNothingButTheStartAsRemoval)
{
    twoIdentities();
    env.settings.save(Setting::StartAs, QString(), QStringLiteral("{AAA-1}"));
    env.settings.save(Setting::IdentOption, QString(), QStringLiteral("3"));
    QList<platform::RegNamedValue> before;
    env.registry.enumValues(Hive::CurrentUser, kApp, &before);
    detect();
    QList<platform::RegNamedValue> after;
    env.registry.enumValues(Hive::CurrentUser, kApp, &after);
    ASSERT_EQ(after.size(), before.size() - 1);
    EXPECT_EQ(after.front().name, QStringLiteral("IdentOption"));
    QStringList sections;
    env.registry.enumSubKeys(Hive::CurrentUser, kApp, &sections);
    EXPECT_TRUE(sections.isEmpty());
}

} // namespace
