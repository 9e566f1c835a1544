#include "grid/TreeListModel.h"

#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

using kv::TreeListModel;
namespace color = kv::color;

namespace {

// Builds a tree from lines "indent*2 + text": each line is a child of the last line one level
// up, added in line order with addChild (or addRow at level 0).
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
        out << QStringLiteral("%1/%2/%3")
                   .arg(i.data().toString())
                   .arg(m.level(m.rowOf(i)))
                   .arg(m.rowOf(parent))
            << shown(m, i);
    }
    return out;
}

// One short line per signal the model sends; rows are given as grid rows.
struct Events
{
    explicit Events(TreeListModel& m)
    {
        for (const auto& [signal, what] : {std::pair(&TreeListModel::rowsInserted, "ins"),
                                           std::pair(&TreeListModel::rowsRemoved, "rem")})
            QObject::connect(&m, signal, &ctx, [&m, this, what](const QModelIndex& p, int first) {
                lines << QStringLiteral("%1 %2,%3").arg(what).arg(m.rowOf(p)).arg(first);
            });
        auto line = [this](const char* what) { return [this, what] { lines << what; }; };
        QObject::connect(&m, &TreeListModel::dataChanged, &ctx, [&m, this](auto& tl, auto& br) {
            lines << QStringLiteral("chg %1,%2").arg(m.rowOf(tl)).arg(br.column());
        });
        QObject::connect(&m, &TreeListModel::modelReset, &ctx, line("reset"));
        QObject::connect(&m, &TreeListModel::headerDataChanged, &ctx, line("head"));
        QObject::connect(&m, &TreeListModel::refreshRequested, &ctx, line("refresh"));
        QObject::connect(&m, &TreeListModel::redrawSwitched, &ctx,
                         [this](bool on) { lines << (on ? "on" : "off"); });
    }
    QObject ctx;
    QStringList lines;
};

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

TEST(TreeListModel, FindCellInRange)
{
    TreeListModel m;
    build(m, {"root", "  Inbox", "  Sent", "  Inbox copy", "  Drafts"});
    for (const auto& [row, name] :
         {std::pair(1, "Inbox.dbx"), {2, "Sent Items.dbx"}, {3, "Inbox.dbx"}})
        m.setCell(row, "MbxName", name);
    EXPECT_EQ(m.findCell("MbxName", "Inbox.dbx", 2, 3), 3);
    EXPECT_EQ(m.findCell("NoSuchCell", "x", -5, 99), -1);
    EXPECT_EQ(m.findCell("mbxname", "Sent Items.dbx"), 2); // names ignore case
    EXPECT_EQ(m.findCell("MbxName", "inbox.dbx"), -1);     // values do not
    EXPECT_EQ(m.findCell("MbxName", "", 1), 4);            // a row without the cell holds ""
}

