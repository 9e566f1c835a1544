#include "util/TreeListModel.h"

#include "util/UtilLog.h"

#include <algorithm>

namespace kv {

TreeListModel::TreeListModel() = default;
TreeListModel::~TreeListModel()
{
    // A view still listening would be left pointing at this grid.
    if (!m_listeners.empty())
        qCWarning(lcUtil) << "tree-list grid destroyed while" << m_listeners.size()
                          << "views still show it";
}

void TreeListModel::addListener(TreeListListener* listener)
{
    if (listener &&
        std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void TreeListModel::removeListener(TreeListListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

template <typename F> void TreeListModel::notify(F f)
{
    if (!isRedrawOn()) {
        m_dirty = true;
        return;
    }
    // A listener may remove itself while being told.
    const auto listeners = m_listeners;
    for (TreeListListener* l : listeners)
        f(l);
}

void TreeListModel::clear()
{
    notify([](TreeListListener* l) { l->listAboutToBeReset(); });
    m_rows.clear();
    m_top.clear();
    m_byId.clear();
    notify([](TreeListListener* l) { l->listReset(); });
}

int TreeListModel::addRow(const QString& text)
{
    return insertRow(nullptr, text);
}

int TreeListModel::addChild(int parentRow, const QString& text)
{
    Row* p = at(parentRow);
    if (!p) {
        qCWarning(lcUtil) << "addChild: no row" << parentRow << "of" << rowCount();
        return -1;
    }
    return insertRow(p, text);
}

int TreeListModel::insertRow(Row* parent, const QString& text)
{
    std::vector<Row*>& siblings = parent ? parent->children : m_top;
    const int position = int(siblings.size());
    const int index = parent ? parent->index + parent->descendants + 1 : rowCount();
    notify([&](TreeListListener* l) {
        l->rowAboutToBeInserted(parent ? parent->index : -1, position);
    });

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

    notify([&](TreeListListener* l) { l->rowInserted(index); });
    return index;
}

bool TreeListModel::removeRow(int row)
{
    Row* r = at(row);
    if (!r) {
        qCWarning(lcUtil) << "removeRow: no row" << row << "of" << rowCount();
        return false;
    }
    notify([&](TreeListListener* l) { l->rowAboutToBeRemoved(row); });

    Row* parent = r->parent;
    const int position = r->childPos;
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

    notify([&](TreeListListener* l) { l->rowRemoved(parent ? parent->index : -1, position); });
    return true;
}

void TreeListModel::renumber(int from)
{
    for (int i = from; i < rowCount(); ++i)
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

int TreeListModel::parent(int row) const
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
        return topLevelCount();
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
        qCWarning(lcUtil) << "too many cell names; not storing" << name;
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
    if (last < 0 || last >= rowCount())
        last = rowCount() - 1;
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
    auto key = [&](const Row* r) {
        const QString* v = id < 0 ? nullptr : findCellValue(*r, id);
        return v ? *v : QString();
    };
    std::vector<std::pair<QString, Row*>> keyed;
    keyed.reserve(list->size());
    for (Row* r : *list)
        keyed.emplace_back(key(r), r);
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

    notify([&](TreeListListener* l) { l->childrenAboutToBeSorted(row); });
    std::stable_sort(keyed.begin(), keyed.end(), less);

    // The children's subtrees occupy one contiguous run of rows; lay them out again in the new
    // order.
    const int start = parent ? parent->index + 1 : 0;
    const int span = parent ? parent->descendants : rowCount();
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

    notify([&](TreeListListener* l) { l->childrenSorted(row); });
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

int TreeListModel::picture(int row) const
{
    const Row* r = at(row);
    return r ? int(r->picture) : int(NoPicture);
}

void TreeListModel::setPicture(int row, int picture)
{
    if (Row* r = at(row); r && r->picture != picture) {
        r->picture = qint16(picture);
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
    notify([row](TreeListListener* l) { l->rowChanged(row->index); });
}

void TreeListModel::setColumnCount(int count)
{
    count = std::max(count, 0);
    if (count == columnCount())
        return;
    m_columns.resize(size_t(count));
    columnsChanged();
}

void TreeListModel::setColumnHeading(int column, const QString& heading)
{
    if (column >= 0 && column < columnCount() && m_columns[size_t(column)].heading != heading) {
        m_columns[size_t(column)].heading = heading;
        columnsChanged();
    }
}

QString TreeListModel::columnHeading(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[size_t(column)].heading : QString();
}

void TreeListModel::setColumnWidth(int column, int twips)
{
    if (column >= 0 && column < columnCount() && m_columns[size_t(column)].widthTwips != twips) {
        m_columns[size_t(column)].widthTwips = std::max(twips, 0);
        columnsChanged();
    }
}

int TreeListModel::columnWidth(int column) const
{
    return column >= 0 && column < columnCount() ? m_columns[size_t(column)].widthTwips : 0;
}

void TreeListModel::setColumnMultiLine(int column, bool multiLine)
{
    if (column >= 0 && column < columnCount() && m_columns[size_t(column)].multiLine != multiLine) {
        m_columns[size_t(column)].multiLine = multiLine;
        columnsChanged();
    }
}

bool TreeListModel::columnMultiLine(int column) const
{
    return column >= 0 && column < columnCount() && m_columns[size_t(column)].multiLine;
}

void TreeListModel::columnsChanged()
{
    notify([](TreeListListener* l) { l->columnsChanged(); });
}

void TreeListModel::redrawOff()
{
    if (m_redrawOff++ == 0) {
        m_dirty = false;
        for (TreeListListener* l : std::vector(m_listeners))
            l->redrawSwitched(false);
    }
}

void TreeListModel::redrawOn()
{
    if (m_redrawOff == 0) {
        qCWarning(lcUtil) << "redrawOn without redrawOff";
        return;
    }
    if (--m_redrawOff > 0)
        return;
    const bool dirty = m_dirty;
    m_dirty = false;
    for (TreeListListener* l : std::vector(m_listeners))
        l->redrawSwitched(true);
    if (dirty) {
        notify([](TreeListListener* l) { l->listAboutToBeReset(); });
        notify([](TreeListListener* l) { l->listReset(); });
    }
}

void TreeListModel::refresh()
{
    notify([](TreeListListener* l) { l->refreshRequested(); });
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

} // namespace kv
