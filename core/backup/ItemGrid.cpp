#include "backup/ItemGrid.h"

#include "grid/TreeListModel.h"

namespace kv {

QString folderNumberText(qint64 n)
{
    if (n == 0)
        return QStringLiteral("  ");
    const QString h = (QStringLiteral("00000000") +
                       QString::number(quint32(qint32(n)), 16).toUpper())
                          .right(8);
    auto pairs = [&h](int count) {
        QString out;
        for (int i = 8 - 2 * count; i < 8; i += 2) {
            if (!out.isEmpty())
                out += QLatin1Char(' ');
            out += h.mid(i, 2);
        }
        return out;
    };
    if (n < 0)
        return pairs(2);
    if (n < 256)
        return h.right(2);
    if (n < 65536)
        return pairs(2);
    return pairs(4);
}

int itemKind(const TreeListModel& grid, int row)
{
    return grid.cell(row, cell::Type).toInt();
}

qint64 itemFileSize(const TreeListModel& grid, int row)
{
    return grid.cell(row, cell::FileSize).toLongLong();
}

qint64 itemCount(const TreeListModel& grid, int row)
{
    return grid.cell(row, cell::Counts).toLongLong();
}

} // namespace kv
