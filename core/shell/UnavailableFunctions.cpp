#include "shell/UnavailableFunctions.h"

#include "shell/MainState.h"
#include "shell/ShellLog.h"
#include "shell/Ui.h"

namespace kv {

QString UnavailableFunctions::notAvailableText(const QString& what)
{
    return what + QStringLiteral(" is not available in this version yet.");
}

void UnavailableFunctions::tell(const MainState& state, const QString& what)
{
    qCWarning(lcShell) << "function not available:" << what;
    m_ui.messageBox(notAvailableText(what), MsgButtons::Ok, MsgIcon::Information,
                    state.programTitle);
}

bool UnavailableFunctions::buildQuickInventory(MainState& state)
{
    tell(state, QStringLiteral("The quick backup"));
    return false;
}

bool UnavailableFunctions::gatherQuickItems(MainState& state)
{
    tell(state, QStringLiteral("The quick backup"));
    return false;
}

void UnavailableFunctions::runBackup(MainState& state)
{
    tell(state, QStringLiteral("The backup run"));
}

void UnavailableFunctions::startBackup(MainState& state)
{
    tell(state, QStringLiteral("Backup"));
}

void UnavailableFunctions::startRestore(MainState& state)
{
    tell(state, QStringLiteral("Restore"));
}

void UnavailableFunctions::startSynchronise(MainState& state)
{
    tell(state, QStringLiteral("Synchronize"));
}

void UnavailableFunctions::backupStepChanged(MainState&, int)
{
    // The backup wizard's steps have nothing of their own to show yet.
}

void UnavailableFunctions::runRestore(MainState& state)
{
    tell(state, state.restoreType == 3 ? QStringLiteral("Synchronize")
                                       : QStringLiteral("The restore run"));
}

bool UnavailableFunctions::settingsGroupsTicked(const MainState&)
{
    return false;
}

} // namespace kv
