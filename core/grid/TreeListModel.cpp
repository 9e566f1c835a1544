#include "grid/TreeListModel.h"

#include <QLoggingCategory>

#include <algorithm>
#include <utility>

namespace kv {

namespace {

Q_LOGGING_CATEGORY(lcGrid, "kv.grid")

} // namespace

TreeListModel::TreeListModel(QObject* parent) : QAbstractItemModel(parent) {}

TreeListModel::~TreeListModel() = default;

bool TreeListModel::reporting()
{
    if (isRedrawOn())
        return true;
    m_dirty = true;
    return false;
}

void TreeListModel::clear()
{
    const bool report = reporting();
    if (report)
        beginResetModel();
    m_rows.clear();
    m_top.clear();
    m_byId.clear();
    if (report)
        endResetModel();
}

int TreeListModel::addRow(const QString& text)
{
    return insertRow(nullptr, text);
}

int TreeListModel::addChild(int parentRow, const QString& text)
{
    Row* p = at(parentRow);
    if (!p) {
        qCWarning(lcGrid) << "addChild: no row" << parentRow << "of" << totalRowCount();
        return -1;
    }
    return insertRow(p, text);
}

int TreeListModel::insertRow(Row* parent, const QString& text)
{
    std::vector<Row*>& siblings = parent ? parent->children : m_top;
    const int position = int(siblings.size());
    const int index = parent ? parent->index + parent->descendants + 1 : totalRowCount();
    const bool report = reporting();
    if (report)
        beginInsertRows(parent ? indexOfRow(parent->index) : QModelIndex(), position, position);

    auto row = std::make_unique<Row>();
    row->id = m_nextId++;
    row->index = index;
    row->level = parent ? parent->level + 1 : 0;
    row->childPos = position;
    row->parent = parent;
    row->text = text;
    Row* raw = row.get();
    m_rows.insert(m_rows.begin() + index, std::move(row));
    siblings.push_back(raw);
    m_byId.insert(raw->id, raw);
    for (Row* a = parent; a; a = a->parent)
        ++a->descendants;
    renumber(index + 1);

    if (report)
        endInsertRows();
    return index;
}

bool TreeListModel::removeRowAt(int row)
{
    Row* r = at(row);
    if (!r) {
        qCWarning(lcGrid) << "removeRowAt: no row" << row << "of" << totalRowCount();
        return false;
    }
    Row* parent = r->parent;
    const int position = r->childPos;
    const bool report = reporting();
    if (report)
        beginRemoveRows(parent ? indexOfRow(parent->index) : QModelIndex(), position, position);

    const int span = r->descendants + 1;
    std::vector<Row*>& siblings = parent ? parent->children : m_top;
    siblings.erase(siblings.begin() + position);
    renumberChildren(siblings, position);
    for (Row* a = parent; a; a = a->parent)
        a->descendants -= span;
    for (int i = row; i < row + span; ++i)
        m_byId.remove(m_rows[size_t(i)]->id);
    m_rows.erase(m_rows.begin() + row, m_rows.begin() + row + span);
    renumber(row);

    if (report)
        endRemoveRows();
    return true;
}

void TreeListModel::renumber(int from)
{
    for (int i = from; i < totalRowCount(); ++i)
        m_rows[size_t(i)]->index = i;
}

void TreeListModel::renumberChildren(std::vector<Row*>& siblings, int from)
{
    for (int i = from; i < int(siblings.size()); ++i)
        siblings[size_t(i)]->childPos = i;
}

QString TreeListModel::text(int row) const
{
    const Row* r = at(row);
    return r ? r->text : QString();
}

void TreeListModel::setText(int row, const QString& text)
{
    if (Row* r = at(row); r && r->text != text) {
        r->text = text;
        rowChanged(r);
    }
}

int TreeListModel::level(int row) const
{
    const Row* r = at(row);
    return r ? r->level : -1;
}

int TreeListModel::parentRow(int row) const
{
    const Row* r = at(row);
    return r && r->parent ? r->parent->index : -1;
}

bool TreeListModel::hasChildren(int row) const
{
    const Row* r = at(row);
    return r && !r->children.empty();
}

int TreeListModel::childCount(int row) const
{
    if (row == -1)
        return int(m_top.size());
    const Row* r = at(row);
    return r ? int(r->children.size()) : 0;
}

int TreeListModel::child(int row, int k) const
{
    const std::vector<Row*>* list = &m_top;
    if (row != -1) {
        const Row* r = at(row);
        if (!r)
            return -1;
        list = &r->children;
    }
    return k >= 0 && k < int(list->size()) ? (*list)[size_t(k)]->index : -1;
}

int TreeListModel::childPosition(int row) const
{
    const Row* r = at(row);
    return r ? r->childPos : -1;
}

int TreeListModel::descendantCount(int row) const
{
    const Row* r = at(row);
    return r ? r->descendants : 0;
}

int TreeListModel::findNameId(const QString& name) const
{
    const auto it = m_cellNames.constFind(name.toLower());
    return it == m_cellNames.constEnd() ? -1 : int(it.value());
}

int TreeListModel::internName(const QString& name)
{
    const QString key = name.toLower();
    auto it = m_cellNames.constFind(key);
    if (it != m_cellNames.constEnd())
        return it.value();
    if (m_cellNames.size() >= 0xFFFF) {
        qCWarning(lcGrid) << "too many cell names; not storing" << name;
        return -1;
    }
    const auto id = quint16(m_cellNames.size());
    m_cellNames.insert(key, id);
    return id;
}

const QString* TreeListModel::findCellValue(const Row& row, int nameId) const
{
    for (const Cell& c : row.cells) {
        if (c.name == nameId)
            return &c.value;
    }
    return nullptr;
}

QString TreeListModel::cell(int row, const QString& name) const
{
    const Row* r = at(row);
    if (!r)
        return QString();
    const int id = findNameId(name);
    const QString* v = id < 0 ? nullptr : findCellValue(*r, id);
    return v ? *v : QString();
}

// Cells are not shown, so setting one is never reported.
void TreeListModel::setCell(int row, const QString& name, const QString& value)
{
    Row* r = at(row);
    if (!r)
        return;
    const int id = internName(name);
    if (id < 0)
        return;
    for (Cell& c : r->cells) {
        if (c.name == id) {
            c.value = value;
            return;
        }
    }
    r->cells.push_back(Cell{quint16(id), value});
}

int TreeListModel::findCell(const QString& name, const QString& value, int first, int last) const
{
    const int id = findNameId(name);
    if (last < 0 || last >= totalRowCount())
        last = totalRowCount() - 1;
    first = std::max(first, 0);
    for (int i = first; i <= last; ++i) {
        const QString* v = id < 0 ? nullptr : findCellValue(*m_rows[size_t(i)], id);
        // A row without the cell holds the empty value.
        if (v ? *v == value : value.isEmpty())
            return i;
    }
    return -1;
}

void TreeListModel::sortChildren(int row, const QString& cellName, SortMode mode)
{
    std::vector<Row*>* list = &m_top;
    Row* parent = nullptr;
    if (row != -1) {
        parent = at(row);
        if (!parent)
            return;
        list = &parent->children;
    }
    if (list->size() < 2)
        return;

    const int id = findNameId(cellName);
    std::vector<std::pair<QString, Row*>> keyed;
    keyed.reserve(list->size());
    for (Row* r : *list) {
        const QString* v = id < 0 ? nullptr : findCellValue(*r, id);
        keyed.emplace_back(v ? *v : QString(), r);
    }
    auto less = [mode](const std::pair<QString, Row*>& a, const std::pair<QString, Row*>& b) {
        switch (mode) {
        case SortMode::Numeric:
            return a.first.trimmed().toDouble() < b.first.trimmed().toDouble();
        case SortMode::TextNoCase:
            return a.first.compare(b.first, Qt::CaseInsensitive) < 0;
        case SortMode::Text:
            break;
        }
        return a.first < b.first;
    };
    if (std::is_sorted(keyed.begin(), keyed.end(), less))
        return;

    const bool report = reporting();
    const QList<QPersistentModelIndex> parents{indexOfRow(row)};
    if (report)
        Q_EMIT layoutAboutToBeChanged(parents, QAbstractItemModel::VerticalSortHint);
    std::stable_sort(keyed.begin(), keyed.end(), less);

    // The children's subtrees occupy one contiguous run of rows; lay them out again in the new
    // order.
    const int start = parent ? parent->index + 1 : 0;
    const int span = parent ? parent->descendants : totalRowCount();
    std::vector<std::unique_ptr<Row>> moved;
    moved.reserve(size_t(span));
    for (size_t k = 0; k < keyed.size(); ++k) {
        Row* c = keyed[k].second;
        (*list)[k] = c;
        c->childPos = int(k);
        for (int i = c->index; i <= c->index + c->descendants; ++i)
            moved.push_back(std::move(m_rows[size_t(i)]));
    }
    std::move(moved.begin(), moved.end(), m_rows.begin() + start);
    renumber(start);

    if (!report)
        return;
    // Every kept index still names its row by id; only its position among its siblings moved.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before) {
        const int r = rowOf(i);
        after << (r < 0 ? QModelIndex() : indexOfRow(r, i.column()));
    }
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged(parents, QAbstractItemModel::VerticalSortHint);
}

