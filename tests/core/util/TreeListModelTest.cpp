#include "util/TreeListModel.h"

#include <gtest/gtest.h>

#include <QStringList>

#include "support/QtPrinters.h"

#include <functional>

using kv::TreeListModel;

namespace {

// Builds a tree from lines "indent*2 + text": each line is a child of the last line one level
// up, added in line order with addChild (or addRow at level 0).
void build(TreeListModel& m, const QStringList& lines)
{
    std::vector<int> last;
    for (const QString& line : lines) {
        const int lvl = int(line.size() - line.trimmed().size()) / 2;
        last.resize(size_t(lvl));
        const int row =
            lvl == 0 ? m.addRow(line.trimmed()) : m.addChild(last.back(), line.trimmed());
        last.push_back(row);
    }
}

// "text/level/parent" of every row, in row order.
QStringList dump(const TreeListModel& m)
{
    QStringList out;
    for (int r = 0; r < m.rowCount(); ++r)
        out << QStringLiteral("%1/%2/%3").arg(m.text(r)).arg(m.level(r)).arg(m.parent(r));
    return out;
}

struct Op
{
    int parent; // -1: addRow
    const char* text;
};

struct InsertCase
{
    const char* name;
    std::vector<Op> ops;
    QStringList expected;
};

class TreeListInsert : public testing::TestWithParam<InsertCase>
{
};

TEST_P(TreeListInsert, RowsLandInTreeOrder)
{
    TreeListModel m;
    for (const Op& op : GetParam().ops) {
        const int row = op.parent < 0 ? m.addRow(op.text) : m.addChild(op.parent, op.text);
        ASSERT_GE(row, 0) << op.text;
        EXPECT_EQ(m.text(row), QString::fromUtf8(op.text)) << "returned index must be the new row";
    }
    EXPECT_EQ(dump(m), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TreeListInsert,
    testing::Values(
        InsertCase{"flat", {{-1, "a"}, {-1, "b"}, {-1, "c"}}, {"a/0/-1", "b/0/-1", "c/0/-1"}},
        // A second child of the root goes after the first child's own children.
        InsertCase{"afterDescendants",
                   {{-1, "root"}, {0, "x"}, {1, "x1"}, {2, "x1a"}, {0, "y"}},
                   {"root/0/-1", "x/1/0", "x1/2/1", "x1a/3/2", "y/1/0"}},
        // A child added to an early row pushes later top-level rows down.
        InsertCase{"childOfEarlierRow",
                   {{-1, "f1"}, {-1, "f2"}, {0, "m1"}, {0, "m2"}, {2, "m2a"}},
                   {"f1/0/-1", "m1/1/0", "m2/1/0", "m2a/2/2", "f2/0/-1"}},
        InsertCase{"deepThenShallow",
                   {{-1, "r"}, {0, "a"}, {1, "b"}, {2, "c"}, {1, "b2"}, {0, "a2"}},
                   {"r/0/-1", "a/1/0", "b/2/1", "c/3/2", "b2/2/1", "a2/1/0"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TreeListModel, RemoveTakesDescendantsAndKeepsLinks)
{
    struct Case
    {
        int remove;
        QStringList expected;
    };
    const QStringList tree = {"root",      "  a", "    a1", "    a2",
                              "      a2x", "  b", "    b1", "  c"};
    const Case cases[] = {
        {1, {"root/0/-1", "b/1/0", "b1/2/1", "c/1/0"}},
        {3, {"root/0/-1", "a/1/0", "a1/2/1", "b/1/0", "b1/2/3", "c/1/0"}},
        {7, {"root/0/-1", "a/1/0", "a1/2/1", "a2/2/1", "a2x/3/3", "b/1/0", "b1/2/5"}},
        {0, {}},
    };
    for (const Case& c : cases) {
        TreeListModel m;
        build(m, tree);
        const auto gone = m.rowId(c.remove);
        ASSERT_TRUE(m.removeRow(c.remove));
        EXPECT_EQ(dump(m), c.expected) << "removing " << c.remove;
        EXPECT_EQ(m.rowOfId(gone), -1);
        if (m.rowCount() > 0) {
            EXPECT_EQ(m.descendantCount(0), m.rowCount() - 1);
            // Children can be added at the right place after a removal.
            const int r = m.addChild(0, "new");
            EXPECT_EQ(r, m.rowCount() - 1);
            EXPECT_EQ(m.parent(r), 0);
        }
    }
    TreeListModel m;
    build(m, tree);
    EXPECT_FALSE(m.removeRow(8));
    EXPECT_FALSE(m.removeRow(-1));
    EXPECT_EQ(m.rowCount(), 8);
}

TEST(TreeListModel, StructureQueries)
{
    TreeListModel m;
    build(m, {"root", "  a", "    a1", "    a2", "  b"});
    EXPECT_TRUE(m.hasChildren(1));
    EXPECT_FALSE(m.hasChildren(4));
    EXPECT_EQ(m.descendantCount(0), 4);
    EXPECT_EQ(m.descendantCount(1), 2);
    EXPECT_EQ(m.childCount(0), 2);
    EXPECT_EQ(m.child(0, 1), 4);
    EXPECT_EQ(m.child(1, 1), 3);
    EXPECT_EQ(m.child(0, 2), -1);
    EXPECT_EQ(m.childPosition(3), 1);
    EXPECT_EQ(m.child(-1, 0), 0);
    EXPECT_EQ(m.level(5), -1);
    EXPECT_EQ(m.parent(5), -1);
    EXPECT_EQ(m.addChild(9, "x"), -1);
    EXPECT_EQ(m.rowCount(), 5);
}

TEST(TreeListModel, FindCellInRange)
{
    TreeListModel m;
    build(m, {"root", "  Inbox", "  Sent", "  Inbox copy", "  Drafts"});
    const QStringList names = {"", "Inbox.dbx", "Sent Items.dbx", "Inbox.dbx", ""};
    for (int r = 1; r < m.rowCount(); ++r) {
        if (!names[r].isEmpty())
            m.setCell(r, "MbxName", names[r]);
    }
    struct Case
    {
        const char* name;
        const char* value;
        int first, last, expected;
    };
    const Case cases[] = {
        {"MbxName", "Inbox.dbx", 0, -1, 1},
        {"MbxName", "Inbox.dbx", 2, -1, 3},
        {"MbxName", "Inbox.dbx", 2, 2, -1},
        {"mbxname", "Sent Items.dbx", 0, 4, 2}, // names ignore case
        {"MbxName", "inbox.dbx", 0, -1, -1},    // values do not
        {"MbxName", "", 1, -1, 4},              // a row without the cell holds ""
        {"NoSuchCell", "x", 0, -1, -1},
        {"MbxName", "Inbox.dbx", -5, 99, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m.findCell(c.name, c.value, c.first, c.last), c.expected)
            << c.name << "=" << c.value << " in " << c.first << ".." << c.last;
}

TEST(TreeListModel, SortChildrenByCell)
{
    struct Case
    {
        const char* name;
        TreeListModel::SortMode mode;
        QStringList keys;     // per child a..e
        QStringList expected; // child order after the sort
    };
    using SM = TreeListModel::SortMode;
    const Case cases[] = {
        {"text", SM::Text, {"b", "a", "C", "c", "a"}, {"c2", "b1", "e4", "a0", "d3"}},
        {"noCase", SM::TextNoCase, {"b", "a", "C", "c", "a"}, {"b1", "e4", "a0", "c2", "d3"}},
        {"numeric", SM::Numeric, {"10", "9", "100", "x", "9"}, {"d3", "b1", "e4", "a0", "c2"}},
        {"sortedAlready", SM::Text, {"1", "2", "3", "4", "5"}, {"a0", "b1", "c2", "d3", "e4"}},
    };
    for (const Case& c : cases) {
        TreeListModel m;
        m.addRow("root");
        const QStringList names = {"a0", "b1", "c2", "d3", "e4"};
        for (int k = 0; k < 5; ++k) {
            const int r = m.addChild(0, names[k]);
            m.setCell(r, "SortMe", c.keys[k]);
            // Each child carries a grandchild that must travel with it.
            m.addChild(r, names[k] + "-kid");
        }
        m.addRow("after");
        m.sortChildren(0, "SortMe", c.mode);
        QStringList order;
        for (int k = 0; k < m.childCount(0); ++k) {
            const int r = m.child(0, k);
            order << m.text(r);
            EXPECT_EQ(m.text(r + 1), m.text(r) + "-kid") << c.name;
            EXPECT_EQ(m.parent(r + 1), r) << c.name;
            EXPECT_EQ(m.childPosition(r), k) << c.name;
        }
        EXPECT_EQ(order, c.expected) << c.name;
        EXPECT_EQ(m.text(11), "after") << c.name;
        EXPECT_EQ(m.rowOfId(m.rowId(3)), 3) << c.name;
    }
}

TEST(TreeListModel, SortTopLevelRows)
{
    TreeListModel m;
    for (const char* t : {"c", "a", "b"}) {
        const int r = m.addRow(t);
        m.setCell(r, "K", t);
        m.addChild(r, QString(t) + "1");
    }
    m.sortChildren(-1, "K");
    EXPECT_EQ(dump(m), (QStringList{"a/0/-1", "a1/1/0", "b/0/-1", "b1/1/2", "c/0/-1", "c1/1/4"}));
}

// Records what a listener hears, one short line per event.
class Recorder : public kv::TreeListListener
{
public:
    QStringList events;
    void rowAboutToBeInserted(int p, int pos) override { add("ins?", p, pos); }
    void rowInserted(int row) override { add("ins", row); }
    void rowAboutToBeRemoved(int row) override { add("rem?", row); }
    void rowRemoved(int p, int pos) override { add("rem", p, pos); }
    void rowChanged(int row) override { add("chg", row); }
    void childrenAboutToBeSorted(int p) override { add("sort?", p); }
    void childrenSorted(int p) override { add("sort", p); }
    void listAboutToBeReset() override { events << "reset?"; }
    void listReset() override { events << "reset"; }
    void columnsChanged() override { events << "cols"; }
    void redrawSwitched(bool on) override { events << (on ? "on" : "off"); }
    void refreshRequested() override { events << "refresh"; }

private:
    void add(const char* what, int a, int b = -2)
    {
        events << (b == -2 ? QStringLiteral("%1 %2").arg(what).arg(a)
                           : QStringLiteral("%1 %2,%3").arg(what).arg(a).arg(b));
    }
};

TEST(TreeListModel, ReportsEachChangeWhileRedrawing)
{
    TreeListModel m;
    Recorder rec;
    m.addListener(&rec);
    m.addRow("root");
    m.addChild(0, "a");
    m.addRow("top");
    m.addChild(0, "b");
    m.setCheckState(1, 1);
    m.setCheckState(1, 1); // no change, no report
    m.setBackColor(2, kv::color::rgb(128, 255, 128));
    m.setCell(1, "FlgSave", "1"); // cells are not shown
    m.setColumnCount(4);
    m.removeRow(1);
    m.refresh();
    EXPECT_EQ(rec.events, (QStringList{"ins? -1,0", "ins 0", "ins? 0,0", "ins 1", "ins? -1,1",
                                       "ins 2", "ins? 0,1", "ins 2", "chg 1", "chg 2", "cols",
                                       "rem? 1", "rem 0,0", "refresh"}));
    m.removeListener(&rec);
    m.addRow("unheard");
    EXPECT_EQ(rec.events.size(), 14);
}

TEST(TreeListModel, RedrawOffReportsOnceWhenBackOn)
{
    struct Case
    {
        const char* name;
        std::function<void(TreeListModel&)> change;
        QStringList expected;
    };
    const Case cases[] = {
        {"changes",
         [](TreeListModel& m) {
             m.addChild(0, "x");
             m.setText(0, "y");
             m.clear();
         },
         {"off", "on", "reset?", "reset"}},
        {"nothing", [](TreeListModel&) {}, {"off", "on"}},
        {"sameValues",
         [](TreeListModel& m) {
             m.setText(0, "root");
             m.setCheckState(0, 0);
         },
         {"off", "on"}},
    };
    for (const Case& c : cases) {
        TreeListModel m;
        m.addRow("root");
        Recorder rec;
        m.addListener(&rec);
        m.redrawOff();
        m.redrawOff(); // nested: only the outer pair counts
        c.change(m);
        m.redrawOn();
        EXPECT_FALSE(m.isRedrawOn()) << c.name;
        m.redrawOn();
        EXPECT_TRUE(m.isRedrawOn()) << c.name;
        EXPECT_EQ(rec.events, c.expected) << c.name;
    }
    TreeListModel m;
    m.redrawOn(); // unbalanced: ignored, not negative
    EXPECT_TRUE(m.isRedrawOn());
    m.redrawOff();
    EXPECT_FALSE(m.isRedrawOn());
}

TEST(TreeListModel, ManyRowsUnderTwoParents)
{
    // The synchronise grid puts tens of thousands of message rows under folder rows; adding to
    // the earlier folder moves the later one down.
    TreeListModel m;
    m.addRow("Inbox");
    const auto sent = m.rowId(m.addRow("Sent"));
    for (int i = 1; i <= 4000; ++i) {
        const int folder = i % 2 ? 0 : m.rowOfId(sent);
        const int r = m.addChild(folder, "msg");
        m.setCell(r, "MsgNo", QString::number(i));
    }
    EXPECT_EQ(m.rowCount(), 4002);
    EXPECT_EQ(m.rowOfId(sent), 2001);
    EXPECT_EQ(m.descendantCount(0), 2000);
    EXPECT_EQ(m.descendantCount(2001), 2000);
    EXPECT_EQ(m.cell(1, "MsgNo"), "1");
    EXPECT_EQ(m.cell(2000, "MsgNo"), "3999");
    const int found = m.findCell("MsgNo", "4000");
    EXPECT_EQ(found, 4001);
    EXPECT_EQ(m.parent(found), 2001);
}

} // namespace
