#include "FileDialog.h"
#include "DialogFilter.h"
#include "FolderChooser.h"
#include "ModalDriver.h"
#include "support/FaultInjectingFileSystem.h"
#include "support/TempDir.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace kv::gui {
namespace {

using test::whenModal;

TEST(DialogFilterTest, AppendCountAndQtForm)
{
    QString f = DialogFilter::append(QString(), QStringLiteral("Outlook Express Backups (*.eaz)"),
                                     QStringLiteral(" *.zip;*.eaz"));
    EXPECT_EQ(f, QStringLiteral("Outlook Express Backups (*.eaz)| *.zip;*.eaz|"));
    f = DialogFilter::append(f, QStringLiteral("All Files"), QStringLiteral("*.*"));
    EXPECT_EQ(f,
              QStringLiteral("Outlook Express Backups (*.eaz)| *.zip;*.eaz|All Files (*.*)|*.*|"));
    // A filter written by hand without the last separator still takes the next entry.
    EXPECT_EQ(DialogFilter::append(QStringLiteral("Text|*.txt"), QStringLiteral("Logs"),
                                   QStringLiteral("*.log")),
              QStringLiteral("Text|*.txt|Logs (*.log)|*.log|"));

    struct Case
    {
        const char* filter;
        int count;
        QStringList qt;
        QStringList shown;
    };
    const Case cases[] = {
        {"", 0, {}, {}},
        {"Outlook Express Backups (*.eaz)| *.zip;*.eaz|All Files (*.*)|*.*|",
         2,
         {"Outlook Express Backups (*.eaz) (*.zip *.eaz)", "All Files (*.*) (*)"},
         {"Outlook Express Backups (*.eaz)", "All Files (*.*)"}},
        {"Text|*.txt", 1, {"Text (*.txt)"}, {"Text"}},
        {"Odd|;;|Dangling", 2, {"Odd (*)", "Dangling (*)"}, {"Odd", "Dangling"}},
    };
    for (const Case& c : cases) {
        const QString filter = QString::fromLatin1(c.filter);
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(DialogFilter::entryCount(filter), c.count);
        EXPECT_EQ(DialogFilter::toNameFilters(filter), c.qt);
        EXPECT_EQ(DialogFilter::descriptions(filter), c.shown);
    }
}

TEST(CDialogTest, FlagViews)
{
    struct Case
    {
        unsigned before;
        int mustExist;
        unsigned after;
        int readBack;
    };
    const Case cases[] = {
        {0x0, 1, 0x1800, 1}, {0x0, 2, 0x800, 2}, {0x1800, 3, 0x2000, 3}, {0x1000, 4, 0x2800, 4},
        {0x800, 5, 0x2, 5},  {0x0, 6, 0x802, 6}, {0x8000, 7, 0x8000, 0}, {0x4, 2, 0x804, 2},
    };
    for (const Case& c : cases) {
        FileDialog d;
        d.Flags = c.before;
        d.setFileMustExist(c.mustExist);
        EXPECT_EQ(d.Flags, c.after) << c.mustExist;
        EXPECT_EQ(d.FileMustExist(), c.readBack) << c.mustExist;
    }
    FileDialog d;
    d.setMultiSelect(2);
    EXPECT_EQ(d.Flags, 0x80200u);
    EXPECT_EQ(d.MultiSelect(), 2);
    d.setMultiSelect(1);
    EXPECT_EQ(d.Flags, 0x200u);
    d.setMultiSelect(0);
    EXPECT_EQ(d.Flags, 0u);
    d.setFileReadOnly(1);
    EXPECT_EQ(d.FileReadOnly(), 1);
    d.setFileReadOnly(2);
    EXPECT_EQ(d.Flags, 0x5u);
    EXPECT_EQ(d.FileReadOnly(), 2);
    d.setFileReadOnly(0);
    EXPECT_EQ(d.Flags, 0u);
    d.setFileMustBeWriteable(true);
    EXPECT_TRUE(d.FileMustBeWritable());
    EXPECT_EQ(d.Flags, 0x8000u);
    EXPECT_EQ(d.SelectedFileCount(), 1);
    EXPECT_EQ(d.SelectedFile(1), QString());
    EXPECT_EQ(d.SelectedFile(2), QString());
}

class CDialogShowTest : public ::testing::Test
{
protected:
    test::TempDir dir;
    test::FaultInjectingFileSystem files{dir.path()};

