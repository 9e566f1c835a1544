#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "oeenv/RunningClient.h"

#include "OeTestEnv.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

using namespace kv;
using namespace kv::MailClient;
using kv::platform::Hive;

namespace {

TEST(MailClient, TextRulesOfNamesPathsAndVersions)
{
    test::FakeSystem system;
    system.setVariable("USERPROFILE", "C:\\users\\tester");
    system.setVariable("TEMP", "C:\\temp");
    using Rule = std::function<QString(const QString&)>;
    // File names drop only the characters they cannot hold.
    const Rule safe = [](const QString& s) { return safeName(s); };
    // Only a first component enclosed in "%" is expanded.
    const Rule expand = [&](const QString& s) { return expandStoredPath(system, s); };
    const Rule version = [](const QString& s) {
        const char* const names[] = {"none", "OE4", "OE5"};
        return QString::fromLatin1(names[int(versionOfDll(s))]);
    };
    const std::tuple<const Rule&, const char*, const char*> cases[] = {
        {safe, "a\\b/c:d*e?f\"g<h>i|j.k", "abcdefghijk"},
        {safe, "...", ""},
        {safe, "Zo\u00eb & Co (home)", "Zo\u00eb & Co (home)"},
        {expand, "%USERPROFILE%\\Local Settings", "C:\\users\\tester\\Local Settings"},
        {expand, "C:\\%TEMP%\\Store", "C:\\%TEMP%\\Store"},
        {expand, "%USERPROFILE%\\%TEMP%", "C:\\users\\tester\\%TEMP%"},
        {expand, "%UNKNOWN%\\Store", "%UNKNOWN%\\Store"},
        {expand, "%\\x", "%\\x"},
        {version, "C:\\WINDOWS\\SYSTEM\\msoe.dll", "OE5"},
        {version, "C:\\Program Files\\Outlook Express\\msimn.exe", "OE4"},
        {version, "C:\\WINDOWS\\SYSTEM\\msoe.dll.bak", "OE4"},
        {version, "", "none"}};
    for (const auto& [rule, in, out] : cases)
        EXPECT_EQ(rule(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;

    system.setUserName(QString(600, u'u'));
    EXPECT_EQ(windowsUserName(system).size(), 511);
    system.setUserName(QString("bob") + QChar(0) + "junk");
    EXPECT_EQ(windowsUserName(system), "bob");
}

TEST(MailClient, Oe4StoreRootFindsMailAndNewsFolders)
{
    // Root, whether Mail and News exist, and the folders found.
    const std::tuple<const char*, bool, bool, const char*, const char*> cases[] = {
        {"C:\\OE4\\", true, true, "C:\\OE4\\Mail\\", "C:\\OE4\\News\\"},
        {"C:\\OE4", true, false, "C:\\OE4\\Mail\\", ""},
        {"C:\\OE4", false, true, "", "C:\\OE4\\News\\"},
        {"", false, false, "", ""}};
    for (const auto& [root, mail, news, mailFolder, newsFolder] : cases) {
        test::OeTestEnv env;
        if (*root)
            env.setOe4Store(root, mail, news);
        RegistryAccess reg(env.registry, env.files);
        const Oe4Store store = oe4StoreRoot(reg, env.files, env.system);
        EXPECT_EQ(store.mailFolder, mailFolder) << root;
        EXPECT_EQ(store.newsFolder, newsFolder) << root;
        EXPECT_EQ(store.newsFlag, int(qstrlen(newsFolder)));
        EXPECT_EQ(store.exists(), *mailFolder != 0);
    }
}

TEST(MailClient, IdentitiesWithTheirDefaultAndLastPositions)
{
    test::OeTestEnv env;
    env.addIdentity("{AAA}", "Main Identity", QString());
    env.addIdentity("{BBB}", "Work", QString());
    env.addIdentity("{CCC}", "Kids", QString());
    RegistryAccess reg(env.registry, env.files);
    Identities ids = enumerateIdentities(reg);
    EXPECT_EQ(ids.ids, (QStringList{"{AAA}", "{BBB}", "{CCC}"}));
    EXPECT_EQ(ids.names, (QStringList{"Main Identity", "Work", "Kids"}));
    EXPECT_EQ(QPair(ids.defaultIndex, ids.lastIndex), QPair(1, 1)); // none stored: the first
    env.setIdentityDefaults("{ccc}", "{BBB}");
    ids = enumerateIdentities(reg);
    EXPECT_EQ(QPair(ids.defaultIndex, ids.lastIndex), QPair(3, 2));
    env.setIdentityDefaults("{GONE}", "{GONE}");
    ids = enumerateIdentities(reg);
    EXPECT_EQ(QPair(ids.defaultIndex, ids.lastIndex), QPair(1, 1));
}

TEST(RunningClient, WindowsThatCountAsARunningClient)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Outlook Express Browser Class", "Inbox - Outlook Express", true},
        {"outlook express browser class", "OUTLOOK EXPRESS", true},
        {"Outlook Express Browser Class", "Inbox", false}, // the title must name the client
        {"ThorBrowserWndClass", "Outlook Express - Main Identity", true},
        {"WABBrowseView", "", true},
        {"ATH_Note", "Re: hello", true},
        {"#32770", "Outlook Express", false}, // "#" stands for a digit
        {"532770", "any dialog", true},
        {"Notepad", "Outlook Express notes.txt - Notepad", false}};
    for (const auto& [cls, title, running] : cases) {
        test::FakeProcesses p;
        p.addWindow("Shell_TrayWnd", QString());
        p.addWindow(cls, title);
        EXPECT_EQ(RunningClient::isClientRunning(p), running) << cls << " / " << title;
    }
}

// Only the client's windows close; one that will not is asked a bounded number of times.
TEST(RunningClient, ClosesOnlyTheClientsWindowsAndGivesUpOnAStubbornOne)
{
    test::FakeProcesses p;
    p.addWindow("Outlook Express Browser Class", "Inbox - Outlook Express");
    p.addWindow("WABBrowseView", "Address Book");
    const auto other = p.addWindow("Notepad", "x - Notepad");
    EXPECT_TRUE(RunningClient::closeClient(p));
    ASSERT_EQ(p.topLevelWindows().size(), 1);
    EXPECT_EQ(p.topLevelWindows().front().handle, other);
    const auto stubborn = p.addWindow("ATH_Note", "Unsaved", true);
    EXPECT_FALSE(RunningClient::closeClient(p));
    EXPECT_EQ(p.closeRequests().count(stubborn), RunningClient::kMaxClosesPerSearch);
}

} // namespace
