#include "restore/ItemListReader.h"

#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "grid/TreeListModel.h"
#include "platform/Ansi.h"

#include <QHash>
#include <QLoggingCategory>
#include <QStringList>

namespace kv {

namespace {

Q_LOGGING_CATEGORY(lcItemList, "kv.restore.itemlist")

using Picture = TreeListModel::Picture;

// More rows than any store has folders; past this the list is damaged, and the grid's
// insertions would only grow slower.
constexpr int kMaxRows = 50000;

// The item kind each tag stands for; the old layout has no kind field and takes it from here.
// 0: a tag the restore does not show.
int kindOfTag(const QString& tag)
{
    static const QHash<QString, int> kinds{
        {QStringLiteral("MBX"), int(ItemKind::MailFolder)},
        {QStringLiteral("DBX"), int(ItemKind::MailFolder)},
        {QStringLiteral("WAB"), int(ItemKind::AddressBook)},
        {QStringLiteral("NEWS"), int(ItemKind::Oe4NewsAccount)},
        {QStringLiteral("FAVS"), int(ItemKind::Favorites)},
        {QStringLiteral("RULE"), int(ItemKind::Rules)},
        {QStringLiteral("PREF"), int(ItemKind::Preferences)},
        {QStringLiteral("ACCT"), int(ItemKind::Accounts)},
        {QStringLiteral("SIGS"), int(ItemKind::Signatures)},
        {QStringLiteral("BLOK"), int(ItemKind::BlockSenders)},
        {QStringLiteral("DUN"), int(ItemKind::RemoteAccess)},
    };
    return kinds.value(tag.toUpper(), 0);
}

color::ColorRef backColorOf(int kind)
{
    switch (kind) {
    case int(ItemKind::NewsGroup):
    case int(ItemKind::Oe4NewsAccount):
        return itemcolor::News;
    case int(ItemKind::AddressBook):
        return itemcolor::AddressBook;
    case int(ItemKind::Favorites):
        return itemcolor::Other;
    default:
        return isSettingsGroup(kind) ? itemcolor::Other : color::kDefault;
    }
}

// The earlier release wrote no kind field and listed only what it saved: its lines are made
// into current ones so that one parser reads both.
QString currentLineOf(QStringList fields)
{
    while (fields.size() < 9)
        fields.append(QString());
    fields[5] = QStringLiteral("1");
    if (fields[6].isEmpty())
        fields[6] = QStringLiteral("0");
    fields[7] = QString::number(kindOfTag(fields[0]));
    if (kindOfTag(fields[0]) == int(ItemKind::AddressBook))
        fields[2] = QStringLiteral("Windows Address Book (WAB)");
    return fields.join(u'\t');
}

void header(const QString& line, ItemListReader::Result* result)
{
    const qsizetype colon = line.indexOf(u':');
    if (colon >= 0) {
        const qsizetype brace = line.indexOf(u'{', colon + 1);
        result->captionText = line.mid(colon + 1, brace < 0 ? -1 : brace - colon - 1);
    }
    result->currentLayout = line.startsWith(QLatin1String("V5"), Qt::CaseInsensitive);
    // The id is the last word; a backup without identities ends the line with blanks.
    if (result->currentLayout)
        result->identityId = line.split(u' ').constLast();
}

} // namespace

ItemListReader::Result ItemListReader::fill(const QByteArray& bytes, const Options& options,
                                            TreeListModel& grid)
{
    Result result;
    grid.redrawOff();
    grid.clear();
    const int root = grid.addRow(QStringLiteral("Outlook Express"));
    grid.setCell(root, cell::FolderNo, QStringLiteral("00"));
    grid.setPicture(root, options.oe5 ? Picture::RootOE5 : Picture::RootOE4);
    if (bytes.size() > kMaxBytes) {
        qCWarning(lcItemList) << "item list of" << bytes.size() << "bytes refused; at most"
                              << kMaxBytes;
        grid.redrawOn();
        return result;
    }
    result.ok = true;

    const QStringList lines = ansi::toUnicode(bytes).split(u'\n');
    header(lines.value(0).chopped(lines.value(0).endsWith(u'\r') ? 1 : 0), &result);
    // Folder numbers of the rows added so far; ids, since insertions move rows.
    QHash<int, TreeListModel::RowId> added;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QString line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(u'\t');
        const QString tag = fields[0].toUpper();
        if (tag == QLatin1String("NCH"))
            continue; // the folder index, not an item
        const auto skip = [&](const char* why) {
            qCWarning(lcItemList) << "item list line" << n + 1 << why << "- left out:" << line;
            ++result.linesSkipped;
        };
        ItemListRecord rec;
        if (kindOfTag(tag) == 0) {
            skip("has an unknown kind");
            continue;
        }
        if (!ItemListRecord::parse(result.currentLayout ? line : currentLineOf(fields), &rec)) {
            skip("is damaged");
            continue;
        }
        if (tag == QLatin1String("WAB")) {
            result.addressBookFile = rec.name;
            if (!options.addressBookRegistered)
                rec.state = kNotSelected; // nowhere to put it
        }
        const bool folder = tag == QLatin1String("MBX") || tag == QLatin1String("DBX");
        if (!folder && (options.synchronise || (tag == QLatin1String("DUN") && options.ntFamily)))
            continue;
        if (rec.rowText.isEmpty()) {
            skip("has no text");
            continue;
        }
        if (result.rowsAdded >= kMaxRows) {
            skip("is past the most rows a list can have");
            break;
        }

        int parent = root;
        if (rec.parentRow != 0) {
            const auto it = added.constFind(rec.parentRow);
            if (it != added.cend())
                parent = grid.rowOfId(*it);
            else
                qCWarning(lcItemList) << "item list line" << n + 1 << "names parent"
                                      << rec.parentRow << "before any such row; shown at the top";
        }
        const int row = grid.addChild(parent, rec.rowText);
        if (!added.contains(rec.row))
            added.insert(rec.row, grid.rowId(row));
        const bool saved = rec.state == kSelected;
        grid.setCell(row, cell::FolderNo, QString::number(rec.row));
        grid.setCell(row, cell::FlgSave, QString::number(rec.state));
        grid.setCell(row, cell::MbxName, rec.name);
        grid.setCell(row, cell::Counts, QString::number(rec.count));
        grid.setCell(row, cell::Type, QString::number(rec.kind));
        grid.setCell(row, cell::HasData, saved ? QStringLiteral("Y") : QStringLiteral("N"));
        grid.setCell(row, cell::HasIdx, rec.hasIndex ? QStringLiteral("Y") : QStringLiteral("N"));
        grid.setCheckState(row, saved ? kNotSelected : kNotAvailable);
        grid.setPicture(row, saved ? Picture::Unticked : Picture::Unavailable);
        if (!saved)
            grid.setForeColor(row, color::system(color::GrayText));
        grid.setBackColor(row, backColorOf(rec.kind));
        ++result.rowsAdded;
    }
    grid.redrawOn();
    return result;
}

int ItemListReader::markAllFolders(TreeListModel& grid)
{
    int marked = 0;
    for (int row = 1; row < grid.totalRowCount(); ++row) {
        if (itemKind(grid, row) >= int(ItemKind::AddressBook) ||
            grid.checkState(row) == kNotAvailable)
            continue;
        grid.setCheckState(row, kSelected);
        grid.setPicture(row, Picture::Ticked);
        ++marked;
    }
    return marked;
}

QString ItemListReader::windowCaption(const Result& result, bool synchronise)
{
    return (synchronise ? QStringLiteral("Synchronizing from: ")
                        : QStringLiteral("Restoring from: ")) +
           result.captionText;
}

} // namespace kv
