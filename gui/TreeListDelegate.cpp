#include "TreeListDelegate.h"

#include <QApplication>
#include <QStyle>

namespace kv::gui {

namespace {

QStyle* styleOf(const QStyleOptionViewItem& opt)
{
    return opt.widget ? opt.widget->style() : QApplication::style();
}

} // namespace

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
