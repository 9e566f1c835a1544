#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"

#include "OeTestEnv.h"

#include <gtest/gtest.h>

using namespace kv;
using namespace kv::MailClient;
using kv::platform::Hive;

namespace {

TEST(MailClient, SafeNameDropsOnlyTheCharactersFileNamesCannotHold)
{
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {{"Main Identity", "Main Identity"},
                 {"Dr. J. Smith", "Dr J Smith"},
                 {"a\\b/c:d*e?f\"g<h>i|j.k", "abcdefghijk"},
                 {"  spaced  out ", "  spaced  out "},
                 {"...", ""},
                 {"Zoë & Co (home)", "Zoë & Co (home)"}};
    for (const auto& c : cases)
        EXPECT_EQ(safeName(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(MailClient, OnlyAFirstComponentEnclosedInPercentIsExpanded)
{
    test::FakeSystem system;
    system.setVariable(QStringLiteral("USERPROFILE"), QStringLiteral("C:\\users\\tester"));
    system.setVariable(QStringLiteral("TEMP"), QStringLiteral("C:\\temp"));
    const struct
    {
        const char* in;
        const char* out;
    } cases[] = {
        {"%USERPROFILE%\\Local Settings\\Store", "C:\\users\\tester\\Local Settings\\Store"},
        {"%userprofile%", "C:\\users\\tester"},
        {"C:\\%TEMP%\\Store", "C:\\%TEMP%\\Store"},
        {"%USERPROFILE%\\%TEMP%", "C:\\users\\tester\\%TEMP%"},
        {"%UNKNOWN%\\Store", "%UNKNOWN%\\Store"},
        {"%TEMP\\x", "%TEMP\\x"},
        {"%\\x", "%\\x"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(expandStoredPath(system, QString::fromLatin1(c.in)), QString::fromLatin1(c.out))
            << c.in;
}

TEST(MailClient, SmallTextHelpers)
{
    test::FakeSystem system;
    system.setUserName(QString(600, u'u'));
    EXPECT_EQ(windowsUserName(system).size(), 511);
    system.setUserName(QStringLiteral("bob") + QChar(0) + QStringLiteral("junk"));
    EXPECT_EQ(windowsUserName(system), QStringLiteral("bob"));
}

TEST(MailClient, DllFileNameDecidesTheVersion)
{
    const struct
    {
        const char* path;
        ClientVersion version;
    } cases[] = {{"C:\\WINDOWS\\SYSTEM\\msoe.dll", ClientVersion::OE5},
                 {"%SystemRoot%\\System32\\MSOE.DLL", ClientVersion::OE5},
                 {"msoe.dll", ClientVersion::OE5},
                 {"C:\\Program Files\\Outlook Express\\msimn.exe", ClientVersion::OE4},
                 {"C:\\WINDOWS\\SYSTEM\\msoe.dll.bak", ClientVersion::OE4},
                 {"", ClientVersion::Missing}};
    for (const auto& c : cases)
        EXPECT_EQ(versionOfDll(QString::fromLatin1(c.path)), c.version) << c.path;
}

TEST(MailClient, MailDllComesFromTheClassRegistrationElseTheClientsEntry)
{
    test::OeTestEnv env;
    RegistryAccess reg(env.registry, env.files);
    EXPECT_EQ(mailDllPath(reg), QString());
    env.registry.setString(Hive::LocalMachine, QLatin1String(kClientsMailKey),
                           QStringLiteral("DLLPath"), QStringLiteral("C:\\x\\inetcomm.dll"));
    EXPECT_EQ(mailDllPath(reg), QStringLiteral("C:\\x\\inetcomm.dll"));
    env.installOe5();
    EXPECT_EQ(mailDllPath(reg), QStringLiteral("C:\\windows\\system32\\msoe.dll"));
    // The class registration lives in HKLM\Software\Classes, as HKCR shows it.
    EXPECT_EQ(
        env.registry.string(Hive::LocalMachine,
                            QStringLiteral("Software\\Classes\\") + QLatin1String(kMailDllClsidKey),
                            QString()),
        QStringLiteral("C:\\windows\\system32\\msoe.dll"));
}

TEST(MailClient, Oe4StoreRootFindsMailAndNewsFolders)
{
    const struct
    {
        const char* root;
        bool mail;
        bool news;
        const char* mailFolder;
        const char* newsFolder;
    } cases[] = {
        {"C:\\Program Files\\Outlook Express\\", true, true,
         "C:\\Program Files\\Outlook Express\\Mail\\",
         "C:\\Program Files\\Outlook Express\\News\\"},
        {"C:\\OE4", true, false, "C:\\OE4\\Mail\\", ""},
        {"%USERPROFILE%\\OE4", true, true, "C:\\users\\tester\\OE4\\Mail\\",
         "C:\\users\\tester\\OE4\\News\\"},
        {"C:\\OE4", false, true, "", "C:\\OE4\\News\\"},
        {"", false, false, "", ""},
    };
    for (const auto& c : cases) {
        test::OeTestEnv env;
        if (*c.root)
            env.setOe4Store(QString::fromLatin1(c.root), c.mail, c.news);
        RegistryAccess reg(env.registry, env.files);
        const Oe4Store store = oe4StoreRoot(reg, env.files, env.system);
        EXPECT_EQ(store.mailFolder, QString::fromLatin1(c.mailFolder)) << c.root;
        EXPECT_EQ(store.newsFolder, QString::fromLatin1(c.newsFolder)) << c.root;
        EXPECT_EQ(store.newsFlag, int(qstrlen(c.newsFolder)));
        EXPECT_EQ(store.exists(), *c.mailFolder != 0);
    }
}

TEST(MailClient, IdentitiesWithTheirDefaultAndLastPositions)
{
    test::OeTestEnv env;
    env.addIdentity(QStringLiteral("{AAA}"), QStringLiteral("Main Identity"), QString());
    env.addIdentity(QStringLiteral("{BBB}"), QStringLiteral("Work"), QString());
    env.addIdentity(QStringLiteral("{CCC}"), QStringLiteral("Kids"), QString());
    RegistryAccess reg(env.registry, env.files);

    Identities ids = enumerateIdentities(reg);
    EXPECT_EQ(ids.ids, (QStringList{"{AAA}", "{BBB}", "{CCC}"}));
    EXPECT_EQ(ids.names, (QStringList{"Main Identity", "Work", "Kids"}));
    EXPECT_EQ(ids.idList(), QStringLiteral("{AAA}") + QChar(0) + QStringLiteral("{BBB}") +
                                QChar(0) + QStringLiteral("{CCC}") + QChar(0));
    // Missing "Default User ID" and "Last User ID": the first identity.
    EXPECT_EQ(ids.defaultIndex, 1);
    EXPECT_EQ(ids.lastIndex, 1);

    env.setIdentityDefaults(QStringLiteral("{ccc}"), QStringLiteral("{BBB}"));
    ids = enumerateIdentities(reg);
    EXPECT_EQ(ids.defaultIndex, 3);
    EXPECT_EQ(ids.lastIndex, 2);

    env.setIdentityDefaults(QStringLiteral("{GONE}"), QStringLiteral("{GONE}"));
    ids = enumerateIdentities(reg);
    EXPECT_EQ(ids.defaultIndex, 1);
    EXPECT_EQ(ids.lastIndex, 1);

    test::OeTestEnv empty;
    RegistryAccess none(empty.registry, empty.files);
    EXPECT_EQ(enumerateIdentities(none).count(), 0);
}

TEST(MailClient, IdentOptionOutsideTwoToFourReadsAsDefaultIdentity)
{
    const struct
    {
        const char* stored;
        int option;
    } cases[] = {{nullptr, 2}, {"2", 2},  {"3", 3}, {"4", 4},  {"7", 2},
                 {"1", 2},     {"-3", 2}, {"x", 2}, {" 3 ", 3}};
    for (const auto& c : cases) {
        test::OeTestEnv env;
        if (c.stored)
            env.settings.save(Setting::IdentOption, QString(), QString::fromLatin1(c.stored));
        EXPECT_EQ(identOption(env.settings), c.option) << (c.stored ? c.stored : "(none)");
    }
}

TEST(MailClient, MyDocumentsOnlyWhenTheFolderExists)
{
    test::OeTestEnv env;
    RegistryAccess reg(env.registry, env.files);
    EXPECT_EQ(myDocumentsFolder(reg, env.files), QString());
    env.registry.setString(Hive::CurrentUser, QLatin1String(kShellFoldersKey),
                           QStringLiteral("Personal"),
                           QStringLiteral("C:\\users\\tester\\Documents"));
    EXPECT_EQ(myDocumentsFolder(reg, env.files), QString());
    env.files.makeSurePath(QStringLiteral("C:\\users\\tester\\documents\\"));
    EXPECT_EQ(myDocumentsFolder(reg, env.files), QStringLiteral("C:\\users\\tester\\Documents"));
}

} // namespace
