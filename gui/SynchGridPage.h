#pragma once

#include "shell/IFunctions.h"
#include "shell/IMainView.h"

#include <QWidget>

class QLabel;
class QMenu;
class QPushButton;

namespace kv {
class TreeListModel;
}

namespace kv::gui {

class TreeListView;

// The synchronise grid page: the messages of the backup that the store lacks or holds changed,
// under their folders, for the user to tick. It shows what it is told; ticks, the selected count
// and the folder menu's entries are the controller's, which hears of them through the signals.
class SynchGridPage : public QWidget
{
    Q_OBJECT

public:
    explicit SynchGridPage(TreeListModel* grid, QWidget* parent = nullptr);

    // False when the text is not one of this page's.
    bool setText(MainText item, const QString& text);
    // False when the item is not one of this page's.
    bool setItemVisible(MainItem item, bool visible);
    // Null when the button is not one of this page's.
    QPushButton* button(MainButton which) const;

    TreeListView* view() const { return m_view; }
    // The folder rows' context menu (open while a right-click on a folder row is answered).
    QMenu* folderMenu() const { return m_folderMenu; }

Q_SIGNALS:
    void tickClicked(int row);
    void folderMenuChosen(int row, kv::SynchFolderMenu entry);
    void selectAllClicked();
    void clearAllClicked();
    void backClicked();
    void nextClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildFolderMenu();
    void rightClicked(const QPoint& pos, int row);

    TreeListView* m_view = nullptr;
    QLabel* m_label = nullptr;
    QLabel* m_count = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_clearAll = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_next = nullptr;
    QMenu* m_folderMenu = nullptr;
    // The folder row the open menu was asked for.
    int m_menuRow = -1;
};

} // namespace kv::gui
