#include "BackupFileDialog.h"
#include "ModalDriver.h"
#include "QtUi.h"
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
#include <QThread>

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
    // Name, version-4 import, default path, option clicked ("" none), press Cancel, answer.
    struct Case
    {
        const char* name;
        bool oe4;
        QString path;
        const char* option;
        bool cancel;
        BackupFileAnswer want;
    };
    const QString last = u"C:\\Backups\\Main 2024-05-01.eaz"_s;
    const Case cases[] = {
        {"selected_folders", false, last, "selectedFoldersOption", false, {last, 0}},
        {"full_restore", false, last, "fullRestoreOption", false, {last, 2}},
        {"cancelled_after_a_choice", false, last, "fullRestoreOption", true, {QString(), -1}},
        {"version_4_import", true, last, "", false, {last, 2}},
        {"diskette",
         false,
         u"A:\\Main.eaz"_s,
         "selectedFoldersOption",
         false,
         {u"A:\\Main.eaz"_s, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BackupFileDialog dialog;
        whenModal([&](QWidget* modal) {
            EXPECT_EQ(modal->windowTitle(), u"Select Backup File..."_s);
            EXPECT_EQ(child<QLineEdit>(modal, "backupLocation")->text(), c.path);
            EXPECT_EQ(shown(modal, "disketteHint"), c.path.startsWith(u"A:"_s));
            // The version-4 import has one way only: the choice is made and hidden.
            for (const char* name : {"typeLabel", "selectedFoldersOption", "fullRestoreOption"})
                EXPECT_EQ(shown(modal, name), !c.oe4) << name;
            const QString note = child<QLabel>(modal, "typeNote")->text();
            EXPECT_EQ(note.startsWith(u"The Outlook Express 4 mail folders will be restored"_s),
                      c.oe4);
            EXPECT_EQ(okOf(modal)->isEnabled(), c.oe4);
            if (*c.option) {
                QTest::mouseClick(child<QRadioButton>(modal, c.option), Qt::LeftButton, {},
                                  QPoint(6, 6));
                EXPECT_TRUE(okOf(modal)->isEnabled());
                EXPECT_EQ(child<QLabel>(modal, "typeNote")->text().left(12),
                          c.want.restoreType == 2 || c.cancel ? u"All current "_s
                                                              : u"Selected mai"_s);
            }
            QTest::mouseClick(child<QPushButton>(modal, c.cancel ? "cancelButton" : "okButton"),
                              Qt::LeftButton);
        });
        const BackupFileAnswer answer = dialog.ask({c.path, c.oe4});
        EXPECT_EQ(answer.path, c.want.path);
        EXPECT_EQ(answer.restoreType, c.want.restoreType);
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

// The run asks where the address book goes from its worker thread: the dialog opens on the GUI
// thread and its answer reaches the worker.
TEST(QtUiRestoreQuestions, AddressBookAskedFromTheWorker)
{
    QtUi ui;
    WabRestoreTarget target = WabRestoreTarget::NormalLocation;
    QThread* dialogThread = nullptr;
    whenModal([&](QWidget* modal) {
        dialogThread = modal->thread();
        EXPECT_EQ(modal->windowTitle(), u"Address Book Restore"_s);
        QTest::mouseClick(child<QLabel>(modal, "temporaryFolderOptionText"), Qt::LeftButton);
        QTest::mouseClick(okOf(modal), Qt::LeftButton);
    });
    std::unique_ptr<QThread> worker(
        QThread::create([&] { target = ui.chooseWabRestore(u"C:\\KV2000.hlp"_s); }));
    worker->start();
    QTRY_VERIFY_WITH_TIMEOUT(worker->isFinished(), 10000);
    EXPECT_EQ(dialogThread, QThread::currentThread());
    EXPECT_EQ(target, WabRestoreTarget::TemporaryFolder);
}

} // namespace
} // namespace kv::gui
