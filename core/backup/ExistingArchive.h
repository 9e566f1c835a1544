#pragma once

#include <QString>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

class RunLog;

// An archive of the new backup's name that is already there. Kept under a numbered name
// ("-000", "-001", ...) when the user asked for that; otherwise it is replaced, but only once
// the new archive is complete and has passed its test: until then the new one is built under a
// temporary name beside it, so that a failed or cancelled run leaves the old backup as it was.
class ExistingArchive
{
public:
    explicit ExistingArchive(platform::IFileSystem& files) : m_files(files) {}

    // The name to zip to. spanning: the archive goes onto removable disks, where a set cannot
    // be renamed afterwards, so an old file is removed first as it always was.
    QString prepare(const QString& backupFile, const QString& saveLocation, bool keepOld,
                    bool spanning, RunLog& log);
    // After zipping and testing: puts a good new archive in place of the old one, or removes a
    // new one that failed. False (and *result 310) when the new archive could not take its name.
    bool complete(bool good, int* result);

    // "<name without .eaz>-000.eaz" in the save location: the first free number.
    static QString numberedName(platform::IFileSystem& files, const QString& backupFile,
                                const QString& saveLocation);

private:
    platform::IFileSystem& m_files;
    QString m_final;
    QString m_temp; // "" when the archive is written under its own name
};

} // namespace kv
