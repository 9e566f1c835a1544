#pragma once

#include "restore/ItemListReader.h"

#include <QList>
#include <QString>

namespace kv::platform {
struct Platform;
}

namespace kv {

class TreeListModel;
struct MainState;

// One row of the restore page as the run needs it, copied out of the grid before the run
// starts, so that the run (on a worker thread) never reads the grid the window shows.
struct RestoreItem
{
    int kind = 0;          // "iType"
    QString fileName;      // "MbxName": the entry's name in the archive
    QString displayName;   // the row text before its first TAB
    bool marked = false;   // check state 1
    bool hasIndex = false; // "HasIdx" is "Y": the archive holds the folder's ".idx" too
    QString restoreToName; // "RestoreToName": the current folder's file that receives the row
};

// Every row after the root, in grid order (the hook looks rows up by file name).
QList<RestoreItem> restoreItemsOf(const TreeListModel& grid);

// Where the restore reads from and writes to, as the start-up and the restore page left it.
// Windows paths throughout.
struct RestoreContext
{
    int restoreType = 0; // 0 selected folders, 2 full restore, 3 synchronise
    bool oe5 = true;
    bool oe4ImportMode = false;
    bool ntFamily = false; // no dial-up settings on the NT family

    QString archivePath;     // the backup file
    QString storeFolder;     // the message store, with a trailing "\"
    QString oe4MailFolder;   // version 4: the mail folder, with a trailing "\"
    QString oe4NewsFolder;   // version 4: the news folder, with a trailing "\" ("" when none)
    QString currentWabPath;  // the registered address book ("" when none), unexpanded
    QString favoritesFolder; // "" when unknown
    QString documentsFolder; // "My Documents" ("" when it cannot be found)
    QString tempFolder;      // the system's temporary folder (synchronise), trailing "\"

    QString archiveWabName;    // the address book's file name in the archive
    QString backupIdentityId;  // the identity the backup was made for ("" in the old layout)
    QString currentIdentityId; // the identity restored into

    QString programFolder; // no trailing "\"
    QString programTitle;
    QString versionText;    // the main window's version label
    QString restoreLogPath; // where the run's log goes when the run completes
};

// The context of a restore of state.backupFile with state.restoreType, as the start-up left the
// store; what the restore reads of the environment itself (the registered address book,
// Favorites, My Documents, the system's family) is read here, for the window and the command
// line alike.
RestoreContext restoreContextFor(platform::Platform& platform, const MainState& state);

// The item list is read as the restore will read it, so that every listing numbers the rows
// alike (the dial-up row is left out on the NT family).
ItemListReader::Options itemListOptionsFor(const RestoreContext& context);

} // namespace kv