TEST(TreeListModel, SortIsStableAndMovesSubtrees)
{
    using SM = TreeListModel::SortMode;
    const struct
    {
        SM mode;
        QStringList keys, expected;
    } cases[] = {
        {SM::Text, {"b", "a", "C", "c", "a"}, {"c2", "b1", "e4", "a0", "d3"}},
        {SM::TextNoCase, {"b", "a", "C", "c", "a"}, {"b1", "e4", "a0", "c2", "d3"}},
        {SM::Numeric, {"10", "9", "100", "x", "9"}, {"d3", "b1", "e4", "a0", "c2"}},
    };
    for (const auto& c : cases) {
        TreeListModel m;
        m.addRow("root");
        const QStringList names = {"a0", "b1", "c2", "d3", "e4"};
        for (int k = 0; k < 5; ++k) {
            const int r = m.addChild(0, names[k]);
            m.setCell(r, "SortMe", c.keys[k]);
            m.addChild(r, names[k] + "-kid"); // must travel with its parent
        }
        m.addRow("after");
        const QPersistentModelIndex b1 = m.indexOfRow(3);
        m.sortChildren(0, "SortMe", c.mode);
        QStringList want = {"root/0/-1"};
        for (int k = 0; k < 5; ++k)
            want << c.expected[k] + "/1/0"
                 << c.expected[k] + "-kid/2/" + QString::number(1 + 2 * k);
        EXPECT_EQ(dump(m), want << "after/0/-1");
        // A view's kept index follows its row to the new place.
        EXPECT_EQ(b1.data().toString(), "b1");
        EXPECT_EQ(b1.row(), int(c.expected.indexOf("b1")));
    }
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

TEST(TreeListModel, ReportsEachChangeWhileRedrawing)
{
    TreeListModel m;
    Events ev(m);
    m.addRow("root");
    m.addChild(0, "a");
    m.addRow("top");
    m.setCheckState(1, 1);
    m.setCheckState(1, 1);        // no change, no report
    m.setCell(1, "FlgSave", "1"); // cells are not shown
    m.setColumnCount(4);
    m.setForeColor(2, color::rgb(128, 128, 128));
    m.setColumnWidth(0, 2000);
    m.removeRowAt(1);
    m.refresh();
    EXPECT_EQ(ev.lines, (QStringList{"ins -1,0", "ins 0,0", "ins -1,1", "chg 1,0", "reset",
                                     "chg 2,3", "head", "rem 0,0", "refresh"}));
}

TEST(TreeListModel, RedrawOffGivesOneResetWhenBackOn)
{
    TreeListModel m;
    build(m, {"root", "  Inbox", "    Work", "  Sent", "  Drafts"});
    Events ev(m);
    m.redrawOff();
    m.setText(0, "root"); // no change, so no reset
    m.redrawOn();
    const QModelIndex stale = m.indexOfRow(2);
    m.redrawOff();
    m.redrawOff(); // nested: only the outer pair counts
    m.removeRowAt(1);
    // A view still holds the old index until the reset: it reads as empty, never as freed rows.
    EXPECT_EQ(m.rowOf(stale), -1);
    EXPECT_FALSE(stale.data().isValid());
    EXPECT_FALSE(m.parent(stale).isValid());
    EXPECT_EQ(m.rowCount(stale), 0);
    EXPECT_EQ(m.flags(stale), Qt::NoItemFlags);
    m.clear();
    m.refresh();
    m.redrawOn();
    EXPECT_FALSE(m.isRedrawOn());
    m.redrawOn();
    EXPECT_EQ(ev.lines, (QStringList{"off", "on", "off", "on", "reset"}));
    m.redrawOn(); // unbalanced: ignored, not negative
    m.redrawOff();
    EXPECT_FALSE(m.isRedrawOn());
}

TEST(TreeListModel, RolesShowColumnsAndRowProperties)
{
    TreeListModel m;
    m.setColumnCount(4);
    m.setColumnHeading(2, "Subject");
    m.setColumnMultiLine(2, true);
    const int msg = m.addRow("\tBob\tLine 1\r\nLine 2\tDate\r\nmore");
    m.addRow("a\tb\tc\td\te");
    // A multi-line column breaks the line, a single-line one shows a blank, the last takes the
    // rest.
    const std::tuple<int, int, const char*> cases[] = {
        {0, 0, ""}, {0, 1, "Bob"}, {0, 2, "Line 1\nLine 2"}, {0, 3, "Date more"}, {1, 3, "d\te"}};
    for (const auto& [row, column, text] : cases)
        EXPECT_EQ(m.indexOfRow(row, column).data().toString(), text) << row << column;
    EXPECT_EQ(TreeListModel::columnText("Inbox\t>>> Mail", 0, 1), "Inbox\t>>> Mail");
    EXPECT_EQ(m.headerData(2, Qt::Horizontal).toString(), "Subject");
    m.setPicture(msg, TreeListModel::Picture::Folder);
    m.setCheckState(msg, 2);
    const QModelIndex i = m.indexOfRow(msg);
    EXPECT_EQ(i.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::PartiallyChecked);
    EXPECT_FALSE(m.indexOfRow(msg, 1).data(TreeListModel::PictureRole).isValid());
    EXPECT_FALSE(m.indexOfRow(1).data(TreeListModel::ForeColorRole).isValid());
    EXPECT_FALSE(m.flags(i).testFlag(Qt::ItemIsUserCheckable));
}

} // namespace
