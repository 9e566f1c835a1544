#pragma once

#include <QString>

#include <functional>

namespace kv::gui {

// How a dialog reads and saves the program's settings (section, name, default) without
// depending on the settings store itself.
struct SettingAccess {
    std::function<QString(const QString& section, const QString& name, const QString& def)> get;
    std::function<void(const QString& section, const QString& name, const QString& value)> save;
};

} // namespace kv::gui
