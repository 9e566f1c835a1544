#include "FileDialog.h"
#include "FolderChooser.h"
#include "HelpTopics.h"
#include "HelpWindow.h"
#include "IdentityDialog.h"
#include "MessageDialog.h"
#include "ModalDriver.h"
#include "OptionsDialog.h"
#include "ProgramIcon.h"
#include "TidingsWindow.h"
#include "shell/AppSettings.h"
#include "support/FakeRegistry.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextBrowser>

// The program's own dialogs, each driven through its buttons as the user drives it, the help
// and the news window.
namespace kv::gui {
namespace {

using namespace test;

TEST(MessageDialogTest, ButtonStylesAnswersAndHelp)
{
    // Name, help style, tick, F1, presses of the left and right button ('L', 'R'; none: the
    // close box), left ("" when hidden) and right caption, yes, help topics opened.
    using Case = std::tuple<const char*, int, bool, bool, const char*, const char*, const char*,
                            bool, QList<int>>;
    const Case cases[] = {
        {"yes", 0, false, true, "L", "&Yes", "&No", true, {999}},
        {"no", 0, true, false, "R", "&Yes", "&No", false, {}},
        {"close_box", 0, true, false, "", "&Yes", "&No", false, {}},
        // Help opens the topic and leaves the dialog open.
        {"help", 1050, true, true, "RL", "&OK", "&Help", false, {1050, 1050}},
        {"ok_only", -1, false, false, "R", "", "&OK", false, {}},
    };
    QList<int> opened;
    MessageDialog dialog([&](int topic) { opened.append(topic); });
    for (const auto& [name, helpStyle, tick, f1, presses, leftText, rightText, wantYes,
                      helpOpened] : cases) {
        SCOPED_TRACE(name);
        opened.clear();
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), "Korvane 2000");
            EXPECT_EQ(child<QLabel>(modal, "textLabel")->text(), "One\n\nTwo?");
            EXPECT_FALSE(child<QLabel>(modal, "pictureLabel")->pixmap().isNull());
            auto* left = child<QPushButton>(modal, "leftButton");
            auto* right = child<QPushButton>(modal, "rightButton");
            EXPECT_EQ(left->isVisible() ? left->text() : QString(), QLatin1String(leftText));
            EXPECT_EQ(right->text(), QLatin1String(rightText));
            auto* check = child<QCheckBox>(modal, "doNotShowCheck");
            EXPECT_FALSE(check->isChecked()); // never carried over from the last message
            if (tick)
                QTest::mouseClick(check, Qt::LeftButton);
            if (f1)
                QTest::keyClick(modal, Qt::Key_F1);
            for (const char* p = presses; *p; ++p) {
                EXPECT_TRUE(modal->isVisible());
                QTest::mouseClick(*p == 'L' ? left : right, Qt::LeftButton);
            }
            if (!*presses)
                modal->close();
        });
        bool doNotShow = !tick, yes = !wantYes;
        dialog.showMessage(95, u"Korvane 2000"_s, u"One\r\n\r\nTwo?"_s, doNotShow, helpStyle, yes);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(yes, wantYes);
        EXPECT_EQ(doNotShow, tick);
        EXPECT_EQ(opened, helpOpened);
    }
}

