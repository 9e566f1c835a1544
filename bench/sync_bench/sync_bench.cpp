// sync_bench: the folder comparison's cost against reading the two folders, and against the
// search of the joined current list that the comparison replaces.
//
//   sync_bench generate DIR MESSAGES    two .dbx folders, DIR/prior.dbx and DIR/current.dbx,
//                                       alike but for every 100th message (1%)
//   sync_bench run DIR REPEATS QUAD_N   times reading, indexed comparison, and the joined-list
//                                       search on the first QUAD_N messages of each list
#include "msgstore/SyncComparison.h"
#include "util/FieldList.h"

#include "DbxMessageWriter.h"
#include "MessageGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>

using namespace kv::msgstore;

namespace {

int generate(const QString& dir, int messages)
{
    // Headers decide; small bodies keep the files (and the page cache they need) modest.
    kv::storegen::MessageGenerator::Options small;
    small.attachmentPercent = 0;
    const kv::storegen::MessageGenerator gen(7, small);
    kv::storegen::DbxMessageWriter prior;
    kv::storegen::DbxMessageWriter current;
    if (!prior.open(dir + QStringLiteral("/prior.dbx"), "Inbox") ||
        !current.open(dir + QStringLiteral("/current.dbx"), "Inbox"))
        return std::fprintf(stderr, "cannot create the folders in %s\n", qPrintable(dir)), 1;
    for (int i = 0; i < messages; ++i) {
        const kv::storegen::MailMessage m = gen.message(std::uint64_t(i));
        bool ok = prior.add(m);
        // Every 100th message is changed in the current folder (another message in its place).
        ok = ok && current.add(i % 100 == 50 ? gen.message(std::uint64_t(messages + i)) : m);
        if (!ok)
            return std::fprintf(stderr, "%s\n", qPrintable(prior.error() + current.error())), 1;
    }
    if (!prior.finish() || !current.finish())
        return std::fprintf(stderr, "%s\n", qPrintable(prior.error() + current.error())), 1;
    std::printf("wrote 2 folders of %d messages to %s\n", messages, qPrintable(dir));
    return 0;
}

std::vector<qint32> joinedListSearch(const SyncMessageList& prior, const SyncMessageList& current,
                                     size_t n)
{
    const QChar sep(3);
    QString records;
    QString sizes;
    for (size_t k = 0; k < qMin(n, current.records.size()); ++k) {
        kv::FieldList::appendField(records, current.records[k], sep);
        kv::FieldList::appendField(sizes, current.sizes[k], sep);
    }
    std::vector<qint32> listed;
    for (size_t i = 0; i < qMin(n, prior.records.size()); ++i) {
        const qsizetype k = kv::FieldList::findField(records, prior.records[i], sep);
        if (k == 0 ||
            kv::FieldList::getField(sizes, k, sep).compare(prior.sizes[i], Qt::CaseInsensitive) !=
                0)
            listed.push_back(qint32(i + 1));
    }
    return listed;
}

SyncMessageList firstOf(const SyncMessageList& list, size_t n)
{
    SyncMessageList part;
    part.records.assign(list.records.begin(), list.records.begin() + qMin(n, list.records.size()));
    part.sizes.assign(list.sizes.begin(), list.sizes.begin() + qMin(n, list.sizes.size()));
    part.count = qint32(part.records.size());
    return part;
}

int run(const QString& dir, int repeats, int quadN)
{
    const SyncControl none;
    double readBest = 1e30, compareBest = 1e30;
    SyncMessageList prior, current;
    std::vector<qint32> listed;
    for (int r = 0; r < repeats; ++r) {
        QElapsedTimer t;
        t.start();
        current = readSyncMessageList(dir + QStringLiteral("/current.dbx"), StoreFormat::Dbx, none);
        prior = readSyncMessageList(dir + QStringLiteral("/prior.dbx"), StoreFormat::Dbx, none);
        readBest = qMin(readBest, t.nsecsElapsed() / 1e9);
        t.restart();
        listed = compareSyncLists(prior, current, SyncCompareMode::Records, none);
        compareBest = qMin(compareBest, t.nsecsElapsed() / 1e9);
    }
    const size_t n = prior.records.size();
    std::printf("messages: %zu per folder, listed: %zu\n", n, listed.size());
    std::printf("read both lists:      %8.3f s\n", readBest);
    std::printf("indexed comparison:   %8.3f s (%.1f%% of reading; goal <= 20%%: %s)\n",
                compareBest, compareBest * 100 / readBest,
                compareBest <= readBest * 0.2 ? "met" : "MISSED");

    // The joined-list search at two sizes, to show its growth, then extrapolated to the whole.
    const SyncMessageList priorHalf = firstOf(prior, size_t(quadN / 2));
    const SyncMessageList currentHalf = firstOf(current, size_t(quadN / 2));
    const SyncMessageList priorPart = firstOf(prior, size_t(quadN));
    const SyncMessageList currentPart = firstOf(current, size_t(quadN));
    QElapsedTimer t;
    t.start();
    const std::vector<qint32> half = joinedListSearch(priorHalf, currentHalf, size_t(quadN / 2));
    const double halfSecs = t.nsecsElapsed() / 1e9;
    t.restart();
    const std::vector<qint32> quad = joinedListSearch(priorPart, currentPart, size_t(quadN));
    const double quadSecs = t.nsecsElapsed() / 1e9;
    t.restart();
    const std::vector<qint32> linear =
        compareSyncLists(priorPart, currentPart, SyncCompareMode::Records, none);
    const double linearSecs = t.nsecsElapsed() / 1e9;
    const double scale = double(n) / quadN;
    std::printf("joined-list search:   %8.3f s at %d, %8.3f s at %d (x%.1f for twice the size)\n",
                halfSecs, quadN / 2, quadSecs, quadN, halfSecs > 0 ? quadSecs / halfSecs : 0.0);
    std::printf("  extrapolated to %zu: %.0f s (%.1f min), %.0fx the indexed comparison\n", n,
                quadSecs * scale * scale, quadSecs * scale * scale / 60,
                quadSecs * scale * scale / compareBest);
    std::printf("  same messages listed at %d as the indexed comparison: %s (%zu, %.4f s)\n", quadN,
                quad == linear ? "yes" : "NO", quad.size(), linearSecs);
    return quad == linear ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("generate"))
        return generate(args[2], args[3].toInt());
    if (args.size() == 5 && args[1] == QLatin1String("run"))
        return run(args[2], args[3].toInt(), args[4].toInt());
    std::fprintf(stderr, "usage: sync_bench generate DIR MESSAGES | run DIR REPEATS QUAD_N\n");
    return 2;
}
