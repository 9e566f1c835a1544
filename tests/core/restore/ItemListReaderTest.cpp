// The item list read back into the restore page's rows: ours, the earlier release's, damaged.
#include "restore/ItemListReader.h"
#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "grid/TreeListModel.h"
#include "platform/Ansi.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace kv {
namespace {

const QString kId = QStringLiteral("{6A3C1F20-5B2E-4D11-9C11-000000000001}");

struct SourceRow
{
    int parent; // grid row, -1 for the root
    const char* text;
    ItemKind kind;
    int state;
    const char* file;
    int count;
};

// A backup's grid as the inventory and the run leave it: "Local Folders" only the parent of a
// saved folder, one newsgroup, the address book and two settings groups.
const SourceRow kSource[] = {
    {-1, "Outlook Express", ItemKind::MailHeader, 0, "", 0},
    {0, "Local Folders", ItemKind::MailFolderNoFile, 2, "", 0},
    {1, "Inbox", ItemKind::MailFolder, 1, "Inbox.dbx", 120},
    {2, "Caf\u00e9 orders", ItemKind::MailFolder, 1, "Caf\u00e9 orders.dbx", 7},
    {1, "Sent Items", ItemKind::MailFolder, 1, "Sent Items.dbx", 3},
    {0, "news.example.com", ItemKind::NewsServer, 2, "", 0},
    {5, "comp.lang.c", ItemKind::NewsGroup, 1, "comp.lang.c.dbx", 900},
    {-1, "Windows Address Book (WAB)", ItemKind::AddressBook, 1, "C:\\ab\\tester.wab", 0},
    {-1, "Message Rules", ItemKind::Rules, 1, "C:\\tmp\\Rules.reg", 0},
    {-1, "Dial-Up Networking", ItemKind::RemoteAccess, 1, "C:\\tmp\\Dun.reg", 0},
};

QByteArray writtenList(bool crlf)
{
    TreeListModel grid;
    for (const SourceRow& s : kSource) {
        const int r = s.parent < 0 ? grid.addRow(QString::fromUtf8(s.text))
                                   : grid.addChild(s.parent, QString::fromUtf8(s.text));
        grid.setCell(r, cell::Type, QString::number(int(s.kind)));
        grid.setCell(r, cell::MbxName, QString::fromUtf8(s.file));
        grid.setCell(r, cell::Counts, QString::number(s.count));
        grid.setCheckState(r, s.state);
    }
    QStringList lines{ItemList::headerLine(QDateTime(QDate(2026, 3, 4), QTime(9, 5)), kId),
                      ItemList::folderIndexLine(true)};
    for (int r = 1; r < grid.totalRowCount(); ++r)
        if (grid.checkState(r) > 0)
            lines << ItemList::recordFor(grid, r, false).line();
    return ansi::fromUnicode(lines.join(crlf ? QStringLiteral("\r\n") : QStringLiteral("\n")) +
                             QStringLiteral("\r\n"));
}

QStringList texts(const TreeListModel& grid)
{
    QStringList out;
    for (int r = 0; r < grid.totalRowCount(); ++r)
        out << QString(grid.level(r), u' ') + grid.text(r);
    return out;
}

// The situation decides which rows appear; every row comes back as the backup wrote it.
TEST(ItemListReader, ReadsBackWhatTheBackupWrote)
{
    const QString folders = QStringLiteral("Outlook Express| Local Folders|  Inbox|   Caf\u00e9 "
                                           "orders|  Sent Items| news.example.com|  comp.lang.c");
    const QString book = QStringLiteral("| Windows Address Book (WAB)| Message Rules");
    using O = ItemListReader::Options;
    // options (synchronise, oe5, address book registered, NT family), line ends, rows, book check
    const std::tuple<O, bool, QString, int> cases[] = {
        {O{false, true, true, false}, true, {}, kNotSelected},
        {O{false, true, true, false}, false, {}, kNotSelected},
        {O{false, true, true, true}, true, folders + book, kNotSelected},
        {O{true, true, true, false}, true, folders, -1},
    };
    for (const auto& [options, crlf, rows, bookCheck] : cases) {
        SCOPED_TRACE(rows.toStdString());
        TreeListModel grid;
        const auto read = ItemListReader::fill(writtenList(crlf), options, grid);
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.rowsAdded, grid.totalRowCount() - 1);
        const int bookRow = grid.findCell(cell::Type, QStringLiteral("10"));
        EXPECT_EQ(bookRow < 0 ? -1 : grid.checkState(bookRow), bookCheck);
        if (!rows.isEmpty()) {
            EXPECT_EQ(texts(grid).join(u'|'), rows);
            continue;
        }
        EXPECT_TRUE(read.currentLayout);
        EXPECT_EQ(read.identityId, kId);
        EXPECT_EQ(ItemListReader::windowCaption(read, false),
                  QStringLiteral("Restoring from:  Wed Mar 04, 2026 @ 09:05 AM  "));
        EXPECT_EQ(read.addressBookFile, QStringLiteral("ab\\tester.wab"));
        EXPECT_EQ(read.linesSkipped, 0);
        ASSERT_EQ(grid.totalRowCount(), int(std::size(kSource)));
        // The backup's top-level rows hang below the restore page's root.
        for (int r = 1; r < grid.totalRowCount(); ++r) {
            const SourceRow& s = kSource[r];
            SCOPED_TRACE(s.text);
            EXPECT_EQ(grid.text(r), QString::fromUtf8(s.text));
            EXPECT_EQ(grid.parentRow(r), qMax(0, s.parent));
            EXPECT_EQ(grid.cell(r, cell::FolderNo), QString::number(r));
            EXPECT_EQ(itemKind(grid, r), int(s.kind));
            EXPECT_EQ(itemCount(grid, r), s.count);
            EXPECT_EQ(grid.checkState(r), s.state == 1 ? kNotSelected : kNotAvailable);
        }
        EXPECT_EQ(grid.cell(3, cell::MbxName), QStringLiteral("Caf\u00e9 orders.dbx"));
        EXPECT_EQ(grid.cell(8, cell::MbxName), QStringLiteral("Rules.reg"));
    }
}

