#pragma once

#include "core/oeenv/OeTestEnv.h"
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

// The main window as the logic sees it: every call is remembered for the test to read.
class FakeMainView : public IMainView
{
public:
    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    void setText(MainText item, const QString& text) override { texts[item] = text; }
    void showPage(MainPage page) override { this->page = page; }
    void setStepVisible(int step, bool visible) override
    {
        if (visible)
            visibleSteps.insert(step);
        else
            visibleSteps.remove(step);
    }
    void setButtonEnabled(MainButton button, bool enabled) override { buttons[button] = enabled; }
    void setMenuCaption(MenuEntry entry, const QString& caption) override
    {
        menuCaptions[entry] = caption;
    }
    void setMenuEnabled(MenuEntry entry, bool enabled) override { menuEnabled[entry] = enabled; }
    void setMenuVisible(MenuEntry entry, bool visible) override { menuVisible[entry] = visible; }
    void setMenuChecked(MenuEntry entry, bool checked) override { menuChecked[entry] = checked; }
    void setClearDisksChecked(bool checked) override { clearDisks = checked; }
    QSize screenSize() const override { return screen; }
    QSize windowSize() const override { return window; }
    QPoint position() const override { return pos; }
    void moveTo(const QPoint& topLeft) override { pos = topLeft; }
    void setHelpContext(int topic) override { helpContext = topic; }
    void refresh() override { ++refreshes; }
    void hideWindow() override { hidden = true; }
    void closeWindow() override { ++closes; }

    // A menu entry's state; -1 when the logic never set it.
    int enabled(MenuEntry e) const { return menuEnabled.value(e, -1); }
    int visible(MenuEntry e) const { return menuVisible.value(e, -1); }
    int checked(MenuEntry e) const { return menuChecked.value(e, -1); }
    int button(MainButton b) const { return buttons.contains(b) ? int(buttons.value(b)) : -1; }

    QString m_caption;
    QHash<MainText, QString> texts;
    std::optional<MainPage> page;
    QSet<int> visibleSteps;
    QHash<MainButton, bool> buttons;
    QHash<MenuEntry, QString> menuCaptions;
    QHash<MenuEntry, int> menuEnabled, menuVisible, menuChecked;
    bool clearDisks = false;
    QSize screen{15360, 11520}; // 1024 x 768 pixels
    QSize window{9000, 6000};
    QPoint pos{-1, -1};
    int helpContext = 0;
    int refreshes = 0;
    bool hidden = false;
    int closes = 0;
};

// Functions that record what the main window handed over, with scripted results.
class RecordingFunctions : public IFunctions
{
public:
    bool buildQuickInventory(MainState&) override { return call("inventory"), inventoryOk; }
    bool gatherQuickItems(MainState&) override { return call("gather"), gatherOk; }
    void runBackup(MainState&) override { call("runBackup"); }
    void startBackup(MainState& s) override { call("startBackup"), start(s, 0); }
    void startRestore(MainState& s) override { call("startRestore"), start(s, 4); }
    void startSynchronise(MainState& s) override
    {
        call("startSynchronise");
        s.restoreType = 3;
        start(s, 4);
    }
    void backupStepChanged(MainState&, int step) override
    {
        call(QStringLiteral("step%1").arg(step));
    }
    void runRestore(MainState&) override { call("runRestore"); }
    bool settingsGroupsTicked(const MainState&) override { return groupsTicked; }

    QStringList calls;
    bool inventoryOk = true;
    bool gatherOk = true;
    bool groupsTicked = false;

private:
    void call(const QString& what) { calls.append(what); }
    static void start(MainState& s, int step) { s.step = step; }
};

// A Windows environment with the program folder on drive C:, a window and a controller.
struct ShellTestEnv : OeTestEnv
{
    static inline const QString kProgramFolder = QStringLiteral("C:\\Program Files\\Korvane");
    static inline const QString kMainId = QStringLiteral("{11111111-0000-0000-0000-000000000001}");
    static inline const QString kWorkId = QStringLiteral("{22222222-0000-0000-0000-000000000002}");

    ShellTestEnv() { files.makeSurePath(kProgramFolder + u'\\'); }

    // Version 5 with one identity "Main" (or also "Work", the default when several).
    void oe5(bool twoIdentities = false)
    {
        installOe5();
        addIdentity(kMainId, QStringLiteral("Main"), QStringLiteral("%USERPROFILE%\\Main"));
        if (twoIdentities) {
            addIdentity(kWorkId, QStringLiteral("Work"), QStringLiteral("C:\\Work store"));
            setIdentityDefaults(kWorkId, kMainId);
        }
    }

    // The identities as earlier starts left them: control files written, the tip shown.
    void setUpBefore()
    {
        for (const auto& [name, id] : {std::pair{"Main", kMainId}, std::pair{"Work", kWorkId}})
            ControlFile::writeLines(files, kProgramFolder + "\\tnsys5." + id + ".ctl",
                                    {QStringLiteral("Korvane - OE5 - {%1} ").arg(name) + id});
        settings.saveSetting(QString(), QStringLiteral("TidingsTip"), QStringLiteral("Y"));
    }

    MainController::LoadResult start(const QStringList& commandLine = {},
                                     IFunctions* useFunctions = nullptr)
    {
        view = std::make_unique<FakeMainView>();
        controller = std::make_unique<MainController>(platform, ui, *view,
                                                      useFunctions ? useFunctions : &functions);
        return controller->load(commandLine);
    }
    // Starts, paints and closes the window as a user's session does.
    void session(const QStringList& commandLine = {})
    {
        if (start(commandLine) == MainController::LoadResult::Interactive)
            controller->firstPaint();
        controller->unload();
    }

    QString setting(const QString& section, const QString& key)
    {
        return settings.getSetting(section, key, QStringLiteral("<unset>"));
    }

    RecordingFunctions functions;
    std::unique_ptr<FakeMainView> view;
    std::unique_ptr<MainController> controller;
};

} // namespace kv::test
