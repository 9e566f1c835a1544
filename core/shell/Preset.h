#pragma once

#include <QString>

namespace kv::platform {
class IFileSystem;
class ISystem;
} // namespace kv::platform

namespace kv {

class AppSettings;

// The preset file an installation may put beside the program to set its defaults.
namespace Preset {

inline constexpr char kFileName[] = "K2K-Preset.dat";
inline constexpr char kSection[] = "Parameters";

// The keys a preset may set, in the order they are applied.
const QStringList& keys();

// Applies "<program folder>\K2K-Preset.dat" when its modification time ("YYYYMMDD-hhmmss",
// local time) differs from the identity's "PresetApplied". True when it was applied.
bool apply(platform::IFileSystem& files, platform::ISystem& system, AppSettings& settings,
           const QString& settingsSection, const QString& programFolder);

} // namespace Preset
} // namespace kv
