#pragma once

#include <QByteArray>
#include <QString>

namespace kv {

class TreeListModel;

// Reads the item list a backup stored in its archive ("KorvaneBackup.log") back into the item
// grid as the restore page shows it: the root row "Outlook Express", then every item the archive
// holds under the row of its parent folder. Both layouts are read: the current one (first line
// "V5 ...", nine fields with the item kind) and the one of the earlier release (no kind field;
// the tag tells the kind and everything listed was saved).
class ItemListReader
{
public:
    struct Options
    {
        bool synchronise = false;          // only mail folders are shown
        bool oe5 = true;                   // picks the root row's picture
        bool addressBookRegistered = true; // a current address book exists to restore into
        bool ntFamily = false;             // dial-up settings cannot be restored there
    };

    struct Result
    {
        bool ok = false; // false: the list could not be read at all (too large)
        bool currentLayout = false;
        QString captionText;     // from the first line, after its first ":" up to its first "{"
        QString identityId;      // the identity the backup was made for; "" in the old layout
        QString addressBookFile; // the address book's name in the archive
        int rowsAdded = 0;
        int linesSkipped = 0; // damaged lines and lines of unknown kinds
    };

    // Anything larger is not an item list: real ones are a few hundred bytes a folder.
    static constexpr qsizetype kMaxBytes = 16 * 1024 * 1024;

    // Clears the grid and fills it from the list's bytes (ANSI text, CR LF or LF lines).
    static Result fill(const QByteArray& bytes, const Options& options, TreeListModel& grid);

    // Marks every mail-folder row the archive holds, as a full restore starts; returns how many.
    static int markAllFolders(TreeListModel& grid);

    // "Restoring from: " or "Synchronizing from: " and the caption text.
    static QString windowCaption(const Result& result, bool synchronise);
};

} // namespace kv
