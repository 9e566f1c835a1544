#include "TreeListDelegate.h"

#include "ScreenColor.h"
#include "grid/TreeListModel.h"

#include <QApplication>
#include <QStyle>

namespace kv::gui {

namespace {

QStyle* styleOf(const QStyleOptionViewItem& opt)
{
    return opt.widget ? opt.widget->style() : QApplication::style();
}

// A COLORREF role of the model as a screen colour; invalid for the grid's own colour.
QColor roleColor(const QModelIndex& index, int role, const QPalette& palette)
{
    const QVariant v = index.data(role);
    return v.isValid() ? screenColor(color::ColorRef(v.toUInt()), palette) : QColor();
}

} // namespace

void TreeListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (!m_showMarks)
        option->features &= ~QStyleOptionViewItem::HasCheckIndicator;
    const QVariant picture = index.data(TreeListModel::PictureRole);
    if (picture.isValid()) {
        const QPixmap pm = m_pictures.picture(TreeListModel::Picture(picture.toInt()));
        if (!pm.isNull()) {
            option->icon = QIcon(pm);
            option->features |= QStyleOptionViewItem::HasDecoration;
        }
    }
    if (const QColor back = roleColor(index, TreeListModel::BackColorRole, option->palette);
        back.isValid())
        option->backgroundBrush = back;
    if (const QColor fore = roleColor(index, TreeListModel::ForeColorRole, option->palette);
        fore.isValid())
        option->palette.setColor(QPalette::Text, fore);
}

QRect TreeListDelegate::pictureRect(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!(opt.features & QStyleOptionViewItem::HasDecoration))
        return {};
    return styleOf(opt)->subElementRect(QStyle::SE_ItemViewItemDecoration, &opt, opt.widget);
}

QRect TreeListDelegate::markRect(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!(opt.features & QStyleOptionViewItem::HasCheckIndicator))
        return {};
    return styleOf(opt)->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, opt.widget);
}

} // namespace kv::gui
