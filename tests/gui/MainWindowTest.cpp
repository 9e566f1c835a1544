#include "ModalDriver.h"

#include "EnvBuilder.h"
#include "MainWindow.h"
#include "QtUi.h"
#include "shell/AppSettings.h"
#include "shell/MainController.h"
#include "shell/SettingsTable.h"
#include "support/ScriptedUi.h"
#include "support/TempDir.h"

#include "platform/posix/PosixPlatform.h"
#include "platform/posix/WinePrefix.h"
#include "platform/posix/WineRegistry.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::test {
namespace {

using gui::MainWindow;
using LoadResult = MainController::LoadResult;

// The main window with the real controller on a generated Windows environment, its questions
// answered by a script.
class RunningWindow
{
public:
    explicit RunningWindow(int identities)
    {
        QString error;
        EXPECT_TRUE(
            demo::EnvBuilder::prepareRegistryFiles(m_dir.path(), QStringLiteral("win64"), &error))
            << error.toStdString();
        {
            platform::posix::WineRegistry registry{platform::posix::WinePrefix(m_dir.path())};
            demo::EnvBuilder::Options options;
            options.identities = identities;
            options.stores = false;
            options.userName = QStringLiteral("tester");
            demo::EnvBuilder builder(registry, m_dir.path(), options);
            EXPECT_TRUE(builder.build(&error)) << error.toStdString();
        }
        m_host = platform::posix::PosixPlatform::forPrefix(m_dir.path());
        m_services = std::make_unique<platform::Platform>(m_host->services());
        m_controller = std::make_unique<MainController>(*m_services, ui, window);
        window.setController(m_controller.get());
    }

    LoadResult load() { return m_controller->load({}); }

    // Shows the window; the first start's help question is answered No.
    void show()
    {
        if (m_controller->state().firstRun)
            ui.answerMessage(MsgResult::No);
        window.show();
        QTest::qWait(20);
    }

