#pragma once

#include "oeenv/OeEnvironment.h"
#include "shell/Ui.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <atomic>

namespace kv {

// The current function of the wizard.
enum class MainFunction
{
    None = 0,
    Backup = 1,
    Restore = 2,
    Synchronise = 3,
    Verify = 4
};

// The inclusion flags of a backup, as the settings keep them.
struct IncludeFlags
{
    bool wab = true, fav = true, rules = true, accts = true;
    bool prefs = true, sigs = true, blocks = true, dun = true;
};

// Everything the main window holds for the whole run. The start-up fills it; the functions
// (backup, restore, synchronise) read it and keep their run flags in it.
struct MainState
{
    static constexpr QChar kListSeparator = QChar(2);
    static constexpr QChar kFieldSeparator = QChar(3);

    QString programTitle;
    QString programFolder;           // no trailing "\"
    bool programFolderReady = false; // it exists or was created
    QString windowsFolder;           // one trailing "\"
    QString versionText;
    QString helpFile;

    // The command line's switches.
    bool switchOe4 = false, switchFast = false, switchFastAsk = false, switchCloseClient = false;
    // Our own options (the prefix, ...), given again to a restarted program.
    QStringList ownOptions;

    OeEnvironmentResult env; // mode, identities, chosen identity, store folder, sections
    bool oe5Mode = false;
    bool oe4ImportMode = false;
    Oe4ImportChoice oe4ImportChoice = Oe4ImportChoice::Cancel;
    QString timeSuffix; // "-hh-nn" of the start time

    QString controlFilePath;
    QString backupLogPath;
    QString restoreLogPath;
    bool firstRun = false;
    QString controlFileHeader;
    QStringList rememberedNames;
    QList<int> rememberedFlags;

    QString lastSaveFolder;
    IncludeFlags include;
    bool doRename = true;
    bool useSysTemp = true;
    bool clearDisks = true;
    bool excludeNews = false;
    bool autoShowLog = true;

    bool quickBackup = false;
    QString backupName; // the archive path of a quick backup

    // Wizard state.
    MainFunction function = MainFunction::None;
    int restoreType = 0; // 3 means Synchronise
    int step = 0;
    int selectedCount = 0;
    QString saveFolder;         // the folder chosen in the backup wizard
    QString backupFile;         // the archive's full path, as the name step shows it
    bool renameExisting = true; // keep an existing archive of that name under a new name

    // Run flags, set by the functions.
    bool busy = false;
    std::atomic_bool synchStop{false}; // read by the comparison's worker
    QString synchGridWidths;           // the four column widths, "" while the grid was never filled
    QString restoreMessagesFolder;     // the Restore Messages target, "" when none was set
    bool oe4HandOff = false;           // the messages there were left for the user
    bool restartRequested = false;

    const QString& settingsSection() const { return env.settingsSection; }
};

} // namespace kv
