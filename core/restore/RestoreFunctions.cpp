#include "restore/RestoreFunctions.h"

#include "grid/TreeListModel.h"
#include "restore/RestoreRun.h"
#include "restore/RestoreSelection.h"

namespace kv {

RestoreFunctions::RestoreFunctions(Services services, IFunctions& others)
    : m_s(std::move(services)), m_others(others), m_current(std::make_unique<TreeListModel>())
{
}

RestoreFunctions::~RestoreFunctions() = default;

void RestoreFunctions::startRestore(MainState& state)
{
    m_others.startRestore(state);
}

void RestoreFunctions::runRestore(MainState& state)
{
    m_others.runRestore(state);
}

bool RestoreFunctions::settingsGroupsTicked(const MainState&)
{
    return m_selection && m_selection->settingsGroupsMarked();
}

void RestoreFunctions::itemPictureClicked(MainState&, int) {}
void RestoreFunctions::itemDoubleClicked(MainState&, int) {}
void RestoreFunctions::itemDetailsRequested(MainState&, int) {}
void RestoreFunctions::selectAllClicked(MainState&) {}
void RestoreFunctions::clearAllClicked(MainState&) {}

} // namespace kv