// The clamping itself is the option values' own; here the dialog shows the stored value, enables
// the box with its choice and saves what it reads on OK only.
TEST(OptionsDialogTest, ShowsTheStoredValueAndSavesTheEnteredOne)
{
    using M = OptionsDialog::Mode;
    // Name, mode, stored (nullptr: not set), text on opening, typed (nullptr: left as it is;
    // "off": the off choice), button, saved (nullptr: nothing saved).
    using Case =
        std::tuple<const char*, M, const char*, const char*, const char*, const char*, const char*>;
    const Case cases[] = {
        {"reminder_default", M::Reminder, nullptr, "2", nullptr, "okButton", "2"},
        {"reminder_clamped", M::Reminder, "7", "7", "45", "okButton", "31"},
        {"reminder_off", M::Reminder, "7", "7", "off", "okButton", "-1"},
        {"reminder_cancel", M::Reminder, "7", "7", "45", "cancelButton", nullptr},
        {"purge_turned_on", M::Purge, nullptr, "", "5", "okButton", "5"},
    };
    for (const auto& [name, mode, stored, opensText, type, button, saved] : cases) {
        SCOPED_TRACE(name);
        const bool reminder = mode == M::Reminder;
        const QString key = reminder ? u"RemindDays"_s : u"BackupPurge"_s;
        FakeRegistry registry;
        AppSettings settings(registry);
        ASSERT_TRUE(!stored || settings.saveSetting(u"Parms"_s, key, QString::fromLatin1(stored)));
        OptionsDialog dialog(settings);
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), reminder ? "Set Reminder Days" : "Set Backup Purge");
            EXPECT_EQ(child<QLabel>(modal, "unitLabel")->text(), reminder ? "Day(s)" : "Copies");
            auto* on = child<QRadioButton>(modal, "onChoice");
            auto* off = child<QRadioButton>(modal, "offChoice");
            auto* text = child<QLineEdit>(modal, "valueEdit");
            const bool opensOn = *opensText != '\0';
            EXPECT_EQ(on->isChecked(), opensOn);
            EXPECT_EQ(text->text(), QString::fromLatin1(opensText));
            EXPECT_EQ(text->isEnabled(), opensOn);
            if (type && type == std::string_view("off")) {
                QTest::mouseClick(off, Qt::LeftButton, {}, QPoint(6, off->height() / 2));
                EXPECT_FALSE(text->isEnabled());
            } else if (type) {
                if (!opensOn)
                    QTest::mouseClick(on, Qt::LeftButton, {}, QPoint(6, on->height() / 2));
                EXPECT_TRUE(text->isEnabled());
                text->selectAll();
                QTest::keyClicks(text, QString::fromLatin1(type));
            }
            QTest::mouseClick(child<QPushButton>(modal, button), Qt::LeftButton);
        });
        reminder ? dialog.editReminderDays() : dialog.editBackupPurge();
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(settings.getSetting(u"Parms"_s, key, u"unset"_s),
                  QLatin1String(saved    ? saved
                                : stored ? stored
                                         : "unset"));
    }
}

TEST(IdentityDialogTest, ChoosesAnIdentityOrCancels)
{
    const QStringList names = {"Main Identity", "Work", "Kids"};
    // Name, current, offer Cancel, row clicked (-1: none), closing button (nullptr: the close
    // box, "double": a double click on that row), row selected on opening (0-based), result.
    using Case = std::tuple<const char*, int, bool, int, const char*, int, int>;
    const Case cases[] = {
        {"ok_keeps_current", 2, true, -1, "okButton", 1, 2},
        {"ok_other", 2, true, 2, "okButton", 1, 3},
        {"double_click", 3, false, 0, "double", 2, 1},
        {"cancel", 2, true, -1, "cancelButton", 1, -2},
        {"close_box_with_cancel", 3, true, -1, nullptr, 2, -3},
        {"close_box_without_cancel", 3, false, -1, nullptr, 2, 3},
        {"current_out_of_range", 9, false, -1, "okButton", 0, 1},
    };
    for (const auto& [name, current, offerCancel, clickRow, button, selectedOnOpen, result] :
         cases) {
        SCOPED_TRACE(name);
        IdentityDialog dialog;
        dialog.setCaption(u"Korvane 2000 -- Identity: Work"_s);
        dialog.setIdentities(names, current);
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), "Korvane 2000 -- Identity: Work");
            auto* list = child<QListWidget>(modal, "identityList");
            EXPECT_EQ(list->currentRow(), selectedOnOpen);
            auto* ok = child<QPushButton>(modal, "okButton");
            EXPECT_EQ(child<QPushButton>(modal, "cancelButton")->isVisible(), offerCancel);
            // Beside Cancel, OK sits at 2520 twips; alone, in the middle.
            EXPECT_EQ(ok->x(), offerCancel ? 168 : (modal->width() - ok->width()) / 2);
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
        EXPECT_FALSE(dialog.isVisible());
    }
}

