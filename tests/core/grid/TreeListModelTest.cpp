#include "grid/TreeListModel.h"

#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <gtest/gtest.h>

using kv::TreeListModel;

namespace {

// A tree from lines indented two spaces a level, added in order with addRow/addChild.
void build(TreeListModel& m, const QStringList& lines)
{
    std::vector<int> last;
    for (const QString& line : lines) {
        const int lvl = int(line.size() - line.trimmed().size()) / 2;
        last.resize(size_t(lvl));
        last.push_back(lvl == 0 ? m.addRow(line.trimmed())
                                : m.addChild(last.back(), line.trimmed()));
    }
}

// "text/level/parent" of every row, in row order.
QStringList dump(const TreeListModel& m)
{
    QStringList out;
    for (int r = 0; r < m.totalRowCount(); ++r)
        out << QStringLiteral("%1/%2/%3").arg(m.text(r)).arg(m.level(r)).arg(m.parentRow(r));
    return out;
}

// The item model walked depth first, in dump()'s form: it must show the grid's own order.
QStringList shown(const TreeListModel& m, const QModelIndex& parent = {})
{
    QStringList out;
    for (int r = 0; r < m.rowCount(parent); ++r) {
        const QModelIndex i = m.index(r, 0, parent);
        out << i.data().toString() +
                   QStringLiteral("/%1/%2").arg(m.level(m.rowOf(i))).arg(m.rowOf(parent))
            << shown(m, i);
    }
    return out;
}

TEST(TreeListModel, RemoveTakesDescendantsAndKeepsLinks)
{
    TreeListModel m;
    build(m, {"root", "  a", "    a1", "    a2", "      a2x", "  b", "    b1"});
    const auto gone = m.rowId(4);
    ASSERT_TRUE(m.removeRowAt(3)); // a2 with a2x
    EXPECT_EQ(dump(m), (QStringList{"root/0/-1", "a/1/0", "a1/2/1", "b/1/0", "b1/2/3"}));
    EXPECT_EQ(m.rowOfId(gone), -1);
    EXPECT_EQ(m.addChild(1, "a3"), 3) << "after a's last remaining descendant";
    EXPECT_EQ(m.addChild(0, "c"), 6);
    for (int bad : {7, -1})
        EXPECT_FALSE(m.removeRowAt(bad));
    EXPECT_EQ(m.addChild(7, "x"), -1);
    ASSERT_TRUE(m.removeRowAt(0));
    EXPECT_EQ(m.totalRowCount(), 0);
}

// Only the ordinal sort is in use: kept subtrees, stability, and indexes a view holds.
TEST(TreeListModel, SortIsStableAndMovesSubtrees)
{
    TreeListModel m;
    m.addRow("root");
    const QStringList names = {"a0", "b1", "c2", "d3", "e4"}, keys = {"b", "a", "C", "c", "a"};
    for (int k = 0; k < 5; ++k) {
        const int r = m.addChild(0, names[k]);
        m.setCell(r, "SortMe", keys[k]);
        m.addChild(r, names[k] + "-kid"); // must travel with its parent
    }
    m.addRow("after");
    const QPersistentModelIndex b1 = m.indexOfRow(3);
    m.sortChildren(0, "SortMe");
    QStringList want = {"root/0/-1"};
    for (const QString& n : QStringList{"c2", "b1", "e4", "a0", "d3"})
        want << n + "/1/0" << n + "-kid/2/" + QString::number(want.size() - 1);
    EXPECT_EQ(dump(m), want << "after/0/-1");
    EXPECT_EQ(b1.data().toString(), "b1");
    EXPECT_EQ(b1.row(), 1);
    // Equal keys keep their order however many rows share them.
    TreeListModel big;
    big.addRow("root");
    for (int k = 0; k < 40; ++k)
        big.setCell(big.addChild(0, QString::number(k)), "K", QString::number(k % 2));
    big.sortChildren(0, "K");
    for (int k = 0; k < 40; ++k)
        EXPECT_EQ(big.text(k + 1), QString::number(k < 20 ? 2 * k : 2 * (k - 20) + 1));
}

TEST(TreeListModel, StaysConsistentUnderTheModelTester)
{
    TreeListModel g;
    QAbstractItemModelTester tester(&g, QAbstractItemModelTester::FailureReportingMode::Fatal);
    build(g, {"OE", "  Inbox", "    Work", "  Sent", "WAB"});
    g.addChild(2, "Work/2024");
    g.setCell(0, "K", "b");
    g.setCell(g.totalRowCount() - 1, "K", "a");
    g.sortChildren(-1, "K");
    EXPECT_EQ(g.text(0), "WAB");
    EXPECT_EQ(shown(g), dump(g)) << "sortTop";
    g.removeRowAt(g.child(g.child(-1, 1), 0));
    EXPECT_EQ(shown(g), dump(g)) << "removeSubtree";
    g.redrawOff();
    for (int i = 0; i < 50; ++i)
        g.addChild(g.totalRowCount() - 1, QString("m%1").arg(i));
    g.removeRowAt(1);
    g.redrawOn();
    EXPECT_EQ(shown(g), dump(g)) << "bulkWhileOff";
    g.setColumnCount(4);
    EXPECT_EQ(shown(g), dump(g)) << "columns";
    g.clear();
}

// Views hear one reset after a batch; an index they kept meanwhile reads as empty, not freed.
TEST(TreeListModel, RedrawOffGivesOneResetAndStaleIndexesReadEmpty)
{
    TreeListModel m;
    build(m, {"root", "  Inbox", "    Work", "  Sent", "  Drafts"});
    QSignalSpy resets(&m, &TreeListModel::modelReset);
    QSignalSpy inserts(&m, &TreeListModel::rowsInserted);
    m.redrawOff();
    m.setText(0, "root"); // no change, so no reset
    m.redrawOn();
    const QModelIndex stale = m.indexOfRow(2);
    m.redrawOff();
    m.redrawOff(); // nested: only the outer pair counts
    m.removeRowAt(1);
    m.addChild(0, "x");
    EXPECT_EQ(m.rowOf(stale), -1);
    EXPECT_FALSE(stale.data().isValid());
    EXPECT_FALSE(m.parent(stale).isValid());
    EXPECT_EQ(m.rowCount(stale), 0);
    EXPECT_EQ(m.flags(stale), Qt::NoItemFlags);
    m.redrawOn();
    EXPECT_EQ(resets.size() + inserts.size(), 0);
    m.redrawOn();
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(inserts.size(), 0);
    m.redrawOn(); // unbalanced: ignored, not negative
    m.redrawOff();
    EXPECT_FALSE(m.isRedrawOn());
}

TEST(TreeListModel, RolesShowColumns)
{
    TreeListModel m;
    m.setColumnCount(4);
    m.setColumnMultiLine(2, true);
    m.addRow("\tBob\tLine 1\r\nLine 2\tDate\r\nmore");
    m.addRow("a\tb\tc\td\te");
    // Multi-line columns break the line, others show a blank; the last column takes the rest.
    const std::tuple<int, int, const char*> cases[] = {
        {0, 0, ""}, {0, 2, "Line 1\nLine 2"}, {0, 3, "Date more"}, {1, 3, "d\te"}};
    for (const auto& [row, column, text] : cases)
        EXPECT_EQ(m.indexOfRow(row, column).data().toString(), text) << row << column;
}

} // namespace
