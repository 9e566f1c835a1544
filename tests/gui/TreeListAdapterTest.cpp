#include "TreeListAdapter.h"
#include "util/TreeListModel.h"

#include "support/QtPrinters.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

using kv::TreeListModel;
using kv::gui::TreeListAdapter;
namespace color = kv::color;

namespace {

// Collects what the model tester complains about.
class TesterWarnings
{
public:
    TesterWarnings()
    {
        s_messages.clear();
        m_previous = qInstallMessageHandler(&handler);
    }
    ~TesterWarnings() { qInstallMessageHandler(m_previous); }
    const QStringList& messages() const { return s_messages; }

private:
    static void handler(QtMsgType type, const QMessageLogContext& ctx, const QString& msg)
    {
        if (type != QtDebugMsg && type != QtInfoMsg &&
            QByteArray(ctx.category ? ctx.category : "").startsWith("qt.modeltest"))
            s_messages << msg;
    }
    static inline QStringList s_messages;
    QtMessageHandler m_previous = nullptr;
};

// The adapter's tree walked depth first: "text/depth" per row, which must be the grid's order.
void walk(const QAbstractItemModel& m, const QModelIndex& parent, int depth, QStringList& out)
{
    for (int r = 0; r < m.rowCount(parent); ++r) {
        const QModelIndex i = m.index(r, 0, parent);
        out << QStringLiteral("%1/%2").arg(i.data(TreeListAdapter::RowRole).toInt()).arg(depth);
        walk(m, i, depth + 1, out);
    }
}

QStringList mirror(const QAbstractItemModel& m)
{
    QStringList out;
    walk(m, {}, 0, out);
    return out;
}

QStringList expected(const TreeListModel& g)
{
    QStringList out;
    for (int r = 0; r < g.rowCount(); ++r)
        out << QStringLiteral("%1/%2").arg(r).arg(g.level(r));
    return out;
}

void fill(TreeListModel& g)
{
    g.addRow("Outlook Express");
    for (const char* name : {"Inbox", "Outbox", "Sent Items"}) {
        const int r = g.addChild(0, name);
        g.setCell(r, "SortMe", QString(name).toLower());
    }
    g.addChild(1, "Inbox/Work");
    g.addChild(1, "Inbox/Home");
    g.addRow("Windows Address Book (WAB)");
}

struct Step
{
    const char* name;
    std::function<void(TreeListModel&)> change;
};

TEST(TreeListAdapter, StaysConsistentUnderTheModelTester)
{
    const Step steps[] = {
        {"fill", fill},
        {"childInMiddle", [](TreeListModel& g) { g.addChild(4, "Inbox/Work/2024"); }},
        {"checkStates",
         [](TreeListModel& g) {
             for (int r = 0; r < g.rowCount(); ++r)
                 g.setCheckState(r, r % 3);
         }},
        {"colours",
         [](TreeListModel& g) {
             g.setBackColor(1, color::rgb(128, 255, 128));
             g.setForeColor(2, color::rgb(128, 128, 128));
         }},
        {"sortReverse",
         [](TreeListModel& g) {
             for (int k = 0; k < g.childCount(0); ++k)
                 g.setCell(g.child(0, k), "SortMe", QString::number(9 - k));
             g.sortChildren(0, "SortMe");
         }},
        {"sortTop",
         [](TreeListModel& g) {
             g.setCell(0, "K", "b");
             g.setCell(g.rowCount() - 1, "K", "a");
             g.sortChildren(-1, "K");
         }},
        {"removeSubtree", [](TreeListModel& g) { g.removeRow(g.findCell("SortMe", "inbox")); }},
        {"bulkWhileOff",
         [](TreeListModel& g) {
             g.redrawOff();
             for (int i = 0; i < 50; ++i)
                 g.addChild(g.rowCount() - 1, QString("m%1").arg(i));
             g.removeRow(1);
             g.redrawOn();
         }},
        {"columns",
         [](TreeListModel& g) {
             g.setColumnCount(4);
             g.setColumnHeading(1, "From");
         }},
        {"removeLastTop",
         [](TreeListModel& g) { g.removeRow(g.child(-1, g.topLevelCount() - 1)); }},
        {"clear",
         [](TreeListModel& g) {
             g.clear();
             g.addRow("again");
         }},
    };
    TreeListModel grid;
    TreeListAdapter adapter(grid);
    TesterWarnings warnings;
    QAbstractItemModelTester tester(&adapter,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    for (const Step& s : steps) {
        s.change(grid);
        EXPECT_EQ(mirror(adapter), expected(grid)) << s.name;
        EXPECT_TRUE(warnings.messages().isEmpty())
            << s.name << ": " << warnings.messages().join("; ").toStdString();
    }
}

TEST(TreeListAdapter, ForwardsEachChangePrecisely)
{
    TreeListModel grid;
    fill(grid);
    TreeListAdapter adapter(grid);
    QSignalSpy inserted(&adapter, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&adapter, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&adapter, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&adapter, &QAbstractItemModel::modelReset);

    grid.addChild(0, "Drafts"); // fourth child of the root
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(adapter.rowOf(inserted[0][0].value<QModelIndex>()), 0);
    EXPECT_EQ(inserted[0][1].toInt(), 3);

    grid.setCheckState(2, 1); // "Inbox/Work"
    ASSERT_EQ(changed.size(), 1);
    EXPECT_EQ(adapter.rowOf(changed[0][0].value<QModelIndex>()), 2);
    EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 0);

    grid.removeRow(1); // Inbox with its two folders
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(adapter.rowOf(removed[0][0].value<QModelIndex>()), 0);
    EXPECT_EQ(removed[0][1].toInt(), 0);
    EXPECT_EQ(adapter.rowCount(adapter.indexOfRow(0)), 3);

    grid.redrawOff();
    grid.addRow("a");
    grid.setText(0, "b");
    EXPECT_EQ(inserted.size(), 1);
    EXPECT_EQ(changed.size(), 1);
    grid.redrawOn();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(adapter.rowCount(), 3);
}

TEST(TreeListAdapter, ColumnTextSplitsAtTabs)
{
    struct Case
    {
        const char* text;
        int column, columns;
        const char* expected;
    };
    const Case cases[] = {
        {"\tBob\tHello\t1 Jan", 0, 4, ""},
        {"\tBob\tHello\t1 Jan", 1, 4, "Bob"},
        {"\tBob\tHello\t1 Jan", 3, 4, "1 Jan"},
        {"Inbox", 2, 4, ""},
        {"a\tb\tc\td\te", 3, 4, "d\te"}, // the last column takes the rest
        {"Inbox\t>>> Mail", 0, 1, "Inbox\t>>> Mail"},
        {"", 0, 1, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TreeListAdapter::columnText(c.text, c.column, c.columns), QString(c.expected))
            << c.text << " column " << c.column;
}

TEST(TreeListAdapter, RolesShowTheRowProperties)
{
    TreeListModel grid;
    grid.setColumnCount(4);
    grid.setColumnHeading(2, "Subject");
    grid.setColumnMultiLine(2, true);
    const int f = grid.addRow("Inbox");
    grid.setPicture(f, TreeListModel::PicFolder);
    grid.setBackColor(f, color::system(color::InfoBackground));
    const int m = grid.addChild(f, "\tBob\tLine 1\r\nLine 2\tDate\r\nmore");
    grid.setPicture(m, TreeListModel::PicUnticked);
    grid.setForeColor(m, color::rgb(255, 0, 0));
    grid.setCheckState(m, 2);
    const int plain = grid.addRow("plain");

    TreeListAdapter a(grid);
    const QModelIndex fi = a.indexOfRow(f), mi = a.indexOfRow(m), pi = a.indexOfRow(plain);
    EXPECT_EQ(a.headerData(2, Qt::Horizontal).toString(), "Subject");
    EXPECT_EQ(a.columnCount({}), 4);
    EXPECT_EQ(a.indexOfRow(m, 2).data().toString(), "Line 1\nLine 2"); // multi-line column
    EXPECT_EQ(a.indexOfRow(m, 3).data().toString(), "Date more");      // single-line column
    EXPECT_EQ(fi.data(Qt::BackgroundRole).value<QBrush>().color(),
              QGuiApplication::palette().color(QPalette::ToolTipBase));
    EXPECT_EQ(mi.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(255, 0, 0));
    EXPECT_FALSE(pi.data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(pi.data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(a.indexOfRow(m, 1).data(Qt::DecorationRole).isValid());
    const QPixmap pic = mi.data(Qt::DecorationRole).value<QPixmap>();
    EXPECT_EQ(pic.size(), QSize(16, 16));
    EXPECT_EQ(mi.data(TreeListAdapter::CheckValueRole).toInt(), 2);
    EXPECT_EQ(mi.data(TreeListAdapter::LevelRole).toInt(), 1);

    // The mark is shown only on request, and the state 2 then reads as partly checked.
    EXPECT_FALSE(mi.data(Qt::CheckStateRole).isValid());
    a.setShowMarks(true);
    EXPECT_EQ(mi.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::PartiallyChecked);
    grid.setCheckState(m, 1);
    EXPECT_EQ(mi.data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    EXPECT_FALSE(a.flags(mi).testFlag(Qt::ItemIsUserCheckable));
}

TEST(TreeListAdapter, IndexOfAVanishedRowReadsEmpty)
{
    TreeListModel grid;
    fill(grid);
    TreeListAdapter a(grid);
    const QModelIndex stale = a.indexOfRow(2);
    ASSERT_EQ(stale.data().toString(), "Inbox/Work");
    // Removed while redrawing was off: the view still holds the old index until the reset.
    grid.redrawOff();
    grid.removeRow(1);
    EXPECT_EQ(a.rowOf(stale), -1);
    EXPECT_FALSE(stale.data().isValid());
    EXPECT_FALSE(a.parent(stale).isValid());
    EXPECT_EQ(a.rowCount(stale), 0);
    grid.redrawOn();
}

TEST(TreeListAdapter, SortKeepsPersistentIndexesOnTheirRows)
{
    TreeListModel grid;
    fill(grid);
    TreeListAdapter a(grid);
    const QPersistentModelIndex sent = a.indexOfRow(grid.findCell("SortMe", "sent items"));
    const QPersistentModelIndex work = a.indexOfRow(2);
    ASSERT_EQ(sent.row(), 2);
    for (int k = 0; k < 3; ++k)
        grid.setCell(grid.child(0, k), "SortMe", QString::number(3 - k));
    grid.sortChildren(0, "SortMe");
    EXPECT_EQ(sent.row(), 0);
    EXPECT_EQ(sent.data().toString(), "Sent Items");
    EXPECT_EQ(work.data().toString(), "Inbox/Work");
    EXPECT_EQ(a.rowOf(work.parent()), grid.findCell("SortMe", "3"));
    EXPECT_EQ(work.parent().row(), 2);
}

} // namespace
