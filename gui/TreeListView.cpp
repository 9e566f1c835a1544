#include "TreeListView.h"

#include "TreeListDelegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

namespace kv::gui {

TreeListView::TreeListView(QWidget* parent) : QTreeView(parent)
{
    m_delegate = new TreeListDelegate(this);
    setItemDelegate(m_delegate);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    // A double click belongs to the owner (it redirects a folder); it must not fold the tree.
    setExpandsOnDoubleClick(false);
    setIconSize(QSize(16, 16));
    header()->setSectionsMovable(false);
    connect(header(), &QHeaderView::sectionResized, this, &TreeListView::sectionResized);
}

void TreeListView::setGrid(TreeListModel* grid)
{
    if (grid == m_grid)
        return;
    if (m_grid)
        disconnect(m_grid, nullptr, this, nullptr);
    m_grid = grid;
    setModel(grid);
    if (!grid)
        return;
    connect(grid, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex& parent, int, int) { rowsArrived(parent); });
    connect(grid, &QAbstractItemModel::modelReset, this, &TreeListView::gridReset);
    connect(grid, &QAbstractItemModel::headerDataChanged, this, &TreeListView::applyColumns);
    connect(grid, &TreeListModel::redrawSwitched, this, &TreeListView::redrawSwitched);
    connect(grid, &TreeListModel::refreshRequested, this, [this] { viewport()->update(); });
    gridReset();
}

int TreeListView::hitTest(const QPoint& pos) const
{
    return m_grid ? m_grid->rowOf(indexAt(pos)) : -1;
}

int TreeListView::currentRow() const
{
    return m_grid ? m_grid->rowOf(currentIndex()) : -1;
}

void TreeListView::setCurrentRow(int row)
{
    if (m_grid)
        setCurrentIndex(m_grid->indexOfRow(row));
}

QRect TreeListView::cellRect(int row, int column) const
{
    return m_grid ? visualRect(m_grid->indexOfRow(row, column)) : QRect();
}

QStyleOptionViewItem TreeListView::optionFor(const QModelIndex& index) const
{
    QStyleOptionViewItem opt;
    initViewItemOption(&opt);
    opt.rect = visualRect(index);
    return opt;
}

QRect TreeListView::pictureRect(int row) const
{
    const QModelIndex index = m_grid ? m_grid->indexOfRow(row) : QModelIndex();
    return index.isValid() ? m_delegate->pictureRect(optionFor(index), index) : QRect();
}

QRect TreeListView::markRect(int row) const
{
    const QModelIndex index = m_grid ? m_grid->indexOfRow(row) : QModelIndex();
    return index.isValid() ? m_delegate->markRect(optionFor(index), index) : QRect();
}

void TreeListView::setShowMarks(bool show)
{
    if (show == m_delegate->showMarks())
        return;
    // Every row's first cell changes its look and size; the rows themselves stay.
    m_delegate->setShowMarks(show);
    doItemsLayout();
}

bool TreeListView::showMarks() const
{
    return m_delegate->showMarks();
}

int TreeListView::twipsToPixels(int twips, int dpi)
{
    return qRound(double(twips) * dpi / 1440.0);
}

int TreeListView::pixelsToTwips(int pixels, int dpi)
{
    return qRound(double(pixels) * 1440.0 / dpi);
}

void TreeListView::mousePressEvent(QMouseEvent* event)
{
    QTreeView::mousePressEvent(event);
    const QPoint pos = event->position().toPoint();
    const int row = hitTest(pos);
    m_pressRow = event->button() == Qt::LeftButton ? row : -1;
    m_pressPos = pos;
    Q_EMIT mouseDown(event->button(), pos, row);
}

void TreeListView::mouseReleaseEvent(QMouseEvent* event)
{
    QTreeView::mouseReleaseEvent(event);
    const int row = m_pressRow;
    m_pressRow = -1;
    // A click is a press and a release on the same row; judged where the press was.
    if (event->button() != Qt::LeftButton || row < 0 || hitTest(event->position().toPoint()) != row)
        return;
    if (markRect(row).contains(m_pressPos))
        Q_EMIT markClicked(row);
    else if (pictureRect(row).contains(m_pressPos))
        Q_EMIT pictureClicked(row);
    const int column = columnAt(m_pressPos.x());
    // A click on the expand sign left of a parent row opens or folds it and is no cell click.
    if (column == 0 && m_grid->hasChildren(row) && m_pressPos.x() < cellRect(row, 0).left())
        return;
    if (column >= 0)
        Q_EMIT cellClicked(row, column);
}

void TreeListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeView::mouseDoubleClickEvent(event);
    const int row = hitTest(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0)
        Q_EMIT rowDoubleClicked(row);
}

void TreeListView::keyPressEvent(QKeyEvent* event)
{
    // The space bar stands for a click on the current row's mark (or picture).
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        if (showMarks())
            Q_EMIT markClicked(currentRow());
        else
            Q_EMIT pictureClicked(currentRow());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TreeListView::applyColumns()
{
    if (!m_grid)
        return;
    m_applyingColumns = true;
    const bool defined = m_grid->definedColumnCount() > 0;
    setHeaderHidden(!defined);
    // With defined widths the last column keeps its own, so the width saved is the one shown.
    header()->setStretchLastSection(!defined);
    const int dpi = logicalDpiX();
    bool multiLine = false;
    for (int c = 0; c < m_grid->definedColumnCount(); ++c) {
        header()->resizeSection(c, twipsToPixels(m_grid->columnWidth(c), dpi));
        multiLine = multiLine || m_grid->columnMultiLine(c);
    }
    // Rows of one height let the view lay out tens of thousands of rows without measuring each.
    setUniformRowHeights(!multiLine);
    m_applyingColumns = false;
}

void TreeListView::sectionResized(int column, int, int newSize)
{
    if (m_applyingColumns || !m_grid || column >= m_grid->definedColumnCount())
        return;
    const int dpi = logicalDpiX();
    // Keep the grid's exact twips unless the shown width really changed.
    if (twipsToPixels(m_grid->columnWidth(column), dpi) != newSize)
        m_grid->setColumnWidth(column, pixelsToTwips(newSize, dpi));
}

void TreeListView::rowsArrived(const QModelIndex& parent)
{
    if (m_autoExpand && parent.isValid() && !isExpanded(parent))
        expand(parent);
}

void TreeListView::gridReset()
{
    applyColumns();
    if (m_autoExpand)
        expandAll();
}

void TreeListView::redrawSwitched(bool on)
{
    setUpdatesEnabled(on);
    if (on)
        viewport()->update();
}

} // namespace kv::gui
