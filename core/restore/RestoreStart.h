#pragma once

#include "restore/ItemListReader.h"
#include "shell/Ui.h"

#include <QString>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class TreeListModel;
struct RestoreContext;

// The start of a restore (and of a synchronise, restore type 3) before the restore page shows:
// the backup-file question, the archive's item list read into the item grid, and the list of
// the current store's folders that a folder may be redirected into. Headless: the window's
// controller and the command line both call it.
class RestoreStart
{
public:
    RestoreStart(platform::Platform& platform, Ui& ui);

    // The last backup: the last save folder without one trailing "\", "\", then the setting
    // "LastSaveName" ("" when it was never set).
    static QString defaultBackupPath(const QString& lastSaveFolder, const QString& lastSaveName);

    // The backup-file dialog, asked again (Retry) while the chosen file does not exist and the
    // user answers "Backup file not found" with Retry. The answer's path is "" when cancelled.
    BackupFileAnswer askBackupFile(const BackupFileRequest& request, const QString& title);

    enum class ListStatus
    {
        Loaded,    // the grid holds the archive's rows
        Cancelled, // the user cancelled (Retry/Cancel box, or a disk prompt): the program ends
        Failed,    // the item list could not be extracted or read: told; the program ends
    };
    struct ListLoad
    {
        ListStatus status = ListStatus::Failed;
        ItemListReader::Result list; // header facts (caption, identity id, address book)
        int zipResult = 0;
    };

    // Extracts "KorvaneBackup.log" from the archive into the program folder (replacing an old
    // copy), with the disk prompts of a spanned set and Retry/Cancel when the archive cannot be
    // opened, and reads it into the grid (options as ItemListReader takes them). The extracted
    // copy is deleted again on every failure. context gives the archive, program folder, title.
    ListLoad loadItemList(const RestoreContext& context, const ItemListReader::Options& options,
                          TreeListModel& grid);

    // The current store's folders (version 5: "folders.dbx", version 4: "folders.nch" in the
    // store folder) with their message counts; rows without a message file in grey. News is
    // left out unless synchronising. False, and the grid left empty, when the store's folder
    // index is missing: then no folder can be redirected.
    bool loadCurrentFolders(const RestoreContext& context, AppSettings& settings,
                            TreeListModel& current);

    // The insert-disk prompt's text: n = 0 the last disk, else disk #n.
    static QString insertDiskText(int diskNumber);

private:
    platform::Platform& m_platform;
    Ui& m_ui;
};

} // namespace kv
