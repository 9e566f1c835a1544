#include "oeenv/RunningClient.h"
#include "support/FakeProcesses.h"

#include <gtest/gtest.h>

using namespace kv;
using kv::test::FakeProcesses;

namespace {

TEST(RunningClient, WindowsThatCountAsARunningClient)
{
    const struct
    {
        const char* cls;
        const char* title;
        bool running;
    } cases[] = {
        {"Outlook Express Browser Class", "Inbox - Outlook Express", true},
        {"outlook express browser class", "OUTLOOK EXPRESS", true},
        {"Outlook Express Browser Class", "Inbox", false}, // the title must name the client
        {"ThorBrowserWndClass", "Outlook Express - Main Identity", true},
        {"ThorBrowserWndClass", "Something else", false},
        {"WABBrowseView", "", true},
        {"ATH_Note", "Re: hello", true},
        {"#32770", "Outlook Express", false}, // "#" stands for a digit
        {"532770", "any dialog", true},
        {"Notepad", "Outlook Express notes.txt - Notepad", false},
    };
    for (const auto& c : cases) {
        FakeProcesses p;
        p.addWindow(QStringLiteral("Shell_TrayWnd"), QString());
        p.addWindow(QString::fromLatin1(c.cls), QString::fromLatin1(c.title));
        EXPECT_EQ(RunningClient::isClientRunning(p), c.running) << c.cls << " / " << c.title;
    }
}

TEST(RunningClient, ClosesNotesAndAddressBookBeforeTheMainWindow)
{
    FakeProcesses p;
    const auto main = p.addWindow(QStringLiteral("Outlook Express Browser Class"),
                                  QStringLiteral("Inbox - Outlook Express"));
    const auto thor =
        p.addWindow(QStringLiteral("ThorBrowserWndClass"), QStringLiteral("Outlook Express"));
    const auto note1 = p.addWindow(QStringLiteral("ATH_Note"), QStringLiteral("New Message"));
    const auto wab = p.addWindow(QStringLiteral("WABBrowseView"), QStringLiteral("Address Book"));
    const auto note2 = p.addWindow(QStringLiteral("ATH_Note"), QStringLiteral("Re: x"));
    const auto other = p.addWindow(QStringLiteral("Notepad"), QStringLiteral("x - Notepad"));
    int pumped = 0;
    EXPECT_TRUE(RunningClient::closeClient(p, [&] { ++pumped; }));
    EXPECT_EQ(p.closeRequests(), (QList<platform::WindowHandle>{wab, note1, note2, thor, main}));
    EXPECT_EQ(pumped, 5);
    ASSERT_EQ(p.topLevelWindows().size(), 1);
    EXPECT_EQ(p.topLevelWindows().front().handle, other);
}

TEST(RunningClient, AWindowThatWillNotCloseIsAskedAtMostFifteenTimes)
{
    FakeProcesses p;
    const auto stubborn = p.addWindow(QStringLiteral("ATH_Note"), QStringLiteral("Unsaved"), true);
    EXPECT_FALSE(RunningClient::closeClient(p));
    EXPECT_EQ(p.closeRequests().size(), RunningClient::kMaxClosesPerSearch);
    EXPECT_EQ(p.closeRequests().front(), stubborn);
}

} // namespace