int TreeListModel::checkState(int row) const
{
    const Row* r = at(row);
    return r ? r->check : 0;
}

void TreeListModel::setCheckState(int row, int state)
{
    if (Row* r = at(row); r && r->check != state) {
        r->check = qint16(state);
        rowChanged(r);
    }
}

TreeListModel::Picture TreeListModel::picture(int row) const
{
    const Row* r = at(row);
    return r ? r->picture : Picture::None;
}

void TreeListModel::setPicture(int row, Picture picture)
{
    if (Row* r = at(row); r && r->picture != picture) {
        r->picture = picture;
        rowChanged(r);
    }
}

color::ColorRef TreeListModel::backColor(int row) const
{
    const Row* r = at(row);
    return r ? r->back : color::kDefault;
}

void TreeListModel::setBackColor(int row, color::ColorRef color)
{
    if (Row* r = at(row); r && r->back != color) {
        r->back = color;
        rowChanged(r);
    }
}

color::ColorRef TreeListModel::foreColor(int row) const
{
    const Row* r = at(row);
    return r ? r->fore : color::kDefault;
}

void TreeListModel::setForeColor(int row, color::ColorRef color)
{
    if (Row* r = at(row); r && r->fore != color) {
        r->fore = color;
        rowChanged(r);
    }
}

