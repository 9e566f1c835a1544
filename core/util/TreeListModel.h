#pragma once

#include "util/ColorRef.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace kv {

class TreeListListener;

// The data behind every tree-list grid of the program (the item grid and its scratch twin, the
// current-folder tree, the synchronise grid, the drag list). Rows are kept in tree order and
// addressed by their index in that order; a row added at the end is a top-level row (level 0,
// no parent), so in grids with a root row the root is row 0 and everything else hangs below
// it. A child is inserted after its parent's last descendant, so children keep the order in
// which they were added.
//
// Per row: a text (columns of the multi-column grid separated by TAB), a check state, a picture
// index, back and fore colours (color::ColorRef, color::kDefault for the grid's own) and any
// number of named cells. Cell names are compared without regard to case and stored once per
// model, so fifty thousand rows with the same few cells cost little more than their values.
//
// Changes reach the screen through TreeListListener. Between redrawOff() and the matching
// redrawOn() nothing is reported row by row; the listener hears once, when redrawing comes
// back on, that the whole list may have changed.
//
// Out-of-range rows are ignored by setters and give empty values, -1 or false from getters.
class TreeListModel
{
public:
    using RowId = quint32;

    // Pictures the grids use; the screen decides what they look like.
    enum Picture : int
    {
        NoPicture = -1,
        PicUnticked = 0,
        PicTicked = 1,
        PicUnavailable = 2,
        PicRootOE4 = 5,
        PicRootOE5 = 6,
        PicFolder = 7,
    };

    enum class SortMode
    {
        Text,       // ordinal comparison of the texts
        TextNoCase, // the same, letter case ignored
        Numeric,    // as numbers; texts that are not numbers count as 0
    };

    struct Column
    {
        QString heading;
        int widthTwips = 1440;
        bool multiLine = false;
    };

    TreeListModel();
    ~TreeListModel();
    TreeListModel(const TreeListModel&) = delete;
    TreeListModel& operator=(const TreeListModel&) = delete;

    void addListener(TreeListListener* listener);
    void removeListener(TreeListListener* listener);

    // Rows.
    void clear();
    int addRow(const QString& text);
    // -1 when the parent row does not exist.
    int addChild(int parentRow, const QString& text);
    // Removes the row and every row below it; false when the row does not exist.
    bool removeRow(int row);
    int rowCount() const { return int(m_rows.size()); }
    bool isValidRow(int row) const { return row >= 0 && row < rowCount(); }

    QString text(int row) const;
    void setText(int row, const QString& text);
    int level(int row) const;
    // -1 for a top-level row.
    int parent(int row) const;
    bool hasChildren(int row) const;
    int childCount(int row) const;
    // The k-th direct child (0-based) of a row, or of the top level when row is -1.
    int child(int row, int k) const;
    // The row's position among its parent's children (or among the top-level rows).
    int childPosition(int row) const;
    int topLevelCount() const { return int(m_top.size()); }
    // Number of rows below the row, at any depth.
    int descendantCount(int row) const;

    // Cells.
    QString cell(int row, const QString& name) const;
    void setCell(int row, const QString& name, const QString& value);
    // The first row of first..last (inclusive; last -1 means the last row) whose cell equals the
    // value exactly; -1 when none does.
    int findCell(const QString& name, const QString& value, int first = 0, int last = -1) const;
    // Reorders the direct children of a row (the top-level rows when row is -1) by a cell; rows
    // with equal values keep their order, and each child takes its descendants along.
    void sortChildren(int row, const QString& cellName, SortMode mode = SortMode::Text);

    // Check state, picture and colours.
    int checkState(int row) const;
    void setCheckState(int row, int state);
    int picture(int row) const;
    void setPicture(int row, int picture);
    color::ColorRef backColor(int row) const;
    void setBackColor(int row, color::ColorRef color);
    color::ColorRef foreColor(int row) const;
    void setForeColor(int row, color::ColorRef color);

    // Columns of the multi-column grid; a grid without definitions has one untitled column.
    void setColumnCount(int count);
    int columnCount() const { return int(m_columns.size()); }
    void setColumnHeading(int column, const QString& heading);
    QString columnHeading(int column) const;
    void setColumnWidth(int column, int twips);
    int columnWidth(int column) const;
    void setColumnMultiLine(int column, bool multiLine);
    bool columnMultiLine(int column) const;

    // Redrawing: a counter, so nested off/on pairs work.
    void redrawOff();
    void redrawOn();
    bool isRedrawOn() const { return m_redrawOff == 0; }
    void refresh();

    // A row's identity that survives insertions, removals and sorting of other rows (ids are
    // never reused within one model). rowOfId gives -1 once the row is gone.
    RowId rowId(int row) const;
    int rowOfId(RowId id) const;

private:
    struct Cell
    {
        quint16 name;
        QString value;
    };
    struct Row
    {
        RowId id = 0;
        int index = 0;
        int level = 0;
        int childPos = 0;
        int descendants = 0;
        Row* parent = nullptr;
        std::vector<Row*> children;
        QString text;
        qint16 check = 0;
        qint16 picture = NoPicture;
        color::ColorRef back = color::kDefault;
        color::ColorRef fore = color::kDefault;
        std::vector<Cell> cells;
    };

    Row* at(int row) const { return isValidRow(row) ? m_rows[size_t(row)].get() : nullptr; }
    int insertRow(Row* parent, const QString& text);
    void renumber(int from);
    void renumberChildren(std::vector<Row*>& siblings, int from);
    int findNameId(const QString& name) const;
    int internName(const QString& name);
    const QString* findCellValue(const Row& row, int nameId) const;
    template <typename F> void notify(F f);
    void rowChanged(Row* row);
    void columnsChanged();

    std::vector<std::unique_ptr<Row>> m_rows;
    std::vector<Row*> m_top;
    QHash<RowId, Row*> m_byId;
    RowId m_nextId = 1;
    QHash<QString, quint16> m_cellNames;
    std::vector<Column> m_columns;
    int m_redrawOff = 0;
    bool m_dirty = false;
    std::vector<TreeListListener*> m_listeners;
};

// Receives a model's changes, for the screen. Rows are given by index; a row about to be
// inserted is described by its parent (-1 for top level) and its position among the parent's
// children. Between redrawOff and redrawOn only redrawSwitched(false) is heard, then
// redrawSwitched(true) and, when anything changed meanwhile, listReset().
class TreeListListener
{
public:
    virtual ~TreeListListener() = default;
    virtual void rowAboutToBeInserted(int parentRow, int position) = 0;
    virtual void rowInserted(int row) = 0;
    virtual void rowAboutToBeRemoved(int row) = 0;
    virtual void rowRemoved(int parentRow, int position) = 0;
    // Text, check state, picture or colours; cells are not shown, so they are not reported.
    virtual void rowChanged(int row) = 0;
    virtual void childrenAboutToBeSorted(int parentRow) = 0;
    virtual void childrenSorted(int parentRow) = 0;
    virtual void listAboutToBeReset() = 0;
    virtual void listReset() = 0;
    virtual void columnsChanged() = 0;
    virtual void redrawSwitched(bool on) = 0;
    virtual void refreshRequested() = 0;
};

} // namespace kv
