#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace kv {
class TreeListModel;
}

namespace kv::gui {

class TreeListView;

// Picks the current mail folder that receives a folder redirected on the restore page. It shows
// the current-folder list as the main window shows its grid and answers the row chosen; whether
// that row can take a folder (the root, a folder without a message file) is the caller's
// question. The right mouse button tells a row's message count.
class RestoreFolderDialog : public QDialog
{
    Q_OBJECT

public:
    explicit RestoreFolderDialog(TreeListModel& currentFolders, QWidget* parent = nullptr);

    // Shows the dialog modally, centred on the screen: the current row on OK or a double
    // click; -1 when no row is current, or on Cancel.
    int chooseFolder();

    TreeListView* folderList() const { return m_list; }

    // The details box of a row: its text padded with blanks, then its message count.
    static QString detailsText(const TreeListModel& folders, int row);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void choose();
    void showDetails(int row);

    TreeListModel& m_folders;
    TreeListView* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_answer = -1;
};

} // namespace kv::gui
