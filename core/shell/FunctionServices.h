#pragma once

#include <QString>

#include <functional>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class IMainView;
class TaskRunner;
class Ui;

// What the window's functions (backup, restore, synchronise) work with: the environment, the
// user, the window, the settings and the runner of their long work.
struct FunctionServices
{
    platform::Platform& platform;
    Ui& ui;
    IMainView& view;
    AppSettings& settings;
    TaskRunner& runner;
    // Opens a log for reading (the Logs menu's way).
    std::function<void(const QString& path)> openLog;
};

} // namespace kv
