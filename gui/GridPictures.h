#pragma once

#include "grid/TreeListModel.h"

#include <QHash>
#include <QPixmap>

namespace kv::gui {

// The row pictures of the tree-list grids, by the picture numbers the core uses
// (TreeListModel::Picture): the three check-state pictures of the item grid, the two root
// pictures and the folder picture. Drawn once per size and kept; an unknown number gives a
// null pixmap, so the row shows no picture.
class GridPictures
{
public:
    static constexpr int kSize = 16;

    QPixmap picture(TreeListModel::Picture picture) const;

private:
    // Held by the delegate that draws them rather than statically, so that no pixmap outlives the
    // application object.
    mutable QHash<int, QPixmap> m_cache;
};

} // namespace kv::gui
