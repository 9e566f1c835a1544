// Walking a field list of n entries: getField(1..n) as the program's callers do it, the
// FieldReader, a rescan from the start for every field (the walk without a remembered
// position), and Qt's own QString::split as the peer.
#include "util/FieldList.h"

#include <benchmark/benchmark.h>

using namespace kv;

namespace {

const QChar kSep(2);

QString makeList(qsizetype n)
{
    QStringList fields;
    for (qsizetype i = 0; i < n; ++i)
        fields.append(QStringLiteral("C:\\Store\\Folder %1.dbx").arg(i));
    return FieldList::joinFields(fields, kSep);
}

void getFieldWalk(benchmark::State& state)
{
    const QString list = makeList(state.range(0));
    for (auto _ : state) {
        qsizetype total = 0;
        const qsizetype n = FieldList::countFields(list, kSep);
        for (qsizetype i = 1; i <= n; ++i)
            total += FieldList::getField(list, i, kSep).size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void fieldReader(benchmark::State& state)
{
    const QString list = makeList(state.range(0));
    for (auto _ : state) {
        qsizetype total = 0;
        FieldList::FieldReader reader(list, kSep);
        while (!reader.atEnd())
            total += reader.next().size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void rescanWalk(benchmark::State& state)
{
    const QString list = makeList(state.range(0));
    for (auto _ : state) {
        qsizetype total = 0;
        const qsizetype n = FieldList::countFields(list, kSep);
        for (qsizetype i = 1; i <= n; ++i) {
            qsizetype pos = 0;
            for (qsizetype f = 1; f < i; ++f)
                pos = list.indexOf(kSep, pos) + 1;
            const qsizetype end = list.indexOf(kSep, pos);
            total += (end < 0 ? list.size() : end) - pos;
        }
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void qtSplit(benchmark::State& state)
{
    const QString list = makeList(state.range(0));
    for (auto _ : state) {
        qsizetype total = 0;
        const QStringList fields = list.split(kSep);
        for (const QString& f : fields)
            total += f.size();
        benchmark::DoNotOptimize(total);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(getFieldWalk)->Arg(1000)->Arg(10000)->Arg(50000);
BENCHMARK(fieldReader)->Arg(1000)->Arg(10000)->Arg(50000);
BENCHMARK(rescanWalk)->Arg(1000)->Arg(10000);
BENCHMARK(qtSplit)->Arg(1000)->Arg(10000)->Arg(50000);

BENCHMARK_MAIN();
