#pragma once

#include "backup/RunProgress.h"
#include "core/oeenv/OeTestEnv.h"
#include "grid/TreeListModel.h"
#include "shell/ControlFile.h"
#include "shell/IFunctions.h"
#include "shell/IMainView.h"
#include "shell/MainController.h"
#include "shell/MainState.h"

#include <QHash>
#include <QSet>

#include <memory>
#include <optional>

namespace kv::test {

// Progress as a run reports it.
class RecordingProgress : public RunProgress
{
public:
    void setProgressText(const QString& text, ProgressStyle style) override
    {
        texts << text;
        lastStyle = style;
    }
    void setPercent(int p) override { percent = p; }
    void setMeterVisible(bool visible) override { meterVisible = visible; }
    void setPhase(RunPhase phase) override { phases << phase; }

    QStringList texts;
    ProgressStyle lastStyle = ProgressStyle::Normal;
    int percent = -1;
    bool meterVisible = false;
    QList<RunPhase> phases;
};

// The main window as the logic sees it: what the tests read is remembered.
class FakeMainView : public IMainView
{
public:
    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    void setText(MainText item, const QString& text) override { texts[item] = text; }
    void showPage(MainPage page) override { this->page = page; }
    void setStepVisible(int step, bool visible) override
    {
        visible ? void(visibleSteps.insert(step)) : void(visibleSteps.remove(step));
    }
    void setButtonEnabled(MainButton button, bool enabled) override { buttons[button] = enabled; }
    void setMenuCaption(MenuEntry, const QString&) override {}
    void setMenuEnabled(MenuEntry entry, bool enabled) override { menuEnabled[entry] = enabled; }
    void setMenuVisible(MenuEntry entry, bool visible) override { menuVisible[entry] = visible; }
    void setMenuChecked(MenuEntry entry, bool checked) override { menuChecked[entry] = checked; }
    void setClearDisksChecked(bool checked) override { clearDisksChecked = checked; }
    void setItemVisible(MainItem item, bool visible) override { items[item] = visible; }
    void setClearDisksHighlighted(bool red) override { clearDisksRed = red; }
    void setRenameChoice(bool rename) override { renameChosen = rename; }
    bool renameChoice() const override { return renameChosen; }
    void setGridLocked(bool locked) override { gridLocked = locked; }
    void setBusyCursor(bool busy) override { busyCursor = busy; }
    TreeListModel& itemGrid() override { return grid; }
    RunProgress& runProgress() override { return progress; }
    TreeListModel& synchGrid() override { return synch; }
    RunProgress& messagesProgress() override { return messages; }
    QSize screenSize() const override { return {15360, 11520}; } // 1024 x 768 pixels
    QSize windowSize() const override { return {9000, 6000}; }
    QPoint position() const override { return pos; }
    void moveTo(const QPoint& topLeft) override { pos = topLeft; }
    void setHelpContext(int) override {}
    void refresh() override {}
    void hideWindow() override { hidden = true; }
    void closeWindow() override { ++closes; }

    // A menu entry's or button's state; -1 when the logic never set it.
    int enabled(MenuEntry e) const { return menuEnabled.value(e, -1); }
    int visible(MenuEntry e) const { return menuVisible.value(e, -1); }
    int checked(MenuEntry e) const { return menuChecked.value(e, -1); }
    int button(MainButton b) const { return buttons.contains(b) ? int(buttons.value(b)) : -1; }

