#pragma once

#include "oeenv/MailClient.h"
#include "shell/IMainView.h"
#include "shell/Options.h"

namespace kv::platform {
struct Platform;
}

namespace kv {

class MainController;
class Ui;

// The main window's menus: File, Options (reminder, identities, purge, two toggles), Logs and
// Help.
class MainMenus
{
public:
    MainMenus(MainController& controller, platform::Platform& platform, Ui& ui, IMainView& view);

    void chosen(MenuEntry entry);
    // Opens a log for reading, as the Logs menu does (also after a run).
    void openLog(const QString& path);

    // Checks the entry of the identity option and no other.
    static void checkIdentityOption(IMainView& view, MailClient::IdentityOption option);

private:
    void helpChosen(MenuEntry entry);
    void setIdentityOption(MailClient::IdentityOption option);
    void switchIdentities();
    void toggleOption(MenuEntry entry);
    void askOption(options::Mode mode);

    MainController& m_c;
    platform::Platform& m_platform;
    Ui& m_ui;
    IMainView& m_view;
};

} // namespace kv
