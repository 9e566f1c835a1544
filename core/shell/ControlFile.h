#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform {
class IFileSystem;
}

// The control file: its first line marks that an identity (or the version-4 user) was set up,
// and its item records hold the selection of the last backup.
namespace kv::ControlFile {

// "<program folder>\tnsys5.<id>.ctl" or "<program folder>\tnsys4.ctl".
QString path(const QString& programFolder, bool oe5, const QString& identityId);
// The line a new control file holds.
QString firstLine(bool oe5, const QString& identityName, const QString& identityId);

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