void TreeListModel::rowChanged(Row* row)
{
    if (reporting())
        Q_EMIT dataChanged(indexOfRow(row->index, 0), indexOfRow(row->index, m_shownColumns - 1));
}

void TreeListModel::setColumnCount(int count)
{
    count = std::max(count, 0);
    if (count == definedColumnCount())
        return;
    m_columns.resize(size_t(count));
    columnsChanged(true);
}

void TreeListModel::setColumnHeading(int column, const QString& heading)
{
    if (column >= 0 && column < definedColumnCount() &&
        m_columns[size_t(column)].heading != heading) {
        m_columns[size_t(column)].heading = heading;
        columnsChanged(false);
    }
}

QString TreeListModel::columnHeading(int column) const
{
    return column >= 0 && column < definedColumnCount() ? m_columns[size_t(column)].heading
                                                        : QString();
}

void TreeListModel::setColumnWidth(int column, int twips)
{
    if (column >= 0 && column < definedColumnCount() &&
        m_columns[size_t(column)].widthTwips != twips) {
        m_columns[size_t(column)].widthTwips = std::max(twips, 0);
        columnsChanged(false);
    }
}

int TreeListModel::columnWidth(int column) const
{
    return column >= 0 && column < definedColumnCount() ? m_columns[size_t(column)].widthTwips : 0;
}

void TreeListModel::setColumnMultiLine(int column, bool multiLine)
{
    if (column >= 0 && column < definedColumnCount() &&
        m_columns[size_t(column)].multiLine != multiLine) {
        m_columns[size_t(column)].multiLine = multiLine;
        columnsChanged(false);
    }
}

bool TreeListModel::columnMultiLine(int column) const
{
    return column >= 0 && column < definedColumnCount() && m_columns[size_t(column)].multiLine;
}

void TreeListModel::columnsChanged(bool countChanged)
{
    if (!reporting())
        return;
    const int shown = std::max(1, definedColumnCount());
    if (countChanged && shown != m_shownColumns) {
        beginResetModel();
        m_shownColumns = shown;
        endResetModel();
        return;
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, 0, m_shownColumns - 1);
}

