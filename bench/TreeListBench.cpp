// Filling the synchronise grid: 50 000 message rows under 20 folder rows, each with its row
// text and a "MsgNo" cell, then looking a folder up by its "MbxName" cell. The peer is Qt's own
// QStandardItemModel holding the same rows, the cell as an item data role. Heap bytes in use
// after the fill are reported as the "heap" counter (glibc's allocator statistics).
#include "grid/TreeListModel.h"

#include <QStandardItemModel>

#include <benchmark/benchmark.h>

#include <malloc.h>

namespace {

constexpr int kFolders = 20;
constexpr int kMessages = 50000;

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

QString messageText(int i)
{
    return QStringLiteral("\tsender%1@example.com\tSubject number %1\tMon, 1 Jan 2001 10:00:00")
        .arg(i);
}

void fillTreeList(benchmark::State& state)
{
    for (auto _ : state) {
        const size_t before = heapInUse();
        kv::TreeListModel grid;
        grid.redrawOff();
        for (int f = 0; f < kFolders; ++f) {
            const int folder = grid.addRow(QStringLiteral("Folder %1").arg(f));
            grid.setCell(folder, QStringLiteral("MbxName"), QStringLiteral("Folder %1.dbx").arg(f));
            for (int m = 1; m <= kMessages / kFolders; ++m) {
                const int row = grid.addChild(folder, messageText(m));
                grid.setCell(row, QStringLiteral("MsgNo"), QString::number(m));
            }
        }
        grid.redrawOn();
        state.counters["heap"] = double(heapInUse() - before);
        benchmark::DoNotOptimize(
            grid.findCell(QStringLiteral("MbxName"), QStringLiteral("Folder 19.dbx")));
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}

void fillStandardItemModel(benchmark::State& state)
{
    constexpr int kCellRole = Qt::UserRole + 1;
    for (auto _ : state) {
        const size_t before = heapInUse();
        QStandardItemModel model;
        for (int f = 0; f < kFolders; ++f) {
            auto* folder = new QStandardItem(QStringLiteral("Folder %1").arg(f));
            folder->setData(QStringLiteral("Folder %1.dbx").arg(f), kCellRole);
            for (int m = 1; m <= kMessages / kFolders; ++m) {
                auto* row = new QStandardItem(messageText(m));
                row->setData(QString::number(m), kCellRole);
                folder->appendRow(row);
            }
            model.appendRow(folder);
        }
        state.counters["heap"] = double(heapInUse() - before);
        benchmark::DoNotOptimize(model.match(model.index(0, 0), kCellRole,
                                             QStringLiteral("Folder 19.dbx"), 1, Qt::MatchExactly));
    }
    state.SetItemsProcessed(state.iterations() * kMessages);
}

BENCHMARK(fillTreeList)->Unit(benchmark::kMillisecond);
BENCHMARK(fillStandardItemModel)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
