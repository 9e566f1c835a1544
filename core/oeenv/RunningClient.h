#pragma once

#include "platform/IProcesses.h"

#include <QString>

#include <functional>
#include <optional>

// Finding and closing the windows of a running mail client or address book, which must not
// hold the store open while it is backed up or restored.
namespace kv::RunningClient {

struct WindowSearch
{
    const char* classPattern;
    const char* titlePattern; // nullptr: any title
};

// The searches that decide whether the client runs, in the order they are tried. The dialog
// class pattern "#32770" only matches a digit followed by "32770" under the wildcard rules,
// so it never matches a real dialog; widening it would close every dialog on the desktop.
inline constexpr WindowSearch kRunningSearches[] = {
    {"Outlook Express Browser Class", "*Outlook Express*"},
    {"ThorBrowserWndClass", "*Outlook Express*"},
    {"WABBrowseView", nullptr},
    {"ATH_Note", nullptr},
    {"#32770", nullptr},
};
// The order in which windows are closed: dialogs and notes before their main windows.
inline constexpr WindowSearch kCloseSearches[] = {
    {"#32770", nullptr},
    {"WABBrowseView", nullptr},
    {"ATH_Note", nullptr},
    {"ThorBrowserWndClass", "*Outlook Express*"},
    {"Outlook Express Browser Class", "*Outlook Express*"},
};
inline constexpr int kMaxClosesPerSearch = 15;

// The first top-level window whose class (and title, when a pattern is given) matches.
std::optional<platform::WindowInfo> findWindow(platform::IProcesses& processes,
                                               const WindowSearch& search);
bool isClientRunning(platform::IProcesses& processes);
// Sends each matching window the close request, letting pending events run after each, at
// most kMaxClosesPerSearch times per search. True when nothing is found running afterwards.
bool closeClient(platform::IProcesses& processes, const std::function<void()>& processEvents = {});

} // namespace kv::RunningClient