// The title, folder and filter of a browse are the backup file dialog's tests; here what only
// the general dialog does: an added filter chosen first, the cancel error and the folder chooser.
TEST(FileDialogTest, FilterIndexCancelAndFolders)
{
    TempDir dir;
    FaultInjectingFileSystem files{dir.path()};
    dir.write(u"drive_c/Backups/old.zip"_s, "x");
    const QString backups = files.host(u"Backups"_s);
    FileDialog d(&files);
    d.setInitialFolder(u"C:\\Backups"_s);
    d.setFilter(u"Outlook Express Backups (*.eaz)| *.zip;*.eaz"_s);
    d.addFilter(u"All Files"_s, u"*.*"_s, true);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters().value(1), u"All Files (*.*) (*)"_s);
        EXPECT_EQ(dialog->selectedNameFilter(), u"All Files (*.*)"_s);
        dialog->selectNameFilter(dialog->nameFilters().at(0));
        modal->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(u"old.zip"_s);
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(d.showOpen());
    EXPECT_EQ(d.selectedFiles(), QStringList{u"C:\\Backups\\old.zip"_s});
    EXPECT_EQ(d.fileTitle(), u"old.zip"_s);
    EXPECT_EQ(d.filterIndex(), 1); // the entry the user ended on
    d.setCancelIsError(true);
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_FALSE(d.show(FileDialog::Mode::Open));
    EXPECT_EQ(d.error(), FileDialog::Error::Cancelled);

    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(dialog->directory().absolutePath(), backups);
        dialog->selectFile(backups);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(chooseFolder(nullptr, u"Select"_s, files, u"C:\\Backups"_s), u"C:\\Backups"_s);
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(chooseFolder(nullptr, u"Select"_s, files), QString());
}

// The links of a page that lead nowhere.
QStringList brokenLinks(const QString& page)
{
    QFile file(QString(page).replace(u"qrc:"_s, u":"_s));
    if (!file.open(QIODevice::ReadOnly))
        return {page};
    QStringList broken;
    const QRegularExpression href(u"href=\"([^\"]+)\""_s);
    for (auto m = href.globalMatch(QString::fromUtf8(file.readAll())); m.hasNext();) {
        const QString target = m.next().captured(1);
        if (!QFile::exists(u":/help/"_s + target))
            broken.append(target);
    }
    return broken;
}

TEST(HelpTest, EveryTopicTheProgramAsksForHasItsPage)
{
    const int used[] = {999, 1001, 1002, 1005, 1006, 1007, 1050, 1500, 2000};
    EXPECT_EQ(HelpTopics::all().size(), std::size(used));
    HelpWindow help;
    for (int context : used) {
        SCOPED_TRACE(context);
        EXPECT_TRUE(help.showTopic(context));
        EXPECT_TRUE(help.isVisible());
        EXPECT_EQ(help.currentPage(), HelpTopics::pageOf(context));
        const auto topic = std::ranges::find(HelpTopics::all(), context, &HelpTopic::context);
        ASSERT_NE(topic, HelpTopics::all().end());
        EXPECT_EQ(help.browser()->documentTitle(), topic->title);
        EXPECT_GT(help.browser()->toPlainText().size(), 300);
        EXPECT_EQ(brokenLinks(topic->page), QStringList());
    }
    EXPECT_FALSE(help.showTopic(4242));
    EXPECT_EQ(help.currentPage(), HelpTopics::contentsPage());
    EXPECT_EQ(brokenLinks(HelpTopics::contentsPage()), QStringList());

    // The topic list shows a page; Back returns to the last one.
    auto* list = child<QListWidget>(&help, "topicList");
    help.showTopic(999);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(2)).center());
    EXPECT_EQ(help.currentPage(), HelpTopics::all().at(2).page);
    QTest::mouseClick(child<QPushButton>(&help, "backButton"), Qt::LeftButton);
    EXPECT_EQ(help.currentPage(), HelpTopics::pageOf(999));
    EXPECT_EQ(list->currentRow(), 0);
    help.closeHelp();
    EXPECT_FALSE(help.isVisible());
}

TEST(TidingsTest, ShowsTheNewsFileOrAFriendlyNote)
{
    TempDir dir;
    EXPECT_EQ(TidingsWindow::newsText(dir.path()), TidingsWindow::noNewsText());
    dir.write(u"Tidings.txt"_s, "  \r\n");
    EXPECT_EQ(TidingsWindow::newsText(dir.path()), TidingsWindow::noNewsText());
    dir.write(u"Tidings.txt"_s, "Version 2.1 \x96 caf\xe9 news\r\nSecond line\r\n");
    EXPECT_EQ(TidingsWindow::newsText(dir.path()),
              u"Version 2.1 \u2013 caf\u00e9 news\nSecond line\n"_s);

    EXPECT_TRUE(TidingsWindow(dir.path()).shownText().startsWith(u"Version 2.1"_s));
}

} // namespace
} // namespace kv::gui
