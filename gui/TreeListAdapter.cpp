#include "TreeListAdapter.h"

#include "ScreenColor.h"

#include <QBrush>
#include <QGuiApplication>

namespace kv::gui {

TreeListAdapter::TreeListAdapter(TreeListModel& grid, QObject* parent)
    : QAbstractItemModel(parent), m_grid(grid), m_columns(columnCount())
{
    m_grid.addListener(this);
}

TreeListAdapter::~TreeListAdapter()
{
    m_grid.removeListener(this);
}

int TreeListAdapter::rowOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return m_grid.rowOfId(TreeListModel::RowId(index.internalId()));
}

QModelIndex TreeListAdapter::indexOfRow(int row, int column) const
{
    if (!m_grid.isValidRow(row) || column < 0 || column >= m_columns)
        return {};
    return createIndex(m_grid.childPosition(row), column, quintptr(m_grid.rowId(row)));
}

void TreeListAdapter::setShowMarks(bool show)
{
    if (m_showMarks == show)
        return;
    // Every row's first column changes its look; the rows themselves stay where they are.
    Q_EMIT layoutAboutToBeChanged();
    m_showMarks = show;
    Q_EMIT layoutChanged();
}

QString TreeListAdapter::columnText(const QString& rowText, int column, int columns)
{
    int start = 0;
    for (int c = 0; c < column; ++c) {
        const qsizetype tab = rowText.indexOf(QLatin1Char('\t'), start);
        if (tab < 0)
            return QString();
        start = int(tab) + 1;
    }
    if (column >= columns - 1)
        return rowText.mid(start);
    const qsizetype tab = rowText.indexOf(QLatin1Char('\t'), start);
    return rowText.mid(start, tab < 0 ? -1 : tab - start);
}

QModelIndex TreeListAdapter::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= m_columns || row < 0)
        return {};
    int parentRow = -1;
    if (parent.isValid()) {
        parentRow = rowOf(parent);
        if (parentRow < 0 || parent.column() != 0)
            return {};
    }
    const int child = m_grid.child(parentRow, row);
    if (child < 0)
        return {};
    return createIndex(row, column, quintptr(m_grid.rowId(child)));
}

QModelIndex TreeListAdapter::parent(const QModelIndex& child) const
{
    const int row = rowOf(child);
    const int p = row < 0 ? -1 : m_grid.parent(row);
    return p < 0 ? QModelIndex() : indexOfRow(p);
}

int TreeListAdapter::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_grid.topLevelCount();
    if (parent.column() != 0)
        return 0;
    const int row = rowOf(parent);
    return row < 0 ? 0 : m_grid.childCount(row);
}

int TreeListAdapter::columnCount(const QModelIndex&) const
{
    return m_columns;
}

bool TreeListAdapter::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant TreeListAdapter::data(const QModelIndex& index, int role) const
{
    const int row = rowOf(index);
    if (row < 0)
        return {};
    const int col = index.column();
    switch (role) {
    case Qt::DisplayRole: {
        QString text = columnText(m_grid.text(row), col, m_columns);
        if (text.contains(QLatin1Char('\n'))) {
            // Line breaks come as CR LF; a single-line column shows them as blanks.
            const bool multi = m_grid.columnMultiLine(col);
            text.replace(QLatin1String("\r\n"), multi ? QLatin1String("\n") : QLatin1String(" "));
            if (!multi)
                text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        }
        return text;
    }
    case Qt::DecorationRole:
        if (col == 0) {
            const QPixmap pm = m_pictures.picture(m_grid.picture(row));
            if (!pm.isNull())
                return pm;
        }
        return {};
    case Qt::CheckStateRole:
        if (col != 0 || !m_showMarks)
            return {};
        switch (m_grid.checkState(row)) {
        case 0:
            return Qt::Unchecked;
        case 1:
            return Qt::Checked;
        default:
            return Qt::PartiallyChecked;
        }
    case Qt::BackgroundRole:
    case Qt::ForegroundRole: {
        const color::ColorRef c =
            role == Qt::BackgroundRole ? m_grid.backColor(row) : m_grid.foreColor(row);
        if (c == color::kDefault)
            return {};
        const QColor qc = screenColor(c, QGuiApplication::palette());
        return qc.isValid() ? QVariant(QBrush(qc)) : QVariant();
    }
    case RowRole:
        return row;
    case CheckValueRole:
        return m_grid.checkState(row);
    case PictureRole:
        return m_grid.picture(row);
    case LevelRole:
        return m_grid.level(row);
    default:
        return {};
    }
}

QVariant TreeListAdapter::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns)
        return {};
    if (role == Qt::DisplayRole)
        return m_grid.columnHeading(section);
    return {};
}

Qt::ItemFlags TreeListAdapter::flags(const QModelIndex& index) const
{
    // Not user-checkable: a click on a mark is reported to the grid's owner, which decides
    // whether the state may change (state 2 never does).
    return rowOf(index) < 0 ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void TreeListAdapter::rowAboutToBeInserted(int parentRow, int position)
{
    beginInsertRows(indexOfRow(parentRow), position, position);
}

void TreeListAdapter::rowInserted(int)
{
    endInsertRows();
}

void TreeListAdapter::rowAboutToBeRemoved(int row)
{
    const int pos = m_grid.childPosition(row);
    beginRemoveRows(indexOfRow(m_grid.parent(row)), pos, pos);
}

void TreeListAdapter::rowRemoved(int, int)
{
    endRemoveRows();
}

void TreeListAdapter::rowChanged(int row)
{
    Q_EMIT dataChanged(indexOfRow(row, 0), indexOfRow(row, m_columns - 1));
}

void TreeListAdapter::childrenAboutToBeSorted(int parentRow)
{
    const QList<QPersistentModelIndex> parents{indexOfRow(parentRow)};
    Q_EMIT layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
}

void TreeListAdapter::childrenSorted(int parentRow)
{
    // Every kept index still names its row by id; only its position among its siblings moved.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before) {
        const int row = rowOf(i);
        after << (row < 0 ? QModelIndex() : indexOfRow(row, i.column()));
    }
    changePersistentIndexList(before, after);
    const QList<QPersistentModelIndex> parents{indexOfRow(parentRow)};
    Q_EMIT layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

void TreeListAdapter::listAboutToBeReset()
{
    beginResetModel();
}

void TreeListAdapter::listReset()
{
    m_columns = columnCount();
    endResetModel();
}

void TreeListAdapter::columnsChanged()
{
    if (columnCount() != m_columns) {
        beginResetModel();
        m_columns = columnCount();
        endResetModel();
        return;
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_columns - 1);
    Q_EMIT columnsRedefined();
}

void TreeListAdapter::redrawSwitched(bool on)
{
    Q_EMIT gridRedrawSwitched(on);
}

void TreeListAdapter::refreshRequested()
{
    Q_EMIT gridRefreshRequested();
}

} // namespace kv::gui
