#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace kv {

class TreeListModel;

// One saved row of the item list "KorvaneBackup.log", the archive's description of itself:
// nine tab-separated fields. The restore reads the same lines back with parse().
struct ItemListRecord
{
    QString tag;     // "MBX", "NEWS", "WAB", "FAVS", "RULE", "PREF", "ACCT", "SIGS", "BLOK", "DUN"
    QString name;    // the file (or folder) the row stands for, as the restore looks it up
    QString rowText; // the grid row's text
    int row = 0;
    int parentRow = 0; // 0 for top-level rows
    int state = 0;     // 1 saved, 2 only the parent of saved rows
    qint64 count = 0;
    int kind = 0;
    bool hasIndex = false; // a version-4 ".idx" went into the archive with the row

    QString line() const;
    // False for a line that is not a record (fewer than eight fields, a number unreadable).
    static bool parse(const QString& line, ItemListRecord* out);
};

namespace ItemList {

inline constexpr char kFileName[] = "KorvaneBackup.log";

// "ddd mmm dd, yyyy @ hh:mm AM/PM" in English, whatever the locale: item lists and run logs are
// read back by the restore and quoted in support mails.
QString dateText(const QDateTime& when);
// Line 1; a reader recognises a current list by its first two characters "V5".
QString headerLine(const QDateTime& when, const QString& identityId);
// Line 2: the folder index of the store.
QString folderIndexLine(bool oe5);
// The tag of an item kind; "" for kinds that are never saved as rows of their own.
QString tagFor(int kind);
// The record of a grid row in check state 1 or 2. hasIndex: an ".idx" was added for it.
ItemListRecord recordFor(const TreeListModel& grid, int row, bool hasIndex);

} // namespace ItemList
} // namespace kv
