#pragma once

#include <QString>

namespace kv {

// How the progress label of a run shows its text.
enum class ProgressStyle
{
    Normal,
    Checking, // red and centred, while the archive is verified
};

// The phases of a backup run that change what the screen allows.
enum class RunPhase
{
    Preparing, // the grid is locked, Back and some options disabled, progress label shown
    Zipping,   // the run button reads "Cancel" and a click cancels; the meter shows
    Returned,  // the first diskette was refused: the last wizard step is usable again
    Finished,  // the run is over (the program ends or, cancelled, stays open)
};

// Where a backup or restore run shows its progress: the wizard page, the quick-backup window or
// the terminal. Calls may come from the worker thread that zips; implementations that draw on a
// screen pass them to their own thread and never block on it.
class RunProgress
{
public:
    virtual ~RunProgress() = default;

    virtual void setProgressText(const QString& text, ProgressStyle style = ProgressStyle::Normal) = 0;
    // 0..100.
    virtual void setPercent(int percent) = 0;
    virtual void setMeterVisible(bool visible) = 0;
    virtual void setPhase(RunPhase phase) = 0;
    // Bytes of source files done so far and in all (for a terminal's bar); optional.
    virtual void setBytes(qint64 done, qint64 total)
    {
        (void)done;
        (void)total;
    }
};

} // namespace kv
