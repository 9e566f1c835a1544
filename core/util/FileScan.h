#pragma once

#include "platform/IFileSystem.h"

#include <QString>

// Scanning and measuring files, folders and disks. Sizes and totals are 64-bit: folders and
// disks past 2 GB (or 4 GB) are measured right. Errors are skipped or give the stated value.
namespace kv::FileScan {

struct FolderSize
{
    qint64 totalBytes = 0;
    qint64 fileCount = 0;
};

// Every file below the folder, sub-folders included, depth first in the order the system
// returns them. A path ending in "*.*" is scanned as it stands; otherwise "\*.*" is appended
// (after one trailing "\" is removed).
FolderSize folderSize(platform::IFileSystem& files, const QString& path);

// The names (without folder) of the files, not folders, that match the pattern, joined by
// separator A in the order found.
QString listFiles(platform::IFileSystem& files, const QString& pattern);

// The total length of the files directly in the folder (not recursive).
qint64 folderFileTotal(platform::IFileSystem& files, const QString& folder);

// Free bytes on a drive ("C:\" or "C:"); 0 when it cannot be read.
qint64 freeSpace(platform::IFileSystem& files, const QString& root);
// The drive's total size; -1 when it cannot be read.
qint64 capacity(platform::IFileSystem& files, const QString& root);

} // namespace kv::FileScan
