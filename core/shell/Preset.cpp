#include "shell/Preset.h"

#include "shell/AppSettings.h"
#include "shell/PrivateIni.h"
#include "shell/SettingsTable.h"
#include "shell/ShellLog.h"

#include "platform/IFileSystem.h"
#include "platform/ISystem.h"

#include <QStringList>

namespace kv::Preset {

const QStringList& keys()
{
    static const QStringList list{QStringLiteral("InclWab"),     QStringLiteral("InclAccts"),
                                  QStringLiteral("InclFAV"),     QStringLiteral("InclRules"),
                                  QStringLiteral("InclPrefs"),   QStringLiteral("InclSigs"),
                                  QStringLiteral("InclBlocks"),  QStringLiteral("InclDUN"),
                                  QStringLiteral("ExcludeNews"), QStringLiteral("UseSysTemp"),
                                  QStringLiteral("WarnOnQuick"), QStringLiteral("AllowQuick"),
                                  QStringLiteral("RemindDays"),  QStringLiteral("BackupPurge"),
                                  QStringLiteral("LastSavePath")};
    return list;
}

bool apply(platform::IFileSystem& files, platform::ISystem& system, AppSettings& settings,
           const QString& settingsSection, const QString& programFolder)
{
    const QString path = programFolder + QLatin1Char('\\') + QLatin1String(kFileName);
    platform::FileEntry entry;
    if (!files.stat(path, &entry) || entry.isDirectory())
        return false;
    const QString stamp = entry.modified.toLocalTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    if (settings.get(Setting::PresetApplied, settingsSection) == stamp)
        return false;
    settings.save(Setting::PresetApplied, settingsSection, stamp);

    PrivateIni ini(files);
    ini.setFileName(path);
    ini.setSectionName(QLatin1String(kSection));
    int applied = 0;
    for (const QString& key : keys()) {
        QString value = ini.getString(key, QString());
        if (value.isEmpty())
            continue;
        const SettingDef* def = settingByKey(key);
        if (!def)
            continue;
        if (key == QLatin1String("LastSavePath"))
            value.replace(QStringLiteral("%UserName%"), system.userName(), Qt::CaseInsensitive);
        settings.save(*def, settingsSection, value);
        ++applied;
    }
    qCInfo(lcShell) << "preset" << stamp << "applied:" << applied << "settings";
    return true;
}

} // namespace kv::Preset
