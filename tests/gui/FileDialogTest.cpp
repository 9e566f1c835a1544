#include "FileDialog.h"
#include "FolderChooser.h"
#include "ModalDriver.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>

namespace kv::gui {
namespace {

using test::whenModal;

TEST(FileDialogTest, ChoosesABackupToRestoreAndAFolder)
{
    test::TempDir dir;
    test::FaultInjectingFileSystem files{dir.path()};
    dir.write(u"drive_c/Backups/old.zip"_s, "x");

    // The restore's browse button: a filter as the program writes it, then "All Files".
    FileDialog d(&files);
    d.setTitle(u"Select Backup File to Restore"_s);
    d.setInitialFolder(u"C:\\Backups"_s);
    d.setFilter(u"Outlook Express Backups (*.eaz)| *.zip;*.eaz"_s);
    d.addFilter(u"All Files"_s, u"*.*"_s, true);
    d.setNameCheck(FileDialog::NameCheck::FileMustExist);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u"Select Backup File to Restore"_s);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->directory().absolutePath(), files.host(u"Backups"_s));
        EXPECT_EQ(dialog->nameFilters(),
                  (QStringList{u"Outlook Express Backups (*.eaz) (*.zip *.eaz)"_s,
                               u"All Files (*.*) (*)"_s}));
        EXPECT_EQ(dialog->selectedNameFilter(), u"All Files (*.*)"_s);
        dialog->selectNameFilter(dialog->nameFilters().at(0));
        modal->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(u"old.zip"_s);
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(d.showOpen());
    EXPECT_EQ(d.fileName(), u"C:\\Backups\\old.zip"_s);
    EXPECT_EQ(d.fileTitle(), u"old.zip"_s);
    EXPECT_EQ(d.filterIndex(), 1); // the entry the user ended on
    EXPECT_EQ(d.selectedFiles(), QStringList{u"C:\\Backups\\old.zip"_s});

    // The error tells a cancel apart from a failure.
    d.setCancelIsError(true);
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_FALSE(d.show(FileDialog::Mode::Open));
    EXPECT_EQ(d.error(), FileDialog::Error::Cancelled);

    // The folder chooser opens at a Windows path and gives one back.
    const QString backups = files.host(u"Backups"_s);
    QDir().mkpath(backups);
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

} // namespace
} // namespace kv::gui
