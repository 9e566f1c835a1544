#pragma once

#include "shell/IMainView.h"

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

    void chosen(MainMenu menu, int index);

private:
    void helpChosen(int index);
    void openLog(const QString& path);
    void setIdentOption(int option);
    void switchIdentities();
    void toggleOption(int index);
    void options(int mode);

    MainController& m_c;
    platform::Platform& m_platform;
    Ui& m_ui;
    IMainView& m_view;
};

} // namespace kv
