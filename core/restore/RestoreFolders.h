#pragma once

#include <QDate>
#include <QString>

namespace kv {

namespace platform {
class IFileSystem;
}
class RunLog;
class Ui;

// What the user chose, and what came of it, when offered a copy of the message store before a
// full restore overwrites it.
enum class SafetyCopyResult
{
    Made,      // every store file was copied; the restore may replace them
    Declined,  // the user answered No; the restore goes on without a copy
    Failed,    // the user wanted a copy and it could not be made: the restore must not go on
    Cancelled, // the user cancelled: the program ends without restoring anything more
};

// Keeps the data a restore is about to replace: a folder renamed aside, or a dated copy of the
// message store. Every outcome goes to the restore log (when one is open) and failures to the
// user as well, because what these steps keep is the user's only way back.
class RestoreFolders
{
public:
    // log may be null or closed: then nothing is logged.
    RestoreFolders(platform::IFileSystem& files, Ui& ui, RunLog* log);

    // Renames the folder to "<folder>_001" (the first free counter) and recreates it empty. A
    // folder that does not exist is simply created. On failure the folder is left as it was.
    bool moveAsideFolder(const QString& folder);

    // Creates "<base>\backupYYYY-MM-DD" (with "_001", ... when taken) and returns it with a
    // trailing "\"; "" when it cannot be created.
    QString makeSafetyCopyFolder(const QString& base, const QDate& today);

    // Asks whether to copy the store's folder files first and does so on Yes.
    SafetyCopyResult offerSafetyCopy(const QString& storeFolder, const QDate& today);

private:
    bool taken(const QString& path);
    void logLines(const QStringList& lines);
    void logSavedIn(const QString& prior, const QString& savedIn);
    void report(const QString& message);

    platform::IFileSystem& m_files;
    Ui& m_ui;
    RunLog* m_log;
};

} // namespace kv
