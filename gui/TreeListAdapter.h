#pragma once

#include "GridPictures.h"
#include "util/TreeListModel.h"

#include <QAbstractItemModel>

namespace kv::gui {

// Shows a core tree-list grid to Qt's item views. The grid stays the one place that holds the
// rows; this adapter answers the views from it and turns its change reports into the item-model
// signals: one insertion, removal or data change at a time while the grid redraws, one reset
// after the grid's redrawing was switched off and on again.
//
// Indexes carry the grid's stable row id rather than a pointer or a row number, so an index a
// view still holds for a row that went away while redrawing was off reads as empty instead of
// pointing at freed memory.
class TreeListAdapter : public QAbstractItemModel, private TreeListListener
{
    Q_OBJECT

public:
    enum Role
    {
        RowRole = Qt::UserRole + 1, // the row's index in the grid
        CheckValueRole,             // the check state as the grid holds it (0, 1, 2, ...)
        PictureRole,                // the picture number
        LevelRole,
    };

    explicit TreeListAdapter(TreeListModel& grid, QObject* parent = nullptr);
    ~TreeListAdapter() override;

    TreeListModel& grid() const { return m_grid; }

    // The grid row of an index (-1 for the invisible root or a row that is gone) and back.
    int rowOf(const QModelIndex& index) const;
    QModelIndex indexOfRow(int row, int column = 0) const;

    // Whether the check state is also shown as a check box before the picture. The item grid
    // shows its check states as pictures, so this is off unless a grid asks for it.
    void setShowMarks(bool show);
    bool showMarks() const { return m_showMarks; }

    int columnCount() const { return std::max(1, m_grid.columnCount()); }
    // The text of one column of a row: the row text split at TAB, the last column taking the
    // rest of the text.
    static QString columnText(const QString& rowText, int column, int columns);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

Q_SIGNALS:
    void gridRedrawSwitched(bool on);
    void gridRefreshRequested();
    // Headings or widths changed, the column count did not.
    void columnsRedefined();

private:
    void rowAboutToBeInserted(int parentRow, int position) override;
    void rowInserted(int row) override;
    void rowAboutToBeRemoved(int row) override;
    void rowRemoved(int parentRow, int position) override;
    void rowChanged(int row) override;
    void childrenAboutToBeSorted(int parentRow) override;
    void childrenSorted(int parentRow) override;
    void listAboutToBeReset() override;
    void listReset() override;
    void columnsChanged() override;
    void redrawSwitched(bool on) override;
    void refreshRequested() override;

    TreeListModel& m_grid;
    GridPictures m_pictures;
    int m_columns = 1;
    bool m_showMarks = false;
};

} // namespace kv::gui
