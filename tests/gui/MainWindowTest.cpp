#include "MainWindow.h"
#include "EnvBuilder.h"
#include "ModalDriver.h"
#include "QtUi.h"
#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"
#include "shell/AppSettings.h"
#include "shell/MainController.h"
#include "shell/SettingsTable.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include <QAction>
#include <QMessageBox>
#include <QRegularExpression>
#include <QSignalSpy>

namespace kv::test {
namespace {

using gui::MainWindow;

// The main window with the real controller on a generated Windows environment, its questions
// answered by a script.
class RunningWindow
{
public:
    explicit RunningWindow(int identities)
    {
        QString error;
        EXPECT_TRUE(demo::EnvBuilder::prepareRegistryFiles(m_dir.path(), u"win64"_s, &error))
            << error.toStdString();
        {
            platform::posix::WineRegistry registry{platform::posix::WinePrefix(m_dir.path())};
            demo::EnvBuilder builder(
                registry, m_dir.path(),
                {.identities = identities, .userName = u"tester"_s, .stores = false});
            EXPECT_TRUE(builder.build(&error)) << error.toStdString();
        }
        m_host = platform::posix::PosixPlatform::forPrefix(m_dir.path());
        m_services = std::make_unique<platform::Platform>(m_host->services());
        m_controller = std::make_unique<MainController>(*m_services, ui, window);
        window.setController(m_controller.get());
        EXPECT_EQ(m_controller->load({}), MainController::LoadResult::Interactive);
        // The first start's help question is answered No.
        if (m_controller->state().firstRun)
            ui.answerMessage(MsgResult::No);
        window.show();
        QTest::qWait(20);
    }

    MainController& controller() { return *m_controller; }
    AppSettings settings()
    {
        AppSettings s(m_services->registry);
        s.setAppName(u"Korvane"_s);
        return s;
    }

