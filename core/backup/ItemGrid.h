#pragma once

#include "util/ColorRef.h"

#include <QString>

namespace kv {

class TreeListModel;

// The item grid row: the shared currency of backup, restore and synchronise. The inventory fills
// the grid, the backup run writes it into the archive's item list and the control file, and the
// restore fills it again from an archive. Cell names are part of those files' meaning, so they
// are kept exactly as the program has always named them.
namespace cell {
inline const QString Display = QStringLiteral("Display");
inline const QString Type = QStringLiteral("iType");
inline const QString MbxName = QStringLiteral("MbxName");
inline const QString FolderNo = QStringLiteral("iFldrNo");
inline const QString ParentNo = QStringLiteral("iParentNo");
inline const QString HasData = QStringLiteral("HasData");
inline const QString FileSize = QStringLiteral("FileSize");
inline const QString Counts = QStringLiteral("MbxCounts");
inline const QString FlgSave = QStringLiteral("FlgSave");
inline const QString SortMe = QStringLiteral("SortMe");
inline const QString HasIdx = QStringLiteral("HasIdx");
inline const QString RestoreToName = QStringLiteral("RestoreToName");
inline const QString RestoreToIndex = QStringLiteral("RestoreToIndex");
} // namespace cell

// The item kinds ("iType"); the numbers are stored in item lists and control files.
enum class ItemKind : int
{
    MailHeader = 0,       // "Mail Folders" header row of a version-4 store
    NewsTreeTop = 1,      // version-5 top entry of a news tree (folder number 1)
    MailFolder = 2,       // a mail folder whose message file exists
    NewsServer = 3,       // version-5 news account node, no file
    NewsGroup = 4,        // version-5 newsgroup with a message file
    NewsGroupNoFile = 5,  // version-5 newsgroup without a message file
    MailFolderNoFile = 6, // version-5 mail folder without a message file
    Unplaced = 8,         // version-5 folder without a file before it is placed (becomes 5 or 6)
    AddressBook = 10,
    Oe4NewsAccount = 20,
    Favorites = 30,
    Rules = 41,
    Preferences = 42,
    Accounts = 43,
    Signatures = 44,
    BlockSenders = 45,
    RemoteAccess = 46,
};

inline bool isSettingsGroup(int kind)
{
    return kind > 40 && kind < 50;
}
// Kinds below 10 are message folders (and the trees' own rows).
inline bool isFolderKind(int kind)
{
    return kind >= 0 && kind < 10;
}

// Check states of a row (also its "FlgSave" cell).
enum CheckState : int
{
    kNotSelected = 0,
    kSelected = 1,
    kNotAvailable = 2, // nothing to save; in a run also "a parent of selected rows"
};

namespace itemcolor {
inline constexpr color::ColorRef News = color::rgb(128, 255, 128);
inline constexpr color::ColorRef AddressBook = color::rgb(128, 255, 255);
inline constexpr color::ColorRef Other = color::rgb(255, 255, 128); // favourites, settings
inline constexpr color::ColorRef NoFile = color::rgb(128, 128, 128); // fore colour
} // namespace itemcolor

// A version-5 folder number as the grid keeps it: 0 is two spaces, below 256 two hex digits,
// below 65536 two pairs ("01 2C"), above that four pairs; a negative number its last two pairs.
QString folderNumberText(qint64 n);

// Typed reads of the cells; a missing or unreadable number reads as 0.
int itemKind(const TreeListModel& grid, int row);
qint64 itemFileSize(const TreeListModel& grid, int row);
qint64 itemCount(const TreeListModel& grid, int row);

} // namespace kv
