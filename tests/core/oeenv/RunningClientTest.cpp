#include "oeenv/RunningClient.h"
#include "support/FakeProcesses.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace kv;
using kv::test::FakeProcesses;

namespace {

TEST(RunningClient, WindowsThatCountAsARunningClient)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"Outlook Express Browser Class", "Inbox - Outlook Express", true},
        {"outlook express browser class", "OUTLOOK EXPRESS", true},
        {"Outlook Express Browser Class", "Inbox", false}, // the title must name the client
        {"ThorBrowserWndClass", "Outlook Express - Main Identity", true},
        {"ThorBrowserWndClass", "Something else", false},
        {"WABBrowseView", "", true},
        {"ATH_Note", "Re: hello", true},
        {"#32770", "Outlook Express", false}, // "#" stands for a digit
        {"532770", "any dialog", true},
        {"Notepad", "Outlook Express notes.txt - Notepad", false}};
    for (const auto& [cls, title, running] : cases) {
        FakeProcesses p;
        p.addWindow("Shell_TrayWnd", QString());
        p.addWindow(cls, title);
        EXPECT_EQ(RunningClient::isClientRunning(p), running) << cls << " / " << title;
    }
}

TEST(RunningClient, ClosesNotesAndAddressBookBeforeTheMainWindow)
{
    FakeProcesses p;
    const auto main = p.addWindow("Outlook Express Browser Class", "Inbox - Outlook Express");
    const auto thor = p.addWindow("ThorBrowserWndClass", "Outlook Express");
    const auto note1 = p.addWindow("ATH_Note", "New Message");
    const auto wab = p.addWindow("WABBrowseView", "Address Book");
    const auto note2 = p.addWindow("ATH_Note", "Re: x");
    const auto other = p.addWindow("Notepad", "x - Notepad");
    int pumped = 0;
    EXPECT_TRUE(RunningClient::closeClient(p, [&] { ++pumped; }));
    EXPECT_EQ(p.closeRequests(), (QList<platform::WindowHandle>{wab, note1, note2, thor, main}));
    EXPECT_EQ(pumped, 5);
    ASSERT_EQ(p.topLevelWindows().size(), 1);
    EXPECT_EQ(p.topLevelWindows().front().handle, other);

    // A window that will not close is asked a bounded number of times.
    FakeProcesses q;
    const auto stubborn = q.addWindow("ATH_Note", "Unsaved", true);
    EXPECT_FALSE(RunningClient::closeClient(q));
    EXPECT_EQ(q.closeRequests(),
              QList<platform::WindowHandle>(RunningClient::kMaxClosesPerSearch, stubborn));
}

} // namespace
