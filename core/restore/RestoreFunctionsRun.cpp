// The restore function's run: "Restore Now" on the last page.
#include "restore/RestoreFunctions.h"

#include "grid/TreeListModel.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreSelection.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "util/TaskRunner.h"

#include "platform/Platform.h"

#include <memory>

namespace kv {

namespace {
constexpr int kSynchronise = 3;
} // namespace

void RestoreFunctions::runRestore(MainState& state)
{
    if (state.function != MainFunction::Restore || state.restoreType == kSynchronise)
        return m_others.runRestore(state);
    // A second press while the run works (the GUI's button is hidden; a queued click is not).
    if (state.busy)
        return;
    if (!m_selection) {
        qCWarning(lcRestore) << "a restore run without a restore page is refused";
        return;
    }
    setRunControls(true);
    // The worker reads copies: the window keeps its grid, and the user cannot change either.
    const QList<RestoreItem> items = restoreItemsOf(m_s.view.itemGrid());
    const RestoreContext context = m_context;
    auto outcome = std::make_shared<RestoreOutcome>();
    m_run = std::make_unique<RestoreRun>(m_s.platform, m_s.ui, m_s.view.runProgress());
    state.busy = true;
    qCInfo(lcRestore).noquote() << "restore starts from" << context.archivePath << "-"
                                << m_selection->markedCount() << "rows marked";
    RestoreRun* run = m_run.get();
    m_s.runner.run([run, items, context, outcome] { *outcome = run->run(context, items); },
                   [this, &state, outcome] { runEnded(state, *outcome); });
}

void RestoreFunctions::setRunControls(bool running)
{
    IMainView& view = m_s.view;
    view.setGridLocked(running);
    view.setButtonEnabled(MainButton::Back, !running);
    view.setButtonEnabled(MainButton::Run, !running);
    view.setItemVisible(MainItem::ProgressLabel, running);
}

void RestoreFunctions::runEnded(MainState& state, const RestoreOutcome& outcome)
{
    state.busy = false;
    using Status = RestoreOutcome::Status;
    if (outcome.status == Status::RegistryHeld || outcome.status == Status::NothingMarked) {
        // Nothing was changed: the user may put it right and press the button again.
        qCInfo(lcRestore) << "the restore changed nothing; the page stays";
        setRunControls(false);
        return;
    }
    qCInfo(lcRestore) << "the restore run is over (status" << int(outcome.status) << ", skipped"
                      << outcome.skippedFiles << ", failed steps" << outcome.failedSteps
                      << "); the program ends";
    if (state.autoShowLog && m_s.openLog && !outcome.logPath.isEmpty())
        m_s.openLog(outcome.logPath);
    m_s.view.closeWindow();
}

} // namespace kv
