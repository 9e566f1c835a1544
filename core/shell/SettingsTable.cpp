#include "shell/SettingsTable.h"

namespace kv {

QString sectionFor(SectionKind kind, const QString& settingsSection)
{
    switch (kind) {
    case SectionKind::App:
        return QString();
    case SectionKind::Identity:
        return settingsSection;
    case SectionKind::Parms:
        return QString::fromLatin1(kParmsSection);
    case SectionKind::Positions:
        return QString::fromLatin1(kPositionsSection);
    }
    return QString();
}

const QList<SettingDef>& allSettings()
{
    using namespace Setting;
    static const QList<SettingDef> table = {
        WarnOverWrite, WarnOnQuick, AllowQuick,   LastBackup,  LastSavePath,  LastSaveName,
        InclWab,       InclFAV,     InclRules,    InclAccts,   InclPrefs,     InclSigs,
        InclBlocks,    InclDUN,     DoRename,     ExcludeNews, WarnRegUpdate, PresetApplied,
        IdentOption,   StartAs,     UseSysTemp,   ClearDisks,  AutoShowLog,   WarnVirus,
        WarnAboutWAB,  TellDrag,    SynchGrid,    TidingsTip,  TidingsCnt,    ParmsLastBackup,
        RemindDays,    BackupPurge, MainPosition,
    };
    return table;
}

const SettingDef* settingByKey(const QString& key)
{
    for (const SettingDef& s : allSettings())
        if (key.compare(QLatin1String(s.key), Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

} // namespace kv
