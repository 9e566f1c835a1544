#pragma once

#include <QString>

namespace kv {

class RunLog;
class Ui;

// The line the restore writes for an archive entry the zip component skipped, by the
// component's reason code (0 to 6); "" for a code it never sends.
QString skippedFileLine(int reason, const QString& entryName);

// Tells of a skipped entry: into the restore log while one is open; without a log only a
// synchronise run has someone to tell, so it shows the line in a message box; otherwise the
// line is dropped.
void reportSkippedFile(int reason, const QString& entryName, RunLog* log, bool synchronise, Ui& ui);

} // namespace kv
