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
#include <QMessageBox>
#include <QRadioButton>

// The restore's questions, each driven through its controls as the user drives it.
namespace kv::gui {
namespace {

using namespace test;

bool shown(QWidget* dialog, const char* name)
{
    QWidget* w = child<QWidget>(dialog, name);
    return w && w->isVisible();
}

QPushButton* okOf(QWidget* dialog)
{
    return child<QPushButton>(dialog, "okButton");
}

TEST(BackupFileDialogTest, OkWaitsForATypeAndCancelGivesNothing)
{
    // Name, version-4 import, default path, option clicked ("" none), press Cancel, type answered.
    const std::tuple<const char*, bool, const char*, const char*, bool, int> cases[] = {
        {"selected_folders", false, "C:\\Backups\\Main.eaz", "selectedFoldersOption", false, 0},
        {"full_restore", false, "C:\\Backups\\Main.eaz", "fullRestoreOption", false, 2},
        {"cancelled_after_a_choice", false, "C:\\Main.eaz", "fullRestoreOption", true, -1},
        {"version_4_import", true, "C:\\Backups\\Main.eaz", "", false, 2},
        {"diskette", false, "A:\\Main.eaz", "selectedFoldersOption", false, 0},
    };
    for (const auto& [name, oe4, path, option, cancel, type] : cases) {
        SCOPED_TRACE(name);
        BackupFileDialog dialog;
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), u"Select Backup File..."_s);
            EXPECT_EQ(child<QLineEdit>(modal, "backupLocation")->text(), QString::fromLatin1(path));
            EXPECT_EQ(shown(modal, "disketteHint"), *path == 'A');
            // The version-4 import has one way only: the choice is made and hidden.
            for (const char* w : {"typeLabel", "selectedFoldersOption", "fullRestoreOption"})
                EXPECT_EQ(shown(modal, w), !oe4) << w;
            const QString note = child<QLabel>(modal, "typeNote")->text();
            EXPECT_EQ(note.startsWith(u"The Outlook Express 4 mail folders will be restored"_s),
                      oe4);
            EXPECT_EQ(okOf(modal)->isEnabled(), oe4);
            if (*option) {
                QTest::mouseClick(child<QRadioButton>(modal, option), Qt::LeftButton, {},
                                  QPoint(6, 6));
                EXPECT_TRUE(okOf(modal)->isEnabled());
                EXPECT_EQ(child<QLabel>(modal, "typeNote")->text().left(12),
                          type == 2 || cancel ? u"All current "_s : u"Selected mai"_s);
            }
            QTest::mouseClick(child<QPushButton>(modal, cancel ? "cancelButton" : "okButton"),
                              Qt::LeftButton);
        });
        const BackupFileAnswer answer = dialog.ask({QString::fromLatin1(path), oe4});
        EXPECT_EQ(answer.path, cancel ? QString() : QString::fromLatin1(path));
        EXPECT_EQ(answer.restoreType, type);
    }
}

TEST(BackupFileDialogTest, BrowseOffersBackupsAndOkNeedsTheBrowsedFile)
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
                EXPECT_EQ(fd->windowTitle(), u"Select Backup File to Restore"_s);
                EXPECT_EQ(fd->fileMode(), QFileDialog::ExistingFile);
                EXPECT_EQ(fd->directory().absolutePath(), files.host(u"Backups"_s));
                EXPECT_EQ(fd->nameFilters(),
                          QStringList{u"Outlook Express Backups (*.eaz) (*.zip *.eaz)"_s});
                browser->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(name);
                // Past the browser's own check: a file that went away after it was chosen.
                fd->QDialog::accept();
            });
            QTest::mouseClick(child<QPushButton>(modal, "browseButton"), Qt::LeftButton);
            EXPECT_EQ(child<QLineEdit>(modal, "backupLocation")->text(), u"C:\\Backups\\"_s + name);
            EXPECT_EQ(okOf(modal)->isEnabled(), exists);
            EXPECT_FALSE(shown(modal, "disketteHint"));
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
        {"singleFilesOptionText", "okButton", Oe4ImportChoice::SingleFiles},
        {"singleFilesOptionText", "cancelButton", Oe4ImportChoice::Cancel},
        {"", "cancelButton", Oe4ImportChoice::Cancel},
    };
    for (const auto& [option, press, want] : cases) {
        SCOPED_TRACE(std::string(option) + press);
        Oe4ImportDialog dialog;
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), u"Outlook Express 4 --- Import"_s);
            EXPECT_TRUE(
                child<QLabel>(modal, "singleFilesOptionText")->text().endsWith(u"files.  "_s));
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

TEST(AddressBookRestoreDialogTest, NormalLocationUnlessChangedAndHelpStaysOpen)
{
    QList<int> topics;
    // Temporary folder clicked, closed by OK (else the close box), the answer.
    const std::tuple<bool, bool, WabRestoreTarget> cases[] = {
        {false, false, WabRestoreTarget::NormalLocation},
        {false, true, WabRestoreTarget::NormalLocation},
        {true, true, WabRestoreTarget::TemporaryFolder},
    };
    for (const auto& [temporary, ok, want] : cases) {
        AddressBookRestoreDialog dialog([&](int topic) { topics.append(topic); });
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), u"Address Book Restore"_s);
            QTest::mouseClick(child<QPushButton>(modal, "helpButton"), Qt::LeftButton);
            EXPECT_TRUE(modal->isVisible());
            if (temporary)
                QTest::mouseClick(child<QLabel>(modal, "temporaryFolderOptionText"),
                                  Qt::LeftButton);
            if (ok)
                QTest::mouseClick(okOf(modal), Qt::LeftButton);
            else
                modal->close();
        });
        EXPECT_EQ(dialog.ask(), want);
    }
    EXPECT_EQ(topics, QList<int>(3, 1050));
}

TEST(RestoreFolderDialogTest, AnswersTheChosenRowAndTellsItsCount)
{
    TreeListModel folders;
    const int root = folders.addRow(u"Outlook Express"_s);
    const int inbox = folders.addChild(root, u"Inbox"_s);
    const int sent = folders.addChild(root, u"Sent Items"_s);
    folders.setCell(sent, u"MbxCounts"_s, u"17"_s);
    // How the user chooses, the answer.
    const std::pair<const char*, int> cases[] = {
        {"click_ok", sent}, {"double_click", inbox}, {"cancel", -1}, {"ok_without_row", -1}};
    for (const auto& [how, want] : cases) {
        SCOPED_TRACE(how);
        RestoreFolderDialog dialog(folders);
        whenModal([&, how = std::string(how)](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), u"Select Alternate Restore Folder"_s);
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

    // The right button makes the row current and tells its count.
    RestoreFolderDialog dialog(folders);
    QString told;
    whenModal([&](QWidget* modal) {
        TreeListView* list = child<TreeListView>(modal, "currentFolders");
        whenModal([&](QWidget* box) {
            told = qobject_cast<QMessageBox*>(box) ? qobject_cast<QMessageBox*>(box)->text()
                                                   : QString();
            box->close();
        });
        QTest::mousePress(list->viewport(), Qt::RightButton, {}, list->cellRect(sent, 0).center());
        QTest::mouseRelease(list->viewport(), Qt::RightButton, {},
                            list->cellRect(sent, 0).center());
        QTest::mouseClick(okOf(modal), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.chooseFolder(), sent);
    EXPECT_EQ(told, u"Folder : Sent Items"_s + QString(30, u' ') + u"\nMessage Count: 17"_s);
}

} // namespace
} // namespace kv::gui
