#pragma once

#include "grid/TreeListModel.h"

#include <QPointer>
#include <QTreeView>

namespace kv::gui {

class TreeListDelegate;

// The on-screen tree-list grid: shows a core grid and reports what the user does to it. It changes
// nothing itself: ticking, unticking and context menus belong to the grid's owner, which hears of
// clicks through the signals below. Rows are grid row indexes, columns count from 0, positions
// are pixels in the viewport.
//
// Column widths live in the grid, in twips; the view shows them at the screen's resolution and
// writes a width the user drags back into the grid, so the owner saves what it reads there.
class TreeListView : public QTreeView
{
    Q_OBJECT

public:
    explicit TreeListView(QWidget* parent = nullptr);

    void setGrid(TreeListModel* grid);
    TreeListModel* grid() const { return m_grid; }

    // The row under a viewport position; -1 below the last row or beside the columns.
    int hitTest(const QPoint& pos) const;
    int currentRow() const;
    void setCurrentRow(int row);
    // The viewport rectangle of a row's cell (empty when the row is not shown).
    QRect cellRect(int row, int column) const;
    QRect pictureRect(int row) const;
    QRect markRect(int row) const;

    // A check box before the picture, for grids whose owner wants mark clicks.
    void setShowMarks(bool show);
    bool showMarks() const;
    // Whether rows are shown expanded as they arrive (the program's grids always are).
    void setAutoExpand(bool on) { m_autoExpand = on; }

    static int twipsToPixels(int twips, int dpi);
    static int pixelsToTwips(int pixels, int dpi);

Q_SIGNALS:
    void rowDoubleClicked(int row);
    void mouseDown(Qt::MouseButton button, const QPoint& pos, int row);
    void pictureClicked(int row);
    void markClicked(int row);
    void cellClicked(int row, int column);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyColumns();
    void sectionResized(int column, int oldSize, int newSize);
    void rowsArrived(const QModelIndex& parent);
    void gridReset();
    void redrawSwitched(bool on);
    QStyleOptionViewItem optionFor(const QModelIndex& index) const;

    QPointer<TreeListModel> m_grid;
    TreeListDelegate* m_delegate = nullptr;
    bool m_applyingColumns = false;
    bool m_autoExpand = true;
    int m_pressRow = -1;
    QPoint m_pressPos;
};

} // namespace kv::gui