TEST(ItemListReader, ReadsTheEarlierReleasesLists)
{
    const QByteArray list = "Korvane Backup started: Mon Jan 05, 1998 @ 10:00 PM\r\n"
                            "MBX\tInbox.mbx\tInbox\t1\t0\t0\t12\r\n"
                            "mbx\tWork.mbx\tWork\t2\t1\t0\t5\t\tIDX\r\n"
                            "WAB\tWindows\\tester.wab\tAddress book\t3\t0\r\n"
                            "NEWS\tnews.example.com\tnews.example.com\t4\t0\t\t\r\n"
                            "FAVS\tWindows\\Favorites\tFavorites\t5\t0\r\n";
    TreeListModel grid;
    const auto read = ItemListReader::fill(list, {}, grid);
    EXPECT_FALSE(read.currentLayout);
    EXPECT_EQ(read.identityId, QString());
    EXPECT_EQ(read.captionText, QStringLiteral(" Mon Jan 05, 1998 @ 10:00 PM"));
    EXPECT_EQ(read.addressBookFile, QStringLiteral("Windows\\tester.wab"));
    EXPECT_EQ(texts(grid).join(u'|'),
              QStringLiteral("Outlook Express| Inbox|  Work| Windows Address Book (WAB)"
                             "| news.example.com| Favorites"));
    const int kinds[] = {2, 2, 10, 20, 30};
    for (int r = 1; r < grid.totalRowCount(); ++r)
        EXPECT_EQ(itemKind(grid, r), kinds[r - 1]) << r;
    EXPECT_EQ(grid.cell(2, cell::HasIdx), QStringLiteral("Y"));
    EXPECT_EQ(itemCount(grid, 1), 12);
}

TEST(ItemListReader, DamagedLinesAreLeftOutOrShownAtTheTop)
{
    const QByteArray head = "V5 - Korvane Backup started: Mon  {X}\r\nNCH\tFolders.dbx\r\n"
                            "MBX\tA.dbx\tA\t1\t0\t1\t1\t2\t\r\n";
    const std::tuple<const char*, const char*, int> cases[] = {
        // line, rows after A, skipped
        {"MBX\tB.dbx\tB\t2\t1\t1\t1\t2\t", "|  B", 0},
        {"MBX\tB.dbx\tB\t2\t9\t1\t1\t2\t", "| B", 0}, // parent never listed
        {"MBX\tB.dbx\tB\t2\t2\t1\t1\t2\t", "| B", 0}, // its own parent
        {"MBX\tB.dbx\tB\t2\t3\t1\t1\t2\t\r\nMBX\tC.dbx\tC\t3\t2\t1\t1\t2\t", "| B|  C", 0},
        {"MBX\tB.dbx\tB\t2\t1\t1\t1", "", 1},        // short
        {"MBX\tB.dbx\tB\ttwo\t1\t1\t1\t2\t", "", 1}, // bad number
        {"XYZ\tB.dbx\tB\t2\t1\t1\t1\t2\t", "", 1},   // unknown kind
        {"MBX\tB.dbx\t\t2\t1\t1\t1\t2\t", "", 1},    // no text
    };
    for (const auto& [line, rows, skipped] : cases) {
        SCOPED_TRACE(line);
        TreeListModel grid;
        const auto read = ItemListReader::fill(head + line + "\r\n\r\n", {}, grid);
        EXPECT_EQ(read.identityId, QStringLiteral("{X}"));
        EXPECT_EQ(texts(grid).join(u'|'), QStringLiteral("Outlook Express| A") + rows);
        EXPECT_EQ(read.linesSkipped, skipped);
    }

    // Far beyond any real list: refused whole, with only the root row shown.
    TreeListModel grid;
    const QByteArray huge = head + QByteArray(ItemListReader::kMaxBytes, 'x');
    const auto read = ItemListReader::fill(huge, {}, grid);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(grid.totalRowCount(), 1);
    EXPECT_EQ(grid.text(0), QStringLiteral("Outlook Express"));
}

} // namespace
} // namespace kv
