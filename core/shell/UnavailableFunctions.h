#pragma once

#include "shell/IFunctions.h"

#include <QString>

namespace kv {

class Ui;

// The functions of a program that does not have them yet: each says so plainly through the Ui
// and in the log, and changes nothing.
class UnavailableFunctions : public IFunctions
{
public:
    explicit UnavailableFunctions(Ui& ui) : m_ui(ui) {}

    bool buildQuickInventory(MainState& state) override;
    bool gatherQuickItems(MainState& state) override;
    void runBackup(MainState& state) override;
    void startBackup(MainState& state) override;
    void startRestore(MainState& state) override;
    void startSynchronise(MainState& state) override;
    void backupStepChanged(MainState& state, int step) override;
    void runRestore(MainState& state) override;
    bool settingsGroupsTicked(const MainState& state) override;

    // The text shown for a function: "<what> is not available in this version yet."
    static QString notAvailableText(const QString& what);

private:
    void tell(const MainState& state, const QString& what);

    Ui& m_ui;
};

} // namespace kv
