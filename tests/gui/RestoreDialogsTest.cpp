#include "BackupFileDialog.h"
#include "ModalDriver.h"
#include "RestoreFolderDialog.h"
#include "RestoreOptionDialogs.h"
#include "TreeListView.h"
#include "grid/TreeListModel.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QRadioButton>

// The restore's questions, each driven through its controls as the user drives it.
namespace kv::gui {
namespace {

using namespace test;

QPushButton* okOf(QWidget* dialog)
{
    return child<QPushButton>(dialog, "okButton");
}

TEST(BackupFileDialogTest, OkWaitsForATypeAndCancelGivesNothing)
{
    // Name, version-4 import, default path, option clicked ("" none), press Cancel, type answered.
    const std::tuple<const char*, bool, const char*, const char*, bool, int> cases[] = {
        {"selected_folders_diskette", false, "A:\\Main.eaz", "selectedFoldersOption", false, 0},
        {"full_restore", false, "C:\\Backups\\Main.eaz", "fullRestoreOption", false, 2},
        {"cancelled_after_a_choice", false, "C:\\Main.eaz", "fullRestoreOption", true, -1},
        {"version_4_import", true, "C:\\Backups\\Main.eaz", "", false, 2},
    };
    for (const auto& [name, oe4, path, option, cancel, type] : cases) {
        SCOPED_TRACE(name);
        BackupFileDialog dialog;
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(child<QLineEdit>(modal, "backupLocation")->text(), QString::fromLatin1(path));
            EXPECT_EQ(child<QWidget>(modal, "disketteHint")->isVisible(), *path == 'A');
            // The version-4 import has one way only: the choice is made and hidden.
            EXPECT_EQ(child<QWidget>(modal, "fullRestoreOption")->isVisible(), !oe4);
            EXPECT_EQ(okOf(modal)->isEnabled(), oe4);
            if (*option) {
                QTest::mouseClick(child<QRadioButton>(modal, option), Qt::LeftButton, {},
                                  QPoint(6, 6));
                EXPECT_TRUE(okOf(modal)->isEnabled());
            }
            QTest::mouseClick(child<QPushButton>(modal, cancel ? "cancelButton" : "okButton"),
                              Qt::LeftButton);
        });
        const BackupFileAnswer answer = dialog.ask({QString::fromLatin1(path), oe4});
        EXPECT_EQ(answer.path, cancel ? QString() : QString::fromLatin1(path));
        EXPECT_EQ(answer.restoreType, type);
    }
}

TEST(BackupFileDialogTest, BrowseStartsInTheBackupsFolderAndOkNeedsTheBrowsedFile)
{
    TempDir dir;
    FaultInjectingFileSystem files{dir.path()};
    dir.write(u"drive_c/Backups/old.zip"_s, "x");
    // Browsed name, whether it exists.
    const std::pair<QString, bool> cases[] = {{u"old.zip"_s, true}, {u"gone.eaz"_s, false}};
    for (const auto& [name, exists] : cases) {
        SCOPED_TRACE(name.toStdString());
        BackupFileDialog dialog(&files);
        whenModal([&](QWidget* modal) {
            QTest::mouseClick(child<QRadioButton>(modal, "fullRestoreOption"), Qt::LeftButton, {},
                              QPoint(6, 6));
            whenModal([&](QWidget* browser) {
                auto* fd = qobject_cast<QFileDialog*>(browser);
                ASSERT_NE(fd, nullptr);
                EXPECT_EQ(fd->directory().absolutePath(), files.host(u"Backups"_s));
                browser->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(name);
                // Past the browser's own check: a file that went away after it was chosen.
                fd->QDialog::accept();
            });
            QTest::mouseClick(child<QPushButton>(modal, "browseButton"), Qt::LeftButton);
            EXPECT_EQ(child<QLineEdit>(modal, "backupLocation")->text(), u"C:\\Backups\\"_s + name);
            EXPECT_EQ(okOf(modal)->isEnabled(), exists);
            QTest::mouseClick(child<QPushButton>(modal, "cancelButton"), Qt::LeftButton);
        });
        dialog.ask({u"C:\\Backups\\last.eaz"_s, false});
    }
}

TEST(Oe4ImportDialogTest, OkOnlyAfterAChoice)
{
    // Option clicked (by its text, or none), the button pressed, the answer.
    const std::tuple<const char*, const char*, Oe4ImportChoice> cases[] = {
        {"temporaryStoreOptionText", "okButton", Oe4ImportChoice::TemporaryStore},
        {"", "cancelButton", Oe4ImportChoice::Cancel},
    };
    for (const auto& [option, press, want] : cases) {
        SCOPED_TRACE(std::string(option) + press);
        Oe4ImportDialog dialog;
        whenModal([&](QWidget* modal) {
            EXPECT_FALSE(okOf(modal)->isEnabled());
            // Enter does nothing before a choice.
            QTest::keyClick(modal, Qt::Key_Return);
            EXPECT_TRUE(modal->isVisible());
            if (*option) {
                QTest::mouseClick(child<QLabel>(modal, option), Qt::LeftButton);
                EXPECT_TRUE(okOf(modal)->isEnabled());
            }
            QTest::mouseClick(child<QPushButton>(modal, press), Qt::LeftButton);
        });
        EXPECT_EQ(dialog.ask(), want);
    }
}

TEST(RestoreFolderDialogTest, AnswersTheChosenRow)
{
    TreeListModel folders;
    const int root = folders.addRow(u"Outlook Express"_s);
    const int inbox = folders.addChild(root, u"Inbox"_s);
    const int sent = folders.addChild(root, u"Sent Items"_s);
    // How the user chooses, the answer.
    const std::pair<const char*, int> cases[] = {
        {"click_ok", sent}, {"double_click", inbox}, {"cancel", -1}, {"ok_without_row", -1}};
    for (const auto& [how, want] : cases) {
        SCOPED_TRACE(how);
        RestoreFolderDialog dialog(folders);
        whenModal([&, how = std::string(how)](QWidget* modal) {
            TreeListView* list = child<TreeListView>(modal, "currentFolders");
            const QPoint at = list->cellRect(want < 0 ? sent : want, 0).center();
            if (how == "click_ok" || how == "cancel") {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseClick(
                    child<QPushButton>(modal, how == "cancel" ? "cancelButton" : "okButton"),
                    Qt::LeftButton);
            } else if (how == "double_click") {
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            } else {
                list->setCurrentIndex({});
                QTest::mouseClick(okOf(modal), Qt::LeftButton);
            }
        });
        EXPECT_EQ(dialog.chooseFolder(), want);
    }
}

} // namespace
} // namespace kv::gui