    void SetUp() override
    {
        QDir().mkpath(files.host(QStringLiteral("Backups")));
        for (const char* name :
             {"Korvane5Backup.Main.2000-05-03-14-05.eaz", "old.zip", "notes.txt"})
            dir.write(QStringLiteral("drive_c/Backups/") + QLatin1String(name), "x");
    }
};

TEST_F(CDialogShowTest, OpenGivesWindowsPathsAndTheChosenFilter)
{
    FileDialog d(&files);
    d.DialogTitle = QStringLiteral("Select Backup File to Restore");
    d.InitDir = QStringLiteral("C:\\Backups");
    d.setFilter(QStringLiteral("Outlook Express Backups (*.eaz)| ") + QStringLiteral("*.zip;") +
                QStringLiteral("*.eaz"));
    d.AddFilter(QStringLiteral("All Files"), QStringLiteral("*.*"), true);
    EXPECT_EQ(d.FilterIndex, 2);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Backup File to Restore"));
        EXPECT_EQ(dialog->directory().absolutePath(), files.host(QStringLiteral("Backups")));
        EXPECT_EQ(dialog->nameFilters().size(), 2);
        EXPECT_EQ(dialog->selectedNameFilter(), QStringLiteral("All Files (*.*)"));
        dialog->selectNameFilter(dialog->nameFilters().at(0));
        // Only the archives are listed (the file model fills in the background).
        auto* view = modal->findChild<QAbstractItemView*>(QStringLiteral("treeView"));
        ASSERT_NE(view, nullptr);
        QStringList listed;
        for (int tries = 0; tries < 100 && listed.size() != 2; ++tries) {
            QTest::qWait(20);
            listed.clear();
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
                listed.append(view->model()->index(row, 0, view->rootIndex()).data().toString());
        }
        listed.sort();
        EXPECT_EQ(listed, (QStringList{QStringLiteral("Korvane5Backup.Main.2000-05-03-14-05.eaz"),
                                       QStringLiteral("old.zip")}));
        test::saveScreen(modal, QStringLiteral("CDialog_open"));
        auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("old.zip"));
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(d.ShowOpen());
    EXPECT_EQ(d.FileName, QStringLiteral("C:\\Backups\\old.zip"));
    EXPECT_EQ(d.FileTitle, QStringLiteral("old.zip"));
    EXPECT_EQ(d.FilterIndex, 1);
    EXPECT_EQ(d.SelectedFileCount(), 1);
    EXPECT_EQ(d.SelectedFile(1), QStringLiteral("C:\\Backups\\old.zip"));
    EXPECT_EQ(d.Error(), 0);

    // A filter used by a shown dialog starts afresh with the next entry.
    d.AddFilter(QStringLiteral("Text"), QStringLiteral("*.txt"));
    EXPECT_EQ(d.Filter(), QStringLiteral("Text (*.txt)|*.txt|"));
}

TEST_F(CDialogShowTest, MultiSelectAndCancel)
{
    FileDialog d(&files);
    d.InitDir = QStringLiteral("C:\\Backups");
    d.setMultiSelect(2);
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        edit->setText(QStringLiteral("\"notes.txt\" \"old.zip\""));
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(d.ShowOpen());
    ASSERT_EQ(d.SelectedFileCount(), 2);
    QStringList picked = {d.SelectedFile(1), d.SelectedFile(2)};
    picked.sort();
    EXPECT_EQ(picked, (QStringList{QStringLiteral("C:\\Backups\\notes.txt"),
                                   QStringLiteral("C:\\Backups\\old.zip")}));

    d.CancelError = true;
    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_FALSE(d.Action(1));
    EXPECT_EQ(d.Error(), FileDialog::kCancelError);
    EXPECT_EQ(d.SelectedFileCount(), 2); // the last choice stays
    EXPECT_FALSE(d.Action(3));
}

TEST_F(CDialogShowTest, SaveFromAndLoadIntoAList)
{
    QListWidget list;
    list.addItems({QStringLiteral("Inbox"), QStringLiteral("Caf\u00e9")});
    FileDialog save(&files);
    save.InitDir = QStringLiteral("C:\\Backups");
    save.FileName = QStringLiteral("folders.lst");
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters().first(), QStringLiteral("Data Files (*.dat *.lst)"));
        // The suggested bare name is offered in the folder the dialog opened on.
        auto* edit = modal->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->text(), QStringLiteral("folders.lst"));
        static_cast<QDialog*>(dialog)->accept();
    });
    ASSERT_TRUE(save.ShowSave(&list));
    EXPECT_EQ(save.FileName, QStringLiteral("C:\\Backups\\folders.lst"));
    EXPECT_EQ(test::readFile(files.host(QStringLiteral("Backups/folders.lst"))),
              QByteArray("Inbox\r\nCaf\xe9\r\n"));

    QListWidget loaded;
    FileDialog open(&files);
    open.FileName = save.FileName;
    ASSERT_TRUE(open.LoadInto(&loaded));
    ASSERT_EQ(loaded.count(), 2);
    EXPECT_EQ(loaded.item(1)->text(), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(loaded.currentRow(), 0);
}

TEST_F(CDialogShowTest, BrowseForFolderMapsBackToWindowsPaths)
{
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select Backup Folder"));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_EQ(dialog->directory().absolutePath(), files.host(QStringLiteral("Backups")));
        test::saveScreen(modal, QStringLiteral("chooseFolder"));
        dialog->selectFile(files.host(QStringLiteral("Backups")));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(chooseFolder(nullptr, QStringLiteral("Select Backup Folder"), files,
                           QStringLiteral("C:\\Backups")),
              QStringLiteral("C:\\Backups"));

    // A folder outside every drive comes back through Z:.
    test::TempDir outside;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(outside.path());
        dialog->selectFile(outside.path());
        static_cast<QDialog*>(dialog)->accept();
    });
    const QString chosen = chooseFolder(nullptr, QStringLiteral("Select"), files);
    EXPECT_EQ(chosen, QStringLiteral("Z:") + QString(outside.path()).replace(u'/', u'\\'));

    whenModal([](QWidget* modal) { modal->close(); });
    EXPECT_EQ(chooseFolder(nullptr, QStringLiteral("Select"), files), QString());
}

} // namespace
} // namespace kv::gui
