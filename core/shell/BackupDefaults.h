#pragma once

namespace kv {

class AppSettings;
struct MainState;

// The saved choices a backup starts from: the last save folder ("a:\" when none), the eight
// inclusion flags, the rename choice, the temporary folder, clearing diskettes and leaving news
// out. The window's start-up and the command line read them the same way.
void readBackupDefaults(AppSettings& settings, MainState& state);

} // namespace kv
