#pragma once

#include <QList>
#include <QString>

namespace kv {

// Which registry section a setting lives in. "Identity" is the settings section of the run:
// the chosen identity's id, or "Parms" when the program works on the older client.
enum class SectionKind
{
    App,
    Identity,
    Parms,
    Positions
};

struct SettingDef
{
    SectionKind section;
    const char* key;
    const char* defaultValue; // what a read returns when the value is missing or empty

    QString keyName() const { return QString::fromLatin1(key); }
    QString defaultText() const { return QString::fromLatin1(defaultValue); }
};

// Every setting the program keeps. Callers name settings through this table, never by literal,
// so that section, key and default stay together.
namespace Setting {
// Per identity (the settings section).
inline constexpr SettingDef WarnOverWrite{SectionKind::Identity, "WarnOverWrite", "Y"};
inline constexpr SettingDef WarnOnQuick{SectionKind::Identity, "WarnOnQuick", "Y"};
inline constexpr SettingDef AllowQuick{SectionKind::Identity, "AllowQuick", "N"};
inline constexpr SettingDef LastBackup{SectionKind::Identity, "LastBackup", ""};
inline constexpr SettingDef LastSavePath{SectionKind::Identity, "LastSavePath", ""};
inline constexpr SettingDef LastSaveName{SectionKind::Identity, "LastSaveName", ""};
inline constexpr SettingDef InclWab{SectionKind::Identity, "InclWab", "1"};
inline constexpr SettingDef InclFAV{SectionKind::Identity, "InclFAV", "1"};
inline constexpr SettingDef InclRules{SectionKind::Identity, "InclRules", "1"};
inline constexpr SettingDef InclAccts{SectionKind::Identity, "InclAccts", "1"};
inline constexpr SettingDef InclPrefs{SectionKind::Identity, "InclPrefs", "1"};
inline constexpr SettingDef InclSigs{SectionKind::Identity, "InclSigs", "1"};
inline constexpr SettingDef InclBlocks{SectionKind::Identity, "InclBlocks", "1"};
inline constexpr SettingDef InclDUN{SectionKind::Identity, "InclDUN", "1"};
inline constexpr SettingDef DoRename{SectionKind::Identity, "DoRename", "1"};
inline constexpr SettingDef ExcludeNews{SectionKind::Identity, "ExcludeNews", "N"};
inline constexpr SettingDef WarnRegUpdate{SectionKind::Identity, "WarnRegUpdate", "Y"};
inline constexpr SettingDef PresetApplied{SectionKind::Identity, "PresetApplied", ""};
// Shared by all identities (the application key itself).
inline constexpr SettingDef IdentOption{SectionKind::App, "IdentOption", "2"};
inline constexpr SettingDef StartAs{SectionKind::App, "StartAs", ""};
inline constexpr SettingDef UseSysTemp{SectionKind::App, "UseSysTemp", "Y"};
inline constexpr SettingDef ClearDisks{SectionKind::App, "ClearDisks", "Y"};
inline constexpr SettingDef AutoShowLog{SectionKind::App, "AutoShowLog", "Y"};
inline constexpr SettingDef WarnVirus{SectionKind::App, "WarnVirus", "Y"};
inline constexpr SettingDef WarnAboutWAB{SectionKind::App, "WarnAboutWAB", "Y"};
inline constexpr SettingDef TellDrag{SectionKind::App, "TellDrag", "Y"};
inline constexpr SettingDef SynchGrid{SectionKind::App, "SynchGrid", ""};
inline constexpr SettingDef TidingsTip{SectionKind::App, "TidingsTip", "N"};
inline constexpr SettingDef TidingsCnt{SectionKind::App, "TidingsCnt", "0"};
// Shared by the whole installation.
inline constexpr SettingDef ParmsLastBackup{SectionKind::Parms, "LastBackup", ""};
inline constexpr SettingDef RemindDays{SectionKind::Parms, "RemindDays", "2"};
inline constexpr SettingDef BackupPurge{SectionKind::Parms, "BackupPurge", "-1"};
// Window positions.
inline constexpr SettingDef MainPosition{SectionKind::Positions, "Main", ""};
} // namespace Setting

// Flags kept as "Y"/"N" texts; anything but a "Y" (of either case) reads as no.
inline bool isYes(const QString& value)
{
    return value.compare(QLatin1String("Y"), Qt::CaseInsensitive) == 0;
}
inline QString yesNo(bool value)
{
    return value ? QStringLiteral("Y") : QStringLiteral("N");
}

// The section names that are not an identity's.
inline constexpr char kParmsSection[] = "Parms";
inline constexpr char kPositionsSection[] = "Positions";

// The registry section of a setting, given the run's settings section.
QString sectionFor(SectionKind kind, const QString& settingsSection);
inline QString sectionFor(const SettingDef& s, const QString& settingsSection)
{
    return sectionFor(s.section, settingsSection);
}

// The whole table, in the order above.
const QList<SettingDef>& allSettings();
// The setting a bare key names (as the preset file does); the per-identity one when a key
// exists in two sections. nullptr for an unknown key. Keys compare without regard to case.
const SettingDef* settingByKey(const QString& key);

} // namespace kv