    ScriptedUi ui;
    MainWindow window;

private:
    TempDir m_dir;
    std::unique_ptr<platform::posix::PosixPlatform> m_host;
    std::unique_ptr<platform::Platform> m_services;
    std::unique_ptr<MainController> m_controller;
};

TEST(MainWindow, OpeningPageAndMenusAsTheStartUpLeavesThem)
{
    for (int identities : {1, 2}) {
        SCOPED_TRACE(identities);
        RunningWindow m(identities);
        MainWindow& w = m.window;
        EXPECT_EQ(m.ui.pendingAnswers(), 0);
        EXPECT_EQ(w.currentPage(), MainPage::Opening);
        EXPECT_TRUE(w.findChild<QWidget*>(u"openingPage"_s)->isVisible());

        // The File entries take the buttons' captions.
        for (auto [button, entry, text] :
             {std::tuple{"backupButton", MenuEntry::Backup, "Make &Backup"},
              {"restoreButton", MenuEntry::Restore, "&Restore or Copy Folders"},
              {"synchButton", MenuEntry::Synchronise, "&Synchronize Folders"}}) {
            auto* b = child<QPushButton>(&w, button);
            EXPECT_EQ(b ? b->text() : QString(), text);
            EXPECT_EQ(w.menuEntry(entry)->text(), text);
        }
        const QString version = child<QLabel>(&w, "versionLabel")->text();
        EXPECT_TRUE(version.contains(QRegularExpression(u"^\\d+\\.\\d+ rev \\d+\\.\\d+$"_s)))
            << version.toStdString();
        EXPECT_EQ(w.caption().contains(u" -- Identity: "_s), identities > 1)
            << w.caption().toStdString();
        EXPECT_TRUE(w.caption().startsWith(u"Korvane 2000"_s));

        // Identity entries only mean something with more than one identity.
        for (MenuEntry entry : kIdentityEntries) {
            EXPECT_EQ(w.menuEntry(entry)->isEnabled(), identities > 1) << int(entry);
            EXPECT_TRUE(w.menuEntry(entry)->isVisible()) << int(entry);
        }
        EXPECT_TRUE(identities == 1 || w.menuEntry(MenuEntry::DefaultIdentity)->isChecked());
        // Defaults: the system temporary folder on, news not excluded, logs shown, no logs yet.
        EXPECT_TRUE(w.menuEntry(MenuEntry::UseSystemTemp)->isChecked());
        EXPECT_FALSE(w.menuEntry(MenuEntry::ExcludeNews)->isChecked());
        EXPECT_TRUE(w.menuEntry(MenuEntry::AutoShowLog)->isChecked());
        EXPECT_FALSE(w.menuEntry(MenuEntry::BackupLog)->isEnabled());
        EXPECT_FALSE(w.menuEntry(MenuEntry::RestoreLog)->isEnabled());
        EXPECT_EQ(w.helpContext(), 999);
    }
}

TEST(MainWindow, ButtonsAndMenuEntriesReachTheControllerAndExitAsks)
{
    RunningWindow m(2);
    const qsizetype before = m.ui.messages().size();

    // Restore and synchronise ask for the backup file (cancelled: back to the opening page, the
    // buttons enabled again). The backup has its own tests.
    m.ui.answerBackupFile(QString(), -1);
    QTest::mouseClick(child<QPushButton>(&m.window, "restoreButton"), Qt::LeftButton);
    EXPECT_EQ(m.window.helpContext(), 1002);
    ASSERT_FALSE(m.ui.shown().isEmpty());
    EXPECT_EQ(m.ui.shown().last().kind, "backupFile");
    EXPECT_EQ(m.window.currentPage(), MainPage::Opening);
    EXPECT_TRUE(child<QPushButton>(&m.window, "restoreButton")->isEnabled());
    m.ui.answerBackupFile(QString(), -1);
    m.window.menuEntry(MenuEntry::Synchronise)->trigger();
    EXPECT_EQ(m.ui.shown().last().kind, "backupFile");
    EXPECT_EQ(m.ui.shown().last().currentIndex, 3); // asked in its synchronise form
    EXPECT_EQ(m.window.currentPage(), MainPage::Opening);
    EXPECT_TRUE(child<QPushButton>(&m.window, "synchButton")->isEnabled());
    EXPECT_EQ(m.ui.messages().mid(before), QStringList());

    // A toggle entry's mark follows the value it saves.
    QAction* exclude = m.window.menuEntry(MenuEntry::ExcludeNews);
    exclude->trigger();
    EXPECT_TRUE(exclude->isChecked());
    EXPECT_EQ(m.settings().get(Setting::ExcludeNews, m.controller().state().settingsSection()),
              "Y");
    exclude->trigger();
    EXPECT_FALSE(exclude->isChecked());

    // Choosing another identity option moves the check mark.
    m.window.menuEntry(MenuEntry::LastIdentity)->trigger();
    EXPECT_TRUE(m.window.menuEntry(MenuEntry::LastIdentity)->isChecked());
    EXPECT_FALSE(m.window.menuEntry(MenuEntry::DefaultIdentity)->isChecked());

    // Help -> About reaches the Ui with the opening page's version.
    m.window.menuEntry(MenuEntry::About)->trigger();
    ASSERT_FALSE(m.ui.shown().isEmpty());
    EXPECT_EQ(m.ui.shown().last().kind, "about");
    EXPECT_EQ(m.ui.shown().last().text, child<QLabel>(&m.window, "versionLabel")->text());

    // File -> Exit, then the close box: both ask, and No keeps everything.
    QSignalSpy unloaded(&m.window, &MainWindow::unloaded);
    const qsizetype asked = m.ui.messages().size();
    m.ui.answerMessage(MsgResult::No);
    m.window.menuEntry(MenuEntry::Exit)->trigger();
    m.ui.answerMessage(MsgResult::No);
    m.window.close();
    EXPECT_TRUE(m.window.isVisible());
    EXPECT_EQ(unloaded.count(), 0);
    EXPECT_EQ(m.ui.messages().mid(asked), QStringList(2, u"Are you sure you wish to exit?"_s));

    // While busy the close box is refused with two beeps and nothing asked.
    m.controller().setBusy(true);
    m.window.close();
    EXPECT_TRUE(m.window.isVisible());
    EXPECT_EQ(m.ui.messages().size(), asked + 2);
    EXPECT_EQ(std::ranges::count(m.ui.shown(), u"beep"_s, &ScriptedUi::Shown::kind), 2);
    m.controller().setBusy(false);

    // Yes closes and unloads once: the position is saved in twips.
    m.window.moveTo(QPoint(150 * 15, 90 * 15));
    m.ui.answerMessage(MsgResult::Yes);
    m.window.menuEntry(MenuEntry::Exit)->trigger();
    EXPECT_FALSE(m.window.isVisible());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_EQ(m.ui.pendingAnswers(), 0);
    const QPoint at = m.window.position();
    EXPECT_EQ(m.settings().getSetting(u"Positions"_s, u"Main"_s, {}),
              u"%1,%2"_s.arg(at.x()).arg(at.y()));
}

// The Qt Ui turns the boxes' buttons into the answers the logic expects.
TEST(QtUi, MessageBoxAnswers)
{
    gui::QtUi ui;
    // Pressing NoButton stands for Escape.
    const std::tuple<MsgButtons, QMessageBox::StandardButton, MsgResult> cases[] = {
        {MsgButtons::YesNo, QMessageBox::No, MsgResult::No},
        {MsgButtons::YesNo, QMessageBox::Yes, MsgResult::Yes},
        {MsgButtons::OkCancel, QMessageBox::NoButton, MsgResult::Cancel},
        {MsgButtons::Ok, QMessageBox::NoButton, MsgResult::Ok},
        {MsgButtons::RetryCancel, QMessageBox::Retry, MsgResult::Retry},
    };
    for (const auto& [buttons, press, expected] : cases) {
        SCOPED_TRACE(int(expected));
        whenModal([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), "Korvane 2000");
            if (press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(press)->click();
        });
        EXPECT_EQ(ui.messageBox(u"text"_s, buttons, MsgIcon::Question, u"Korvane 2000"_s),
                  expected);
    }
}

} // namespace
} // namespace kv::test
