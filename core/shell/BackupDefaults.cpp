#include "shell/BackupDefaults.h"

#include "shell/AppSettings.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"

namespace kv {

void readBackupDefaults(AppSettings& settings, MainState& state)
{
    const QString section = state.settingsSection();
    state.lastSaveFolder = settings.get(Setting::LastSavePath, section);
    if (state.lastSaveFolder.isEmpty())
        state.lastSaveFolder = QStringLiteral("a:\\");
    state.saveFolder = state.lastSaveFolder;
    auto flag = [&](const SettingDef& def) { return settings.get(def, section).toInt() != 0; };
    state.include = {flag(Setting::InclWab),    flag(Setting::InclFAV),   flag(Setting::InclRules),
                     flag(Setting::InclAccts),  flag(Setting::InclPrefs), flag(Setting::InclSigs),
                     flag(Setting::InclBlocks), flag(Setting::InclDUN)};
    state.doRename = flag(Setting::DoRename);
    state.useSysTemp = isYes(settings.get(Setting::UseSysTemp, section));
    state.clearDisks = isYes(settings.get(Setting::ClearDisks, section));
    state.excludeNews = isYes(settings.get(Setting::ExcludeNews, section));
}

} // namespace kv
