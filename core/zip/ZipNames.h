#pragma once

#include "platform/IFileSystem.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Names on both sides of the archive: the files to process as the program lists them, the
// names entries are stored under, and the names extracted files get.
namespace kv::zip {

// The files to process: names separated by CR (a stray LF is tolerated), empty ones dropped.
QStringList splitFileList(const QString& list);

// Whether an entry (stored name with "\") is selected by a name or pattern, and the part of its
// name the match covers. Patterns are matched as the file search matches them (winWildcardMatch),
// so the archive picks the same files as the file operations. A pattern without "\" is matched
// against the file name alone; one with "\" against the whole name or its trailing folders, the
// longest that matches. A drive in the pattern is ignored, as stored names have none.
std::optional<QString> matchEntry(const QString& entryName, const QString& pattern);

// True for a stored name that could reach outside the destination: absolute, with a drive or a
// stream (":"), or with a ".." component.
bool isHostileName(const QString& name);

// A destination name relative to the destination folder, with "\" separators and no empty or
// "." components; empty when the name is hostile or empty.
QString safeRelativeName(const QString& name);

struct FileToAdd
{
    QString path;      // Windows path
    QString entryName; // stored name: the path without its drive (winpath::withoutDrive)
    platform::FileEntry info;
};

// Expands the files to process: plain names, "folder\*" for a folder with all its sub-folders,
// or a pattern in the last component for the matching files of that folder. Names that match
// nothing are reported to notFound. Duplicates (by stored name) are kept once.
QList<FileToAdd> expandFiles(platform::IFileSystem& fs, const QStringList& items,
                             const std::function<void(const QString&)>& notFound);

} // namespace kv::zip
