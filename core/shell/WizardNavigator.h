#pragma once

namespace kv::platform {
class IFileSystem;
}

namespace kv {

class AppSettings;
class IFunctions;
class IMainView;
class Ui;
struct MainState;

// The wizard page's steps and its Next and Back buttons for the three functions. Backup goes
// through steps 0, 1, 2, 3; Restore and Synchronise through step 4, then step 3.
class WizardNavigator
{
public:
    static constexpr int kLastStep = 3;
    static constexpr int kRestoreFirstStep = 4;

    WizardNavigator(MainState& state, IMainView& view, Ui& ui, IFunctions& functions,
                    AppSettings& settings, platform::IFileSystem& files);

    void next();
    void back();

    // Moves to a step: the old one is hidden, the new one shown.
    void showStep(int step);

private:
    void nextBackup();
    void nextRestore();
    void nextSynchronise();
    void backBackup();
    void backRestore();
    void warnRegistryUpdate();

    MainState& m_state;
    IMainView& m_view;
    Ui& m_ui;
    IFunctions& m_functions;
    AppSettings& m_settings;
    platform::IFileSystem& m_files;
};

} // namespace kv
