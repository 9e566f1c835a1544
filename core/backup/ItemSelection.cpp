#include "backup/Inventory.h"
#include "backup/SettingsExport.h"
#include "grid/TreeListModel.h"
#include "shell/Strings.h"

#include <QLocale>

namespace kv {

namespace {

// "###,##0": whole numbers with "," between thousands, whatever the user's locale.
QString grouped(qint64 n)
{
    QString digits = QString::number(n < 0 ? -n : n);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3)
        digits.insert(at, QLatin1Char(','));
    return n < 0 ? QLatin1Char('-') + digits : digits;
}

QString kiloBytes(qint64 bytes)
{
    return grouped(qRound64(double(bytes) / 1024.0)) + QStringLiteral(" KBytes");
}

} // namespace

ItemSelection::ItemSelection(TreeListModel& grid, InventoryTotals& totals)
    : m_grid(grid), m_totals(totals)
{
}

bool ItemSelection::toggle(int row)
{
    if (row < 1 || !m_grid.isValidRow(row))
        return false;
    const int state = m_grid.checkState(row);
    if (state == kNotAvailable)
        return false;
    const int next = state == kSelected ? kNotSelected : kSelected;
    const qint64 size = itemFileSize(m_grid, row);
    m_grid.setCheckState(row, next);
    m_grid.setCell(row, cell::FlgSave, QString::number(next));
    m_grid.setPicture(row, next == kSelected ? TreeListModel::Picture::Ticked
                                             : TreeListModel::Picture::Unticked);
    m_totals.selectedSize += next == kSelected ? size : -size;
    m_totals.selectedCount += next == kSelected ? 1 : -1;
    return true;
}

QList<int> ItemSelection::selectAll()
{
    QList<int> changed;
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        if (m_grid.checkState(row) == kNotSelected && toggle(row))
            changed << row;
    recount();
    return changed;
}

QList<int> ItemSelection::clearAll()
{
    QList<int> changed;
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        if (m_grid.checkState(row) == kSelected && toggle(row))
            changed << row;
    recount();
    return changed;
}

void ItemSelection::recount()
{
    m_totals.itemCount = qMax(0, m_grid.totalRowCount() - 1);
    m_totals.selectedCount = 0;
    m_totals.selectedSize = 0;
    for (int row = 1; row < m_grid.totalRowCount(); ++row) {
        if (m_grid.checkState(row) != kSelected)
            continue;
        ++m_totals.selectedCount;
        m_totals.selectedSize += itemFileSize(m_grid, row);
    }
}

QString ItemSelection::countText() const
{
    return QString::number(m_totals.selectedCount) + Strings::get(StringId::Of) +
           QString::number(m_totals.itemCount) + Strings::get(StringId::Items);
}

QString ItemSelection::totalSizeText() const
{
    return kiloBytes(m_totals.selectedSize);
}

QString ItemSelection::estimateText() const
{
    return kiloBytes(estimatedBytes());
}

qint64 ItemSelection::estimatedBytes() const
{
    return qRound64(double(m_totals.selectedSize) * 0.6);
}

bool ItemSelection::wabWarningVisible() const
{
    const int row = m_totals.wabRow;
    return row > 0 && m_grid.isValidRow(row) && m_grid.checkState(row) == kNotSelected &&
           m_grid.cell(row, cell::HasData) == QLatin1String("Y");
}

bool ItemSelection::wabCautionDue(int row) const
{
    return row == m_totals.wabRow && row >= 1 && m_totals.outlookContactsInUse &&
           m_grid.checkState(row) == kSelected;
}

QString ItemSelection::detailsText(const TreeListModel& grid, int row, bool backup)
{
    const int kind = itemKind(grid, row);
    const QString display = grid.cell(row, cell::Display);
    const QString blanks(14, QLatin1Char(' '));
    QString text;
    if (isSettingsGroup(kind)) {
        text = QStringLiteral("Registry Settings : ") + display + blanks;
        if (const SettingsGroup* group = settingsGroup(ItemKind(kind)))
            text += QLatin1Char('\n') + group->heading;
    } else {
        text = QStringLiteral("Folder : ") + display + blanks;
    }
    if (grid.cell(row, cell::HasData) != QLatin1String("Y"))
        return text;
    const bool folder = kind < 10;
    const bool favorites = kind == int(ItemKind::Favorites);
    if (folder)
        text += QStringLiteral("\nMessage Count: ") + grid.cell(row, cell::Counts);
    else if (favorites)
        text += QStringLiteral("\nItem Count: ") + grid.cell(row, cell::Counts);
    if (backup && (folder || favorites)) {
        text += (folder ? QStringLiteral("\nFile Size: ") : QStringLiteral("\nTotal Size: ")) +
                grouped(itemFileSize(grid, row)) + QStringLiteral(" Bytes");
    }
    return text;
}

} // namespace kv
