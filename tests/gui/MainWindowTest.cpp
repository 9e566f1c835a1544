#include "MainWindow.h"
#include "ModalDriver.h"
#include "core/shell/ShellTestEnv.h"
#include "shell/SettingsTable.h"

#include <QAction>
#include <QSignalSpy>

namespace kv::test {
namespace {

using gui::MainWindow;

// The main window with the real controller, past its first start with two identities, its
// questions answered by a script.
struct RunningWindow : ShellTestEnv
{
    RunningWindow()
    {
        returningUser(true);
        window.setController(&controller);
        EXPECT_EQ(controller.load({}), MainController::LoadResult::Interactive);
        window.show();
        QTest::qWait(20);
    }
    MainWindow window;
    MainController controller{platform, ui, window};
};

TEST(MainWindow, ShowsWhatTheStartUpSetAndHandsEveryEventToTheController)
{
    RunningWindow m;
    MainWindow& w = m.window;
    EXPECT_TRUE(w.findChild<QWidget*>(u"openingPage"_s)->isVisible());
    EXPECT_TRUE(w.caption().startsWith(u"Korvane 2000 -- Identity: "_s));
    EXPECT_TRUE(w.menuEntry(MenuEntry::DefaultIdentity)->isChecked());

    // Restore asks for the backup file (cancelled: the buttons enabled again).
    m.ui.answerBackupFile(QString(), -1);
    QTest::mouseClick(child<QPushButton>(&w, "restoreButton"), Qt::LeftButton);
    EXPECT_EQ(std::ranges::count(m.ui.shown(), u"backupFile"_s, &ScriptedUi::Shown::kind), 1);
    EXPECT_TRUE(child<QPushButton>(&w, "synchButton")->isEnabled());

    // A toggle entry's mark follows the value it saves.
    QAction* exclude = w.menuEntry(MenuEntry::ExcludeNews);
    exclude->trigger();
    EXPECT_TRUE(exclude->isChecked());
    EXPECT_EQ(m.settings.get(Setting::ExcludeNews, m.controller.state().settingsSection()), "Y");

    // File -> Exit, then the close box: both ask, and No keeps everything.
    QSignalSpy unloaded(&w, &MainWindow::unloaded);
    const qsizetype asked = m.ui.messages().size();
    m.ui.answerMessage(MsgResult::No);
    w.menuEntry(MenuEntry::Exit)->trigger();
    m.ui.answerMessage(MsgResult::No);
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(unloaded.count(), 0);
    EXPECT_EQ(m.ui.messages().mid(asked), QStringList(2, u"Are you sure you wish to exit?"_s));

    // While busy the close box is refused with two beeps and nothing asked.
    m.controller.setBusy(true);
    w.close();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(m.ui.messages().size(), asked + 2);
    EXPECT_EQ(std::ranges::count(m.ui.shown(), u"beep"_s, &ScriptedUi::Shown::kind), 2);
    m.controller.setBusy(false);

    // Yes closes and unloads once: the position is saved in twips.
    w.moveTo(QPoint(150 * 15, 90 * 15));
    m.ui.answerMessage(MsgResult::Yes);
    w.menuEntry(MenuEntry::Exit)->trigger();
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_EQ(m.ui.pendingAnswers(), 0);
    const QPoint at = w.position();
    EXPECT_EQ(m.settings.getSetting(u"Positions"_s, u"Main"_s, {}),
              u"%1,%2"_s.arg(at.x()).arg(at.y()));
}

} // namespace
} // namespace kv::test
