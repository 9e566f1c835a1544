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
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
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
class MainWindow
{
public:
    explicit MainWindow(int identities)
    {
        QString error;
        EXPECT_TRUE(
            tools::EnvBuilder::prepareRegistryFiles(m_dir.path(), QStringLiteral("win64"), &error))
            << error.toStdString();
        {
            platform::posix::WineRegistry registry{platform::posix::WinePrefix(m_dir.path())};
            tools::EnvBuilder::Options options;
            options.identities = identities;
            options.stores = false;
            options.userName = QStringLiteral("tester");
            tools::EnvBuilder builder(registry, m_dir.path(), options);
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
        MainWindow m(identities);
        ASSERT_EQ(m.load(), LoadResult::Interactive);
        m.show();
        MainWindow& w = m.window;
        EXPECT_EQ(m.ui.pendingAnswers(), 0);
        EXPECT_EQ(w.currentPage(), 0);
        EXPECT_TRUE(w.findChild<QWidget*>(QStringLiteral("picPage0"))->isVisible());

        EXPECT_EQ(buttonText(&w, "cmdBackup"), "Make &Backup");
        EXPECT_EQ(buttonText(&w, "cmdRestore"), "&Restore or Copy Folders");
        EXPECT_EQ(buttonText(&w, "cmdSynch"), "&Synchronize Folders");
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d+\\.\\d+ rev \\d+\\.\\d+$"))
                        .match(child<QLabel>(&w, "lblVersion")->text())
                        .hasMatch())
            << child<QLabel>(&w, "lblVersion")->text().toStdString();
        EXPECT_EQ(w.caption().contains(QLatin1String(" -- Identity: ")), identities > 1)
            << w.caption().toStdString();
        EXPECT_TRUE(w.caption().startsWith(QLatin1String("Korvane 2000")));

        // The File entries take the buttons' captions.
        EXPECT_EQ(w.menuEntry(MainMenu::File, MenuIndex::FileBackup)->text(), "Make &Backup");
        EXPECT_EQ(w.menuEntry(MainMenu::File, MenuIndex::FileRestore)->text(),
                  "&Restore or Copy Folders");

        // Identity entries only mean something with more than one identity.
        for (int index : {MenuIndex::OptDefaultIdent, MenuIndex::OptLastIdent,
                          MenuIndex::OptPromptIdent, MenuIndex::OptSwitchIdent}) {
            SCOPED_TRACE(index);
            EXPECT_EQ(w.menuEntry(MainMenu::Options, index)->isEnabled(), identities > 1);
            EXPECT_TRUE(w.menuEntry(MainMenu::Options, index)->isVisible());
        }
        if (identities > 1) {
            EXPECT_TRUE(w.menuEntry(MainMenu::Options, MenuIndex::OptDefaultIdent)->isChecked());
        }
        // Defaults: the system temporary folder on, news not excluded, logs shown, no logs yet.
        EXPECT_TRUE(w.menuEntry(MainMenu::Options, MenuIndex::OptUseSysTemp)->isChecked());
        EXPECT_FALSE(w.menuEntry(MainMenu::Options, MenuIndex::OptExcludeNews)->isChecked());
        EXPECT_TRUE(w.menuEntry(MainMenu::Logs, MenuIndex::LogsAutoShow)->isChecked());
        EXPECT_FALSE(w.menuEntry(MainMenu::Logs, MenuIndex::LogsBackup)->isEnabled());
        EXPECT_FALSE(w.menuEntry(MainMenu::Logs, MenuIndex::LogsRestore)->isEnabled());
        EXPECT_EQ(w.helpContext(), 999);
    }
}

// The controller addresses entries by index with separators counted: each index must land on
// its entry, or a menu would run another entry's action.
TEST(MainWindow, MenuIndexesLandOnTheirEntries)
{
    MainWindow w;
    const struct
    {
        MainMenu menu;
        int index;
        const char* caption;
    } cases[] = {
        {MainMenu::File, MenuIndex::FileSynch, "&Synchronize"},
        {MainMenu::File, MenuIndex::FileExit, "E&xit"},
        {MainMenu::Options, MenuIndex::OptReminder, "Set &Reminder..."},
        {MainMenu::Options, MenuIndex::OptLastIdent, "Use &Last Identity"},
        {MainMenu::Options, MenuIndex::OptSwitchIdent, "&Switch Identities"},
        {MainMenu::Options, MenuIndex::OptPurge, "Purge &Old Backups..."},
        {MainMenu::Options, MenuIndex::OptUseSysTemp, "Use System Temporary Folder"},
        {MainMenu::Options, MenuIndex::OptExcludeNews, "E&xclude News Groups"},
        {MainMenu::Logs, MenuIndex::LogsRestore, "View Last &Restore Log"},
        {MainMenu::Logs, MenuIndex::LogsAutoShow, "Automatically &Show logs when complete"},
        {MainMenu::Help, MenuIndex::HelpSynch, "How to &Synchronize Mail Folders"},
        {MainMenu::Help, MenuIndex::HelpCopying, "Copying Mail &Folders to another Machine"},
        {MainMenu::Help, MenuIndex::HelpTidings, "Korvane - Tidings"},
        {MainMenu::Help, MenuIndex::HelpContact, "Contact &Us"},
        {MainMenu::Help, MenuIndex::HelpAbout, "&About Korvane"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.caption);
        QAction* a = w.menuEntry(c.menu, c.index);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->text(), QString::fromLatin1(c.caption));
    }
    QStringList titles;
    for (QAction* a : w.menuBar()->actions())
        titles << a->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Options", "&Logs", "&Help"}));
    EXPECT_TRUE(w.menuEntry(MainMenu::Options, 1)->isSeparator());
    EXPECT_EQ(w.menuEntry(MainMenu::Help, 8), nullptr);
}

