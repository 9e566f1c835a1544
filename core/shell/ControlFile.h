#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform {
class IFileSystem;
}
namespace kv {
class TreeListModel;
}

// The control file: its first line marks that an identity (or the version-4 user) was set up,
// and its item records hold the selection of the last backup.
namespace kv::ControlFile {

// "<program folder>\tnsys5.<id>.ctl" or "<program folder>\tnsys4.ctl".
QString path(const QString& programFolder, bool oe5, const QString& identityId);
// The line a new control file holds.
QString firstLine(bool oe5, const QString& identityName, const QString& identityId);

// The first line a backup writes: the same for version 5; "Korvane - OE4" for version 4.
QString backupFirstLine(bool oe5, const QString& identityName, const QString& identityId);
// One item record: kind, row text, file name, row, parent row and check state, separated by
// the field separator (code 3).
QString itemRecord(int kind, const QString& rowText, const QString& fileName, int row,
                   int parentRow, int state);
// The records of grid rows 1 .. count - 1, whatever their state.
QStringList itemRecords(const TreeListModel& grid);
// The file as a backup leaves it: its first line and the grid's records.
bool writeWithItems(platform::IFileSystem& files, const QString& path, const QString& firstLine,
                    const TreeListModel& grid);

// Writes the lines, each ended by CR LF, replacing the file. False when it cannot be written.
bool writeLines(platform::IFileSystem& files, const QString& path, const QStringList& lines);
// The file's lines without their line ends; false when it cannot be read.
bool readLines(platform::IFileSystem& files, const QString& path, QStringList* lines);

// Converts an earlier release's "tnsys3.ctl" into "tnsys4.ctl" when only the old file exists.
// True when it converted.
bool convertTnsys3(platform::IFileSystem& files, const QString& programFolder);

struct Remembered
{
    QString header;
    QStringList names; // item names of the last backup
    QList<int> flags;  // their selection flags, -1 read as 1
};
// The header and the remembered selection; the address book, favourites and settings groups
// (item types 10, 30, 40..49) are left out, and so are records without a name.
Remembered readRemembered(platform::IFileSystem& files, const QString& path);

} // namespace kv::ControlFile
