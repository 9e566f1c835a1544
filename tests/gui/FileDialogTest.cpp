#include "FileDialog.h"
#include "FolderChooser.h"
#include "ModalDriver.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

using test::whenModal;

TEST(FileDialogTest, ChoosesABackupToRestore)
{
    test::TempDir dir;
    test::FaultInjectingFileSystem files{dir.path()};
    dir.write(QStringLiteral("drive_c/Backups/old.zip"), "x");

    // The restore's browse button: a filter as the program writes it, then "All Files".
    FileDialog d(&files);
    d.setTitle(QStringLiteral("Select Backup File to Restore"));
    d.setInitialFolder(QStringLiteral("C:\\Backups"));
    d.setFilter(QStringLiteral("Outlook Express Backups (*.eaz)| *.zip;*.eaz"));
    d.addFilter(QStringLiteral("All Files"), QStringLiteral("*.*"), true);
    d.setNameCheck(FileDialog::NameCheck::FileMustExist);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Backup File to Restore"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->directory().absolutePath(), files.host(QStringLiteral("Backups")));
        EXPECT_EQ(dialog->nameFilters(),
                  (QStringList{QStringLiteral("Outlook Express Backups (*.eaz) (*.zip *.eaz)"),
                               QStringLiteral("All Files (*.*) (*)")}));
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("All Files (*.*)"));
        dialog->selectNameFilter(dialog->nameFilters().at(0));
        modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
            ->setText(QStringLiteral("old.zip"));
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(d.showOpen());
    EXPECT_EQ(d.fileName(), QStringLiteral("C:\\Backups\\old.zip"));
    EXPECT_EQ(d.fileTitle(), QStringLiteral("old.zip"));
    EXPECT_EQ(d.filterIndex(), 1); // the entry the user ended on
    EXPECT_EQ(d.selectedFiles(), QStringList{QStringLiteral("C:\\Backups\\old.zip")});

    // The error tells a cancel apart from a failure.
    d.setCancelIsError(true);
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_FALSE(d.show(FileDialog::Mode::Open));
    EXPECT_EQ(d.error(), FileDialog::Error::Cancelled);
}

TEST(FolderChooserTest, OpensAtAWindowsPathAndGivesOneBack)
{
    test::TempDir dir;
    test::FaultInjectingFileSystem files{dir.path()};
    const QString backups = files.host(QStringLiteral("Backups"));
    QDir().mkpath(backups);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(dialog->directory().absolutePath(), backups);
        dialog->selectFile(backups);
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(chooseFolder(nullptr, QStringLiteral("Select"), files, QStringLiteral("C:\\Backups")),
              QStringLiteral("C:\\Backups"));
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(chooseFolder(nullptr, QStringLiteral("Select"), files), QString());
}

} // namespace
} // namespace kv::gui
