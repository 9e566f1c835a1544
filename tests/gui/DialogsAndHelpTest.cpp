#include "FolderChooser.h"
#include "HelpTopics.h"
#include "HelpWindow.h"
#include "IdentityDialog.h"
#include "MessageDialog.h"
#include "ModalDriver.h"
#include "QtUi.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QTextBrowser>

// The program's own dialogs driven through their buttons, and the help.
namespace kv::gui {
namespace {

using namespace test;

TEST(MessageDialogTest, AnswersHelpAndTheTick)
{
    // Name, help style, tick, F1, presses of the left/right button ("": the close box), yes, help.
    using Case = std::tuple<const char*, int, bool, bool, const char*, bool, QList<int>>;
    const Case cases[] = {
        {"yes", 0, false, true, "L", true, {999}},
        {"close_box", 0, true, false, "", false, {}},
        // Help (the right button) opens the topic and leaves the dialog open.
        {"help", 1050, true, true, "RL", false, {1050, 1050}},
        {"ok_only", -1, false, false, "R", false, {}},
    };
    QList<int> opened;
    MessageDialog dialog([&](int topic) { opened.append(topic); });
    for (const auto& [name, helpStyle, tick, f1, presses, wantYes, helpOpened] : cases) {
        SCOPED_TRACE(name);
        opened.clear();
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(child<QLabel>(modal, "textLabel")->text(), "One\n\nTwo?");
            auto* left = child<QPushButton>(modal, "leftButton");
            EXPECT_EQ(left->isVisible(), helpStyle != -1);
            auto* check = child<QCheckBox>(modal, "doNotShowCheck");
            EXPECT_FALSE(check->isChecked()); // never carried over from the last message
            if (tick)
                QTest::mouseClick(check, Qt::LeftButton);
            if (f1)
                QTest::keyClick(modal, Qt::Key_F1);
            for (const char* p = presses; *p; ++p) {
                EXPECT_TRUE(modal->isVisible());
                QTest::mouseClick(*p == 'L' ? left : child<QPushButton>(modal, "rightButton"),
                                  Qt::LeftButton);
            }
            if (!*presses)
                modal->close();
        });
        bool doNotShow = !tick, yes = !wantYes;
        dialog.showMessage(95, u"Korvane 2000"_s, u"One\r\n\r\nTwo?"_s, doNotShow, helpStyle, yes);
        EXPECT_EQ(yes, wantYes);
        EXPECT_EQ(doNotShow, tick);
        EXPECT_EQ(opened, helpOpened);
    }
}

// The options as the program asks them: the box is enabled with its choice, Cancel answers nothing.
TEST(OptionsDialogTest, AnswersTheChoiceAndTheTypedText)
{
    // Opens on, text typed ("off": the off choice), OK, answer.
    using Case = std::tuple<bool, const char*, bool, std::optional<OptionsAnswer>>;
    const Case cases[] = {
        {true, "off", true, OptionsAnswer{false, u"7"_s}},
        {false, "5", true, OptionsAnswer{true, u"5"_s}},
        {true, "45", false, std::nullopt},
    };
    gui::QtUi ui;
    for (const auto& [opensOn, type, ok, want] : cases) {
        SCOPED_TRACE(type);
        whenModal([&](QWidget* modal) {
            auto* on = child<QRadioButton>(modal, "onChoice");
            auto* off = child<QRadioButton>(modal, "offChoice");
            auto* text = child<QLineEdit>(modal, "valueEdit");
            EXPECT_EQ(text->isEnabled(), opensOn);
            if (type == std::string_view("off")) {
                QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
                EXPECT_FALSE(text->isEnabled());
            } else {
                if (!opensOn)
                    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(6, on->height() / 2));
                EXPECT_TRUE(text->isEnabled());
                text->selectAll();
                QTest::keyClicks(text, QString::fromLatin1(type));
            }
            QTest::mouseClick(child<QPushButton>(modal, ok ? "okButton" : "cancelButton"),
                              Qt::LeftButton);
        });
        const auto answer = ui.getOptions({u"Set Reminder Days"_s, u"Remind me"_s, u"Do NOT"_s,
                                           u"Day(s)"_s, opensOn, opensOn ? u"7"_s : QString()});
        ASSERT_EQ(answer.has_value(), want.has_value());
        EXPECT_TRUE(!want || (answer->on == want->on && answer->text == want->text));
    }
}

TEST(IdentityDialogTest, ChoosesAnIdentityOrCancels)
{
    // Name, current, offer Cancel, row clicked (-1 none), closing button (nullptr: the close box,
    // "double": a double click), row selected on opening, result.
    using Case = std::tuple<const char*, int, bool, int, const char*, int, int>;
    const Case cases[] = {
        {"ok_other", 2, true, 2, "okButton", 1, 3},
        {"double_click", 3, false, 0, "double", 2, 1},
        {"cancel", 2, true, -1, "cancelButton", 1, -2},
        {"close_box_without_cancel", 3, false, -1, nullptr, 2, 3},
        {"current_out_of_range", 9, false, -1, "okButton", 0, 1},
    };
    for (const auto& [name, current, offerCancel, clickRow, button, selectedOnOpen, result] :
         cases) {
        SCOPED_TRACE(name);
        IdentityDialog dialog;
        dialog.setIdentities({"Main Identity", "Work", "Kids"}, current);
        whenModal([&](QWidget* modal) {
            auto* list = child<QListWidget>(modal, "identityList");
            EXPECT_EQ(list->currentRow(), selectedOnOpen);
            const QPoint row = list->visualItemRect(list->item(std::max(clickRow, 0))).center();
            if (clickRow >= 0)
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row);
            if (!button)
                modal->close();
            else if (button == std::string_view("double"))
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row);
            else
                QTest::mouseClick(child<QPushButton>(modal, button), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.chooseIdentity(offerCancel), result);
    }
}

// The folder chooser starts in the given folder and answers it as the program's path.
TEST(FolderChooserTest, AnswersTheChosenFolderOrNothing)
{
    TempDir dir;
    FaultInjectingFileSystem files{dir.path()};
    dir.write(u"drive_c/Backups/old.zip"_s, "x");
    const QString backups = files.host(u"Backups"_s);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        EXPECT_EQ(dialog->directory().absolutePath(), backups);
        dialog->selectFile(backups);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(chooseFolder(nullptr, u"Select"_s, files, u"C:\\Backups"_s), u"C:\\Backups"_s);
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(chooseFolder(nullptr, u"Select"_s, files), QString());
}

TEST(HelpTest, EveryTopicTheProgramAsksForHasItsPage)
{
    const int used[] = {999, 1001, 1002, 1005, 1006, 1007, 1050, 1500, 2000};
    EXPECT_EQ(HelpTopics::all().size(), std::size(used));
    HelpWindow help;
    for (int context : used) {
        SCOPED_TRACE(context);
        EXPECT_TRUE(help.showTopic(context));
        EXPECT_EQ(help.currentPage(), HelpTopics::pageOf(context));
        EXPECT_GT(help.browser()->toPlainText().size(), 300);
    }
    EXPECT_FALSE(help.showTopic(4242));
    EXPECT_EQ(help.currentPage(), HelpTopics::contentsPage());
}

} // namespace
} // namespace kv::gui
