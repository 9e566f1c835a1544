#include "FolderChooser.h"

#include "platform/IFileSystem.h"

#include <QFileDialog>

namespace kv::gui {

QString chooseFolder(QWidget* owner, const QString& title, const platform::IFileSystem& files,
                     const QString& startAt)
{
    QFileDialog dialog(owner, title);
    dialog.setObjectName(QStringLiteral("folderChooser"));
    // Qt's own chooser: the same on every desktop, and drivable by tests.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!startAt.isEmpty())
        dialog.setDirectory(files.toHostPath(startAt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return files.toWindowsPath(dialog.selectedFiles().first());
}

} // namespace kv::gui
