#pragma once

#include "backup/RunLog.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreZipListener.h"

#include <QStringList>

#include <atomic>

namespace kv {

// One restore run's working state and its steps, behind RestoreRun. Each step returns false
// when the run must stop (the user cancelled, or a safety copy the user asked for failed).
class RestoreRunner
{
public:
    RestoreRunner(platform::Platform& platform, Ui& ui, RunProgress& progress,
                  std::atomic<bool>& cancel, const RestoreContext& context,
                  const QList<RestoreItem>& items);

    RestoreOutcome run();

private:
    bool registryHeld();
    bool anythingMarked() const;
    void openLog();
    bool addressBook();
    bool mailFolders();
    bool news();
    bool favorites();
    void settingsGroups();
    void finish();
    RestoreOutcome stop();

    QStringList mailFileList();
    const RestoreItem* firstOfKind(int kind) const;
    int extract(RestoreZipListener::Step step, const QString& destination,
                const QStringList& files);
    bool stopped() const;
    void fail(const QString& message, const QString& logLine);
    void refused(const QString& what, const QString& why);
    void log(const QStringList& lines);
    QString title() const;
    bool synchronise() const { return m_context.restoreType == 3; }

    platform::Platform& m_platform;
    Ui& m_ui;
    RunProgress& m_progress;
    std::atomic<bool>& m_cancel;
    const RestoreContext& m_context;
    const QList<RestoreItem>& m_items;
    RunLog m_log;
    RestoreZipListener m_listener;
    RestoreOutcome m_outcome;
};

} // namespace kv
