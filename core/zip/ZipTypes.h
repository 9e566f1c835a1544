#pragma once

#include <QString>

namespace kv::zip {

// Result codes of the zip component's operations. The backup and restore tell several of them
// apart, so the numbers are part of the interface; the meaning of each one the component returns
// is recorded in docs/notes.md.
enum ZipResult : int
{
    kZipSuccess = 0,
    kZipNothingToDo = 10,    // no file or entry matched the files to process
    kZipFilesSkipped = 40,   // done, but skipping events named files left out (or, for a
                             // test, entries that will not extract)
    kZipBadArguments = 100,  // archive name, files or destination missing or unusable
    kZipDiskFull = 150,      // a write failed: the disk (or diskette) is full or failed
    kZipCancelled = 190,     // property 1 was set, or a disk request was refused
    kZipInternalError = 210, // the compression library failed or memory ran out
    kZipCannotCreate = 310,  // the archive (or its temporary file) cannot be created or moved
                             // to its final name
    kZipNotAZip = 400,       // no readable central directory: not a zip, truncated or damaged
    kZipCannotOpen = 420,    // the archive cannot be opened (missing, no disk in the drive)
};

// Why a file was left out; the numbers are what the skipping event hands over.
enum class SkipReason : int
{
    FileNotFound = 0,
    UnknownMethod = 1,
    BadCrc = 2,
    UpToDate = 3,
    CannotOpen = 4,
    BadPassword = 5,
    Corrupted = 6,
};

// Property 11: how an extracted entry is named below the destination folder.
enum class PathMode : int
{
    FullPath = 0,     // the stored path, folders and all
    FileNameOnly = 1, // the last component only (the default)
    FromMatch = 2,    // the stored path from the component where the matching name begins
};

// A short text for a result code, for logs and the command line.
QString resultText(int code);

} // namespace kv::zip
