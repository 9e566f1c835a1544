#pragma once

#include "util/ColorRef.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

namespace kv {

// The data behind every tree-list grid of the program (the item grid and its scratch twin, the
// current-folder tree, the synchronise grid, the drag list), and the item model the screen's
// views show. Rows are kept in tree order and addressed by their index in that order; a row
// added at the end is a top-level row (level 0, no parent), so in grids with a root row the root
// is row 0 and everything else hangs below it. A child is inserted after its parent's last
// descendant, so children keep the order in which they were added.
//
// Per row: a text (columns of the multi-column grid separated by TAB), a check state, a picture,
// back and fore colours (color::ColorRef, color::kDefault for the grid's own) and any number of
// named cells. Cell names are compared without regard to case and stored once per model, so
// fifty thousand rows with the same few cells cost little more than their values.
//
// Changes are reported one at a time through the item-model signals. Between redrawOff() and
// the matching redrawOn() nothing is reported row by row; views hear one reset when redrawing
// comes back on. Indexes carry the row's stable id rather than a pointer, so an index a view
// still holds for a row that went away meanwhile reads as empty instead of touching freed
// memory. How pictures and colours look is the view's business: the model hands out their
// numbers in its own roles.
//
// Out-of-range rows are ignored by setters and give empty values, -1 or false from getters.
class TreeListModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    using RowId = quint32;

    // Pictures the grids use; the screen decides what they look like.
    enum class Picture : qint16
    {
        None = -1,
        Unticked = 0,
        Ticked = 1,
        Unavailable = 2,
        RootOE4 = 5,
        RootOE5 = 6,
        Folder = 7,
    };

    enum class SortMode
    {
        Text,       // ordinal comparison of the texts
        TextNoCase, // the same, letter case ignored
        Numeric,    // as numbers; texts that are not numbers count as 0
    };

    enum Role
    {
        PictureRole = Qt::UserRole + 1, // the Picture as an int, in the first column
        BackColorRole,                  // color::ColorRef; absent for the grid's own colour
        ForeColorRole,
    };

    explicit TreeListModel(QObject* parent = nullptr);
    ~TreeListModel() override;

    // Rows.
    void clear();
    int addRow(const QString& text);
    // -1 when the parent row does not exist.
    int addChild(int parentRow, const QString& text);
    // Removes the row and every row below it; false when the row does not exist.
    bool removeRowAt(int row);
    // All rows, at any depth (rowCount() counts the top-level rows, as views expect).
    int totalRowCount() const { return int(m_rows.size()); }
    bool isValidRow(int row) const { return row >= 0 && row < totalRowCount(); }

    QString text(int row) const;
    void setText(int row, const QString& text);
    int level(int row) const;
    // -1 for a top-level row.
    int parentRow(int row) const;
    bool hasChildren(int row) const;
    // Direct children of a row, or the top-level rows when row is -1.
    int childCount(int row) const;
    // The k-th direct child (0-based) of a row, or of the top level when row is -1.
    int child(int row, int k) const;
    // The row's position among its parent's children (or among the top-level rows).
    int childPosition(int row) const;
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

    // Check state (0 unticked, 1 ticked, 2 not available), picture and colours.
    int checkState(int row) const;
    void setCheckState(int row, int state);
    Picture picture(int row) const;
    void setPicture(int row, Picture picture);
    color::ColorRef backColor(int row) const;
    void setBackColor(int row, color::ColorRef color);
    color::ColorRef foreColor(int row) const;
    void setForeColor(int row, color::ColorRef color);

    // Columns of the multi-column grid; a grid without definitions shows one untitled column.
    void setColumnCount(int count);
    int definedColumnCount() const { return int(m_columns.size()); }
    void setColumnHeading(int column, const QString& heading);
    QString columnHeading(int column) const;
    void setColumnWidth(int column, int twips);
    int columnWidth(int column) const;
    void setColumnMultiLine(int column, bool multiLine);
    bool columnMultiLine(int column) const;
    // The text of one column of a row: the row text split at TAB, the last column taking the
    // rest of the text.
    static QString columnText(const QString& rowText, int column, int columns);

    // Redrawing: a counter, so nested off/on pairs work.
    void redrawOff();
    void redrawOn();
    bool isRedrawOn() const { return m_redrawOff == 0; }
    void refresh();

    // A row's identity that survives insertions, removals and sorting of other rows (ids are
    // never reused within one model). rowOfId gives -1 once the row is gone.
    RowId rowId(int row) const;
    int rowOfId(RowId id) const;

    // The grid row of an index (-1 for the invisible root or a row that is gone) and back.
    int rowOf(const QModelIndex& index) const;
    QModelIndex indexOfRow(int row, int column = 0) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    using QObject::parent;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    void redrawSwitched(bool on);
    void refreshRequested();

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
        Picture picture = Picture::None;
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
    bool reporting();
    void rowChanged(Row* row);
    void columnsChanged(bool countChanged);
    QString displayText(int row, int column) const;

    std::vector<std::unique_ptr<Row>> m_rows;
    std::vector<Row*> m_top;
    QHash<RowId, Row*> m_byId;
    RowId m_nextId = 1;
    QHash<QString, quint16> m_cellNames;
    struct Column
    {
        QString heading;
        int widthTwips = 1440;
        bool multiLine = false;
    };
    std::vector<Column> m_columns;
    // The column count views were last told of; it changes only with a reset.
    int m_shownColumns = 1;
    int m_redrawOff = 0;
    bool m_dirty = false;
};

} // namespace kv
