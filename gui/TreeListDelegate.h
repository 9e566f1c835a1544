#pragma once

#include "GridPictures.h"

#include <QStyledItemDelegate>

namespace kv::gui {

// Draws the grid's cells as Qt's styled delegate does, with the look the model leaves to the
// screen: the row picture from its number, the colours from their COLORREFs (system colours
// through the palette) and, only where the grid's owner wants mark clicks, the check state as a
// check box. It also tells the view where a cell's picture and mark are, measured exactly as
// they are drawn, so that a click is judged against what the user sees.
class TreeListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void setShowMarks(bool show) { m_showMarks = show; }
    bool showMarks() const { return m_showMarks; }

    // Empty when the cell has no picture (or no mark).
    QRect pictureRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QRect markRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    GridPictures m_pictures;
    bool m_showMarks = false;
};

} // namespace kv::gui