    MainController& controller() { return *m_controller; }
    AppSettings settings()
    {
        AppSettings s(m_services->registry);
        s.setAppName(QStringLiteral("Korvane"));
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

QString buttonText(QWidget* w, const char* name)
{
    auto* b = child<QPushButton>(w, name);
    return b ? b->text() : QString();
}

TEST(MainWindow, OpeningPageAndMenusAsTheStartUpLeavesThem)
{
    for (int identities : {1, 2}) {
        SCOPED_TRACE(identities);
        RunningWindow m(identities);
        ASSERT_EQ(m.load(), LoadResult::Interactive);
        m.show();
        MainWindow& w = m.window;
        EXPECT_EQ(m.ui.pendingAnswers(), 0);
        EXPECT_EQ(w.currentPage(), MainPage::Opening);
        EXPECT_TRUE(w.findChild<QWidget*>(QStringLiteral("openingPage"))->isVisible());

        EXPECT_EQ(buttonText(&w, "backupButton"), "Make &Backup");
        EXPECT_EQ(buttonText(&w, "restoreButton"), "&Restore or Copy Folders");
        EXPECT_EQ(buttonText(&w, "synchButton"), "&Synchronize Folders");
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+ rev \\d+\\.\\d+$"))
                        .match(child<QLabel>(&w, "versionLabel")->text())
                        .hasMatch())
            << child<QLabel>(&w, "versionLabel")->text().toStdString();
        EXPECT_EQ(w.caption().contains(QLatin1String(" -- Identity: ")), identities > 1)
            << w.caption().toStdString();
        EXPECT_TRUE(w.caption().startsWith(QLatin1String("Korvane 2000")));

        // The File entries take the buttons' captions.
        EXPECT_EQ(w.menuEntry(MenuEntry::Backup)->text(), "Make &Backup");
        EXPECT_EQ(w.menuEntry(MenuEntry::Restore)->text(), "&Restore or Copy Folders");

        // Identity entries only mean something with more than one identity.
        for (MenuEntry entry : kIdentityEntries) {
            SCOPED_TRACE(int(entry));
            EXPECT_EQ(w.menuEntry(entry)->isEnabled(), identities > 1);
            EXPECT_TRUE(w.menuEntry(entry)->isVisible());
        }
        if (identities > 1) {
            EXPECT_TRUE(w.menuEntry(MenuEntry::DefaultIdentity)->isChecked());
        }
        // Defaults: the system temporary folder on, news not excluded, logs shown, no logs yet.
        EXPECT_TRUE(w.menuEntry(MenuEntry::UseSystemTemp)->isChecked());
        EXPECT_FALSE(w.menuEntry(MenuEntry::ExcludeNews)->isChecked());
        EXPECT_TRUE(w.menuEntry(MenuEntry::AutoShowLog)->isChecked());
        EXPECT_FALSE(w.menuEntry(MenuEntry::BackupLog)->isEnabled());
        EXPECT_FALSE(w.menuEntry(MenuEntry::RestoreLog)->isEnabled());
        EXPECT_EQ(w.helpContext(), 999);
    }
}

TEST(MainWindow, ExitAsksAndNoKeepsTheWindow)
{
    RunningWindow m(1);
    ASSERT_EQ(m.load(), LoadResult::Interactive);
    m.show();
    QSignalSpy unloaded(&m.window, &MainWindow::unloaded);

    // File -> Exit, then the close box; both ask, and No keeps everything.
    m.ui.answerMessage(MsgResult::No);
    m.window.menuEntry(MenuEntry::Exit)->trigger();
    m.ui.answerMessage(MsgResult::No);
    m.window.close();
    EXPECT_TRUE(m.window.isVisible());
    EXPECT_EQ(unloaded.count(), 0);
    ASSERT_GE(m.ui.messages().size(), 2);
    EXPECT_EQ(m.ui.messages().last(), "Are you sure you wish to exit?");

    // While busy the close box is refused with two beeps and nothing asked.
    const qsizetype asked = m.ui.messages().size();
    m.controller().setBusy(true);
    m.window.close();
    EXPECT_TRUE(m.window.isVisible());
    EXPECT_EQ(m.ui.messages().size(), asked);
    int beeps = 0;
    for (const ScriptedUi::Shown& s : m.ui.shown())
        beeps += s.kind == QLatin1String("beep");
    EXPECT_EQ(beeps, 2);
    m.controller().setBusy(false);

    // Yes closes and unloads once: the position is saved in twips.
    m.window.moveTo(QPoint(150 * 15, 90 * 15));
    m.ui.answerMessage(MsgResult::Yes);
    m.window.menuEntry(MenuEntry::Exit)->trigger();
    EXPECT_FALSE(m.window.isVisible());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_EQ(m.ui.pendingAnswers(), 0);
    const QPoint at = m.window.position();
    EXPECT_EQ(m.settings().getSetting(QStringLiteral("Positions"), QStringLiteral("Main"), {}),
              QStringLiteral("%1,%2").arg(at.x()).arg(at.y()));
}

TEST(MainWindow, ButtonsAndMenuEntriesReachTheController)
{
    RunningWindow m(2);
    ASSERT_EQ(m.load(), LoadResult::Interactive);
    m.show();
    const qsizetype before = m.ui.messages().size();

    QTest::mouseClick(child<QPushButton>(&m.window, "backupButton"), Qt::LeftButton);
    EXPECT_EQ(m.window.helpContext(), 1001);
    m.window.menuEntry(MenuEntry::Restore)->trigger();
    EXPECT_EQ(m.window.helpContext(), 1002);
    const QStringList said = m.ui.messages().mid(before);
    ASSERT_EQ(said.size(), 2);
    for (const QString& text : said)
        EXPECT_TRUE(text.endsWith(QLatin1String(" is not available in this version yet.")))
            << text.toStdString();

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
}

// The Qt Ui turns the boxes' buttons into the answers the logic expects.
TEST(QtUi, MessageBoxAnswers)
{
    gui::QtUi ui;
    const struct
    {
        MsgButtons buttons;
        QMessageBox::StandardButton press; // NoButton: Escape
        MsgResult expected;
    } cases[] = {
        {MsgButtons::YesNo, QMessageBox::No, MsgResult::No},
        {MsgButtons::YesNo, QMessageBox::Yes, MsgResult::Yes},
        {MsgButtons::OkCancel, QMessageBox::NoButton, MsgResult::Cancel},
        {MsgButtons::Ok, QMessageBox::NoButton, MsgResult::Ok},
        {MsgButtons::RetryCancel, QMessageBox::Retry, MsgResult::Retry},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.expected));
        QString title;
        whenModal([&](QWidget* dialog) {
            auto* box = qobject_cast<QMessageBox*>(dialog);
            ASSERT_NE(box, nullptr);
            title = box->windowTitle();
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.press)->click();
        });
        EXPECT_EQ(ui.messageBox(QStringLiteral("text"), c.buttons, MsgIcon::Question,
                                QStringLiteral("Korvane 2000")),
                  c.expected);
        EXPECT_EQ(title, "Korvane 2000");
    }
}

} // namespace
} // namespace kv::test
