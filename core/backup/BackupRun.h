#pragma once

#include <QString>

#include <functional>
#include <memory>

namespace kv::platform {
struct Platform;
}

namespace kv {

class AppSettings;
class RunProgress;
class TaskRunner;
class TreeListModel;
class Ui;
struct InventoryTotals;
struct MainState;

// How the program goes on after a backup run.
enum class BackupEnd
{
    Close,    // the run completed (whatever its result) or the destination was unwritable
    StayOpen, // cancelled, or the first diskette refused: the wizard stays usable
};

// What a run did, for the command line's summary and the tests.
struct BackupSummary
{
    QString archivePath;  // the Windows path of the archive written ("" when none)
    int items = 0;        // rows saved (check state 1)
    int files = 0;        // files put into the archive, the item list included
    qint64 bytesRead = 0; // bytes of those files
    qint64 archiveBytes = 0;
    int resultCode = -1;      // the zip result, -1000 when the archive failed its test
    int skippedFiles = 0;     // files in use that could not be read
};

// One backup run: the selection on the item grid becomes an archive (".eaz") with the item list
// as its last entry, the archive is tested, the choices are saved, the control file rewritten,
// old archives purged and the run log renamed to the identity's last-backup log.
//
// The run has three parts so that the long one can leave the screen's thread: prepare() and
// finish() touch the grid, the settings and the screen; zipAndVerify() only the files, the run
// log and the progress, and may run on a worker thread. Questions it asks from there (a file in
// use, the next diskette) go through the Ui, which must be able to answer from any thread.
//
// An existing archive of the same name is replaced only after the new one is complete and has
// passed its test, so a failed run never leaves the user with less than before.
class BackupRun
{
public:
    BackupRun(platform::Platform& platform, Ui& ui, AppSettings& settings, MainState& state,
              TreeListModel& grid, InventoryTotals& totals, RunProgress& progress);
    ~BackupRun();

    // Writability test, run log, parent marking, item list, file list, the first-diskette
    // prompt and the existing archive. False when the run ends here (end() says how).
    bool prepare();
    // Zipping and the archive's test. Any thread.
    void zipAndVerify();
    // Settings, control file, purge, the outcome's message and the log's last lines.
    void finish();
    // The three in turn, the middle one through the runner; done is called on the caller's
    // thread when the run is over (also when prepare() ended it).
    void start(TaskRunner& runner, std::function<void()> done);

    // Make Backup while busy, the quick window's Cancel, Ctrl+C on the terminal. Any thread.
    void requestCancel();

    BackupEnd end() const;
    bool cancelled() const;
    // True when the last-backup log should now be shown ("AutoShowLog", a run that ended).
    bool showLogNow() const;
    const BackupSummary& summary() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace kv
