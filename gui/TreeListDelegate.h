#pragma once

#include <QStyledItemDelegate>

namespace kv::gui {

// Draws the grid's cells as Qt's styled delegate does, and tells the view where a cell's
// picture and mark are, measured exactly as they are drawn, so that a click is judged against
// what the user sees.
class TreeListDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Empty when the cell has no picture (or no mark).
    QRect pictureRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    QRect markRect(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

} // namespace kv::gui