    QString m_caption;
    QHash<MainText, QString> texts;
    std::optional<MainPage> page;
    QSet<int> visibleSteps;
    QHash<MainButton, bool> buttons;
    QHash<MenuEntry, int> menuEnabled, menuVisible, menuChecked;
    QHash<MainItem, bool> items;
    QPoint pos{-1, -1};
    int closes = 0;
    bool hidden = false, clearDisksChecked = false, clearDisksRed = false, renameChosen = false;
    bool gridLocked = false, busyCursor = false;
    TreeListModel grid, synch;
    RecordingProgress progress, messages;
};

// Functions that record what the main window handed over, with scripted results.
class RecordingFunctions : public IFunctions
{
public:
    bool buildQuickInventory(MainState&) override { return calls << "inventory", inventoryOk; }
    bool gatherQuickItems(MainState&) override { return calls << "gather", gatherOk; }
    void runBackup(MainState&) override { calls << "runBackup"; }
    void startBackup(MainState& s) override { calls << "startBackup", s.step = 0; }
    void startRestore(MainState& s) override { calls << "startRestore", s.step = 4; }
    void startSynchronise(MainState& s) override
    {
        calls << "startSynchronise", s.restoreType = 3, s.step = 4;
    }
    void backupStepChanged(MainState&, int step) override { calls << QString("step%1").arg(step); }
    void runRestore(MainState&) override { calls << "runRestore"; }
    bool settingsGroupsTicked(const MainState&) override { return groupsTicked; }

    QStringList calls;
    bool inventoryOk = true, gatherOk = true, groupsTicked = false;
};

// A Windows environment with the program folder on drive C:, a window and a controller.
struct ShellTestEnv : OeTestEnv
{
    static inline const QString kProgramFolder = "C:\\Program Files\\Korvane";
    static inline const QString kMainId = "{11111111-0000-0000-0000-000000000001}";
    static inline const QString kWorkId = "{22222222-0000-0000-0000-000000000002}";

    ShellTestEnv() { files.makeSurePath(kProgramFolder + u'\\'); }

    // Version 5 with one identity "Main" (or also "Work", the default when several).
    void oe5(bool twoIdentities = false)
    {
        installOe5();
        addIdentity(kMainId, "Main", "%USERPROFILE%\\Main");
        if (twoIdentities) {
            addIdentity(kWorkId, "Work", "C:\\Work store");
            setIdentityDefaults(kWorkId, kMainId);
        }
    }

    // Version 5 as earlier starts left it: control files written, the tip shown.
    void returningUser(bool twoIdentities = false)
    {
        oe5(twoIdentities);
        for (const auto& [name, id] : {std::pair{"Main", kMainId}, std::pair{"Work", kWorkId}})
            ControlFile::writeLines(files, kProgramFolder + "\\tnsys5." + id + ".ctl",
                                    {QString("Korvane - OE5 - {%1} ").arg(name) + id});
        settings.saveSetting(QString(), "TidingsTip", "Y");
    }

    MainController::LoadResult start(const QStringList& commandLine = {})
    {
        view = std::make_unique<FakeMainView>();
        controller = std::make_unique<MainController>(platform, ui, *view, &functions);
        return controller->load(commandLine);
    }
    // Starts, paints and closes the window as a user's session does.
    void session(const QStringList& commandLine = {})
    {
        if (start(commandLine) == MainController::LoadResult::Interactive)
            controller->firstPaint();
        controller->unload();
    }

    // What the Ui was asked of one kind.
    QList<ScriptedUi::Shown> shown(const QString& kind) const
    {
        QList<ScriptedUi::Shown> found;
        for (const auto& s : ui.shown())
            if (s.kind == kind)
                found.append(s);
        return found;
    }
    // A backup through the wizard into `folder`, every step left as it opens.
    void wizardBackup(const QString& folder)
    {
        controller->backupClicked();
        controller->nextClicked();
        ui.answerFolder(folder);
        controller->browseSaveLocationClicked();
        while (controller->state().step < 3)
            controller->nextClicked();
        controller->backupRunClicked();
    }
    QString setting(const QString& section, const QString& key)
    {
        return settings.getSetting(section, key, "<unset>");
    }

    RecordingFunctions functions;
    std::unique_ptr<FakeMainView> view;
    std::unique_ptr<MainController> controller;
};

} // namespace kv::test