QString TreeListModel::columnText(const QString& rowText, int column, int columns)
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

void TreeListModel::redrawOff()
{
    if (m_redrawOff++ == 0) {
        m_dirty = false;
        Q_EMIT redrawSwitched(false);
    }
}

void TreeListModel::redrawOn()
{
    if (m_redrawOff == 0) {
        qCWarning(lcGrid) << "redrawOn without redrawOff";
        return;
    }
    if (--m_redrawOff > 0)
        return;
    Q_EMIT redrawSwitched(true);
    if (std::exchange(m_dirty, false)) {
        // The rows already changed; views drop everything they hold and ask again.
        beginResetModel();
        m_shownColumns = std::max(1, definedColumnCount());
        endResetModel();
    }
}

void TreeListModel::refresh()
{
    if (isRedrawOn())
        Q_EMIT refreshRequested();
}

TreeListModel::RowId TreeListModel::rowId(int row) const
{
    const Row* r = at(row);
    return r ? r->id : 0;
}

int TreeListModel::rowOfId(RowId id) const
{
    const Row* r = m_byId.value(id, nullptr);
    return r ? r->index : -1;
}

int TreeListModel::rowOf(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this)
        return -1;
    return rowOfId(RowId(index.internalId()));
}

QModelIndex TreeListModel::indexOfRow(int row, int column) const
{
    if (!isValidRow(row) || column < 0 || column >= m_shownColumns)
        return {};
    return createIndex(childPosition(row), column, quintptr(rowId(row)));
}

QModelIndex TreeListModel::index(int row, int column, const QModelIndex& parent) const
{
    if (column < 0 || column >= m_shownColumns || row < 0)
        return {};
    int parentRow = -1;
    if (parent.isValid()) {
        parentRow = rowOf(parent);
        if (parentRow < 0 || parent.column() != 0)
            return {};
    }
    const int c = child(parentRow, row);
    return c < 0 ? QModelIndex() : createIndex(row, column, quintptr(rowId(c)));
}

QModelIndex TreeListModel::parent(const QModelIndex& child) const
{
    const int row = rowOf(child);
    return row < 0 ? QModelIndex() : indexOfRow(parentRow(row));
}

int TreeListModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return childCount(-1);
    const int row = rowOf(parent);
    return row < 0 || parent.column() != 0 ? 0 : childCount(row);
}

int TreeListModel::columnCount(const QModelIndex&) const
{
    return m_shownColumns;
}

bool TreeListModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QString TreeListModel::displayText(int row, int column) const
{
    QString text = columnText(at(row)->text, column, m_shownColumns);
    if (text.contains(QLatin1Char('\n'))) {
        // Line breaks come as CR LF; a single-line column shows them as blanks.
        const bool multi = columnMultiLine(column);
        text.replace(QLatin1String("\r\n"), multi ? QLatin1String("\n") : QLatin1String(" "));
        if (!multi)
            text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return text;
}

QVariant TreeListModel::data(const QModelIndex& index, int role) const
{
    const int row = rowOf(index);
    if (row < 0)
        return {};
    const Row& r = *at(row);
    switch (role) {
    case Qt::DisplayRole:
        return displayText(row, index.column());
    case Qt::CheckStateRole:
        if (index.column() != 0)
            return {};
        return r.check == 0 ? Qt::Unchecked : r.check == 1 ? Qt::Checked : Qt::PartiallyChecked;
    case PictureRole:
        return index.column() == 0 ? QVariant(int(r.picture)) : QVariant();
    case BackColorRole:
    case ForeColorRole: {
        const color::ColorRef c = role == BackColorRole ? r.back : r.fore;
        return c == color::kDefault ? QVariant() : QVariant(c);
    }
    default:
        return {};
    }
}

QVariant TreeListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_shownColumns ||
        role != Qt::DisplayRole)
        return {};
    return columnHeading(section);
}

Qt::ItemFlags TreeListModel::flags(const QModelIndex& index) const
{
    // Not user-checkable: a click on a mark is reported to the grid's owner, which decides
    // whether the state may change (state 2 never does).
    return rowOf(index) < 0 ? Qt::NoItemFlags : Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

} // namespace kv
