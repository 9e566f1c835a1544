#pragma once

#include <QDialog>
#include <QList>
#include <QStringList>

#include <memory>

class QLabel;
class QListWidget;
class QMimeData;

namespace kv::gui {

// One mail folder whose restored messages wait to be dragged back into the mail client: the
// folder's display text and the host paths of its .eml files, in the order they were written.
struct DragFolderFiles
{
    QString text;
    QStringList hostPaths;
};

// The small always-on-top window from which each folder's restored messages are dragged onto
// the folder of the same name in the mail client: a caption and one row per folder. Dragging a
// row offers that folder's files for copying as a plain file list, which file managers and the
// mail client under Wine both accept.
class DragWindow : public QDialog
{
    Q_OBJECT

public:
    DragWindow(QList<DragFolderFiles> folders, const QString& caption, QWidget* parent = nullptr);
    ~DragWindow() override;

    // Waits until the user closes the window.
    void showModal();
    // Shows the window and returns at once (tests, pictures).
    void showModeless();

    // What a drag of a row carries: the row's files as local-file URLs, in list order. Empty
    // for a row without files or no such row.
    std::unique_ptr<QMimeData> mimeDataForRow(int row) const;
    // Copy when the row has at least one file; otherwise nothing, and no drag starts.
    Qt::DropActions dragActionsForRow(int row) const;

    QListWidget* folderList() const { return m_list; }
    QString caption() const;

    // The window's place: against the right edge of its screen, 300 twips from the top.
    static constexpr int kTopTwips = 300;
    QPoint placeOnScreen() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Starts the drag of a row; called by the list when the pointer moved far enough.
    void startRowDrag(int row);

    class FolderList;

    QList<DragFolderFiles> m_folders;
    QLabel* m_caption = nullptr;
    QListWidget* m_list = nullptr;
};

} // namespace kv::gui