TEST(MainWindow, ExitAsksAndNoKeepsTheWindow)
{
    MainWindow m(1);
    ASSERT_EQ(m.load(), LoadResult::Interactive);
    m.show();
    QSignalSpy unloaded(&m.window, &MainWindow::unloaded);

    // File -> Exit, then the close box; both ask, and No keeps everything.
    m.ui.answerMessage(MsgResult::No);
    m.window.menuEntry(MainMenu::File, MenuIndex::FileExit)->trigger();
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
    m.window.menuEntry(MainMenu::File, MenuIndex::FileExit)->trigger();
    EXPECT_FALSE(m.window.isVisible());
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_EQ(m.ui.pendingAnswers(), 0);
    const QPoint at = m.window.position();
    EXPECT_EQ(m.settings().getSetting(QStringLiteral("Positions"), QStringLiteral("Main"), {}),
              QStringLiteral("%1,%2").arg(at.x()).arg(at.y()));
}

TEST(MainWindow, ButtonsAndMenuEntriesReachTheController)
{
    MainWindow m(2);
    ASSERT_EQ(m.load(), LoadResult::Interactive);
    m.show();
    const qsizetype before = m.ui.messages().size();

    QTest::mouseClick(child<QPushButton>(&m.window, "cmdBackup"), Qt::LeftButton);
    EXPECT_EQ(m.window.helpContext(), 1001);
    m.window.menuEntry(MainMenu::File, MenuIndex::FileRestore)->trigger();
    EXPECT_EQ(m.window.helpContext(), 1002);
    const QStringList said = m.ui.messages().mid(before);
    ASSERT_EQ(said.size(), 2);
    for (const QString& text : said)
        EXPECT_TRUE(text.endsWith(QLatin1String(" is not available in this version yet.")))
            << text.toStdString();

    // A toggle entry's mark follows the value it saves.
    QAction* exclude = m.window.menuEntry(MainMenu::Options, MenuIndex::OptExcludeNews);
    exclude->trigger();
    EXPECT_TRUE(exclude->isChecked());
    EXPECT_EQ(m.settings().get(Setting::ExcludeNews, m.controller().state().settingsSection()),
              "Y");
    exclude->trigger();
    EXPECT_FALSE(exclude->isChecked());

    // Choosing another identity option moves the check mark.
    m.window.menuEntry(MainMenu::Options, MenuIndex::OptLastIdent)->trigger();
    EXPECT_TRUE(m.window.menuEntry(MainMenu::Options, MenuIndex::OptLastIdent)->isChecked());
    EXPECT_FALSE(m.window.menuEntry(MainMenu::Options, MenuIndex::OptDefaultIdent)->isChecked());

    // Help -> About reaches the Ui with the opening page's version.
    m.window.menuEntry(MainMenu::Help, MenuIndex::HelpAbout)->trigger();
    ASSERT_FALSE(m.ui.shown().isEmpty());
    EXPECT_EQ(m.ui.shown().last().kind, "about");
    EXPECT_EQ(m.ui.shown().last().text, child<QLabel>(&m.window, "lblVersion")->text());
}

// The Qt Ui turns the dialogs' buttons into the answers the logic expects.
TEST(QtUi, MessageBoxAnswersAndOptionsDialog)
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

    // The options dialog shows the request and hands back what was typed, saving nothing.
    OptionsRequest request{QStringLiteral("Set Reminder Days"),
                           QStringLiteral("Remind me to Backup after:"),
                           QStringLiteral("Do NOT remind me"),
                           QStringLiteral("Day(s)"),
                           true,
                           QStringLiteral("2")};
    QString shownText;
    whenModal([&](QWidget* dialog) {
        shownText = child<QLineEdit>(dialog, "valueEdit")->text();
        child<QLineEdit>(dialog, "valueEdit")->setText(QStringLiteral("7"));
        child<QPushButton>(dialog, "okButton")->click();
    });
    const std::optional<OptionsAnswer> answer = ui.getOptions(request);
    EXPECT_EQ(shownText, "2");
    ASSERT_TRUE(answer.has_value());
    EXPECT_TRUE(answer->on);
    EXPECT_EQ(answer->text, "7");

    whenModal([&](QWidget* dialog) { child<QPushButton>(dialog, "cancelButton")->click(); });
    EXPECT_FALSE(ui.getOptions(request).has_value());
}

} // namespace
} // namespace kv::test
