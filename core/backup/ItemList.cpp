#include "backup/ItemList.h"

#include "backup/ItemGrid.h"
#include "grid/TreeListModel.h"
#include "platform/WinPath.h"

#include <QLocale>

namespace kv {

namespace {
constexpr QChar kTab = u'\t';
}

QString ItemListRecord::line() const
{
    const QStringList fields{tag,
                             name,
                             rowText,
                             QString::number(row),
                             QString::number(parentRow),
                             QString::number(state),
                             QString::number(count),
                             QString::number(kind),
                             hasIndex ? QStringLiteral("IDX") : QString()};
    return fields.join(kTab);
}

bool ItemListRecord::parse(const QString& line, ItemListRecord* out)
{
    const QStringList f = line.split(kTab);
    if (f.size() < 8)
        return false;
    bool ok[5] = {};
    ItemListRecord r;
    r.tag = f[0];
    r.name = f[1];
    r.rowText = f[2];
    r.row = f[3].toInt(&ok[0]);
    r.parentRow = f[4].toInt(&ok[1]);
    r.state = f[5].toInt(&ok[2]);
    r.count = f[6].toLongLong(&ok[3]);
    r.kind = f[7].toInt(&ok[4]);
    r.hasIndex = f.value(8) == QLatin1String("IDX");
    for (bool b : ok)
        if (!b)
            return false;
    *out = r;
    return true;
}

namespace ItemList {

QString dateText(const QDateTime& when)
{
    return QLocale::c().toString(when, QStringLiteral("ddd MMM dd, yyyy @ hh:mm AP"));
}

QString headerLine(const QDateTime& when, const QString& identityId)
{
    return QStringLiteral("V5 - Korvane Backup started: ") + dateText(when) + QStringLiteral("  ") +
           identityId;
}

QString folderIndexLine(bool oe5)
{
    return QStringLiteral("NCH") + kTab +
           (oe5 ? QStringLiteral("Folders.dbx") : QStringLiteral("Folders.nch"));
}

QString tagFor(int kind)
{
    if (isFolderKind(kind))
        return QStringLiteral("MBX");
    switch (ItemKind(kind)) {
    case ItemKind::AddressBook:
        return QStringLiteral("WAB");
    case ItemKind::Oe4NewsAccount:
        return QStringLiteral("NEWS");
    case ItemKind::Favorites:
        return QStringLiteral("FAVS");
    case ItemKind::Rules:
        return QStringLiteral("RULE");
    case ItemKind::Preferences:
        return QStringLiteral("PREF");
    case ItemKind::Accounts:
        return QStringLiteral("ACCT");
    case ItemKind::Signatures:
        return QStringLiteral("SIGS");
    case ItemKind::BlockSenders:
        return QStringLiteral("BLOK");
    case ItemKind::RemoteAccess:
        return QStringLiteral("DUN");
    default:
        return {};
    }
}

ItemListRecord recordFor(const TreeListModel& grid, int row, bool hasIndex)
{
    ItemListRecord r;
    r.kind = itemKind(grid, row);
    r.tag = tagFor(r.kind);
    const QString data = grid.cell(row, cell::MbxName);
    if (r.kind == int(ItemKind::AddressBook) || r.kind == int(ItemKind::Favorites))
        r.name = data.mid(3); // stored names carry no drive
    else if (isSettingsGroup(r.kind))
        r.name = winpath::fileName(data);
    else
        r.name = data;
    r.rowText = grid.text(row);
    r.row = row;
    r.parentRow = qMax(0, grid.parentRow(row));
    r.state = grid.checkState(row);
    r.count = itemCount(grid, row);
    r.hasIndex = hasIndex;
    return r;
}

} // namespace ItemList
} // namespace kv
