#pragma once

#include "restore/RestoreContext.h"

#include <QList>
#include <QString>

#include <atomic>

namespace kv::platform {
struct Platform;
}

namespace kv {

class RunProgress;
class Ui;

// How a restore run ended.
struct RestoreOutcome
{
    enum class Status
    {
        Completed,     // every step ran (some may have failed: see failedSteps)
        Cancelled,     // Cancel at the safety-copy question or a disk prompt, or cancel()
        RegistryHeld,  // settings were marked but the registry cannot be written: nothing changed
        NothingMarked, // no row was marked: nothing changed
        SynchroniseReady, // restore type 3: the folders are in the temporary folder
    };
    Status status = Status::Completed;
    int skippedFiles = 0; // entries the zip component skipped (logged)
    int failedSteps = 0;  // steps that reported a failure (told and logged)
    int mailResult = 0;   // the message folders' extraction result (synchronise: handed over)
    QString logPath;      // the restore log, "" when none was kept
    QStringList restored; // the display names of what was restored, in order
};

// The restore run, in its fixed order: the address book, the mail folders (with the offer of
// a safety copy on a full restore), the version-4 news accounts, Favorites and the settings
// groups, each step logged. What it replaces is kept: the address book as ".wax", replaced
// folder files in the Recycle Bin (only once their new copy is extracted and checked),
// version-4 folders renamed "_NNN", the dated copy of the store, and a dated ".reg" copy of
// each settings group. May run on a worker thread: it reads only the items and the context it
// was given, and talks to the user through the Ui, which accepts calls from any thread.
class RestoreRun
{
public:
    RestoreRun(platform::Platform& platform, Ui& ui, RunProgress& progress);

    RestoreOutcome run(const RestoreContext& context, const QList<RestoreItem>& items);

    // May be called from another thread while run() works: stops after the current file.
    void cancel() { m_cancel = true; }

private:
    platform::Platform& m_platform;
    Ui& m_ui;
    RunProgress& m_progress;
    std::atomic<bool> m_cancel{false};
};

} // namespace kv
