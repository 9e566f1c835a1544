#include "msgstore/SyncComparison.h"

#include "msgstore/MsgStoreLog.h"

#include <QHash>
#include <QSet>

namespace kv::msgstore {

namespace {

template <typename Same>
std::vector<qint32> listChanged(qint32 priorCount, const SyncControl& control, bool* cancelled,
                                Same same)
{
    std::vector<qint32> listed;
    int last = 0;
    for (qint32 i = 1; i <= priorCount; ++i) {
        if (!same(i))
            listed.push_back(i);
        const int percent = int(qint64(i) * 100 / priorCount);
        if (percent != last && control.progress)
            control.progress(last = percent);
        if (control.cancelled()) {
            if (cancelled)
                *cancelled = true;
            break;
        }
    }
    if (last != 0 && control.progress)
        control.progress(0);
    return listed;
}

} // namespace

std::vector<qint32> compareSyncLists(const SyncMessageList& prior, const SyncMessageList& current,
                                     SyncCompareMode mode, const SyncControl& control,
                                     bool* cancelled)
{
    if (cancelled)
        *cancelled = false;
    if (mode == SyncCompareMode::Exact) {
        QSet<QByteArray> present;
        present.reserve(qsizetype(current.digests.size()));
        for (const QByteArray& digest : current.digests)
            present.insert(digest);
        return listChanged(qint32(prior.digests.size()), control, cancelled, [&](qint32 i) {
            return present.contains(prior.digests[size_t(i) - 1]);
        });
    }

    // Only the first current message with a record counts, as a search from the front of the
    // list would find it: a later duplicate with the right size does not save a backup message.
    QHash<QStringView, qint32> first;
    first.reserve(qsizetype(current.records.size()));
    // Filled from the back, so that each record ends up mapped to its first message.
    for (size_t k = current.records.size(); k > 0; --k)
        first.insert(QStringView(current.records[k - 1]), qint32(k));
    const qint32 count = qint32(qMin(prior.records.size(), prior.sizes.size()));
    return listChanged(count, control, cancelled, [&](qint32 i) {
        const qint32 k = first.value(QStringView(prior.records[size_t(i) - 1]), 0);
        return k > 0 && size_t(k) <= current.sizes.size() &&
               current.sizes[size_t(k) - 1].compare(prior.sizes[size_t(i) - 1],
                                                    Qt::CaseInsensitive) == 0;
    });
}

SyncComparison::SyncComparison(Options options) : m_options(std::move(options)) {}

QString SyncComparison::pathIn(const QString& folder, const QString& fileName) const
{
    return folder.endsWith(QLatin1Char('/')) ? folder + fileName
                                             : folder + QLatin1Char('/') + fileName;
}

bool SyncComparison::compareFolder(const SyncFolder& folder, SyncFolderResult* result)
{
    *result = SyncFolderResult{};
    result->folder = folder;
    SyncControl control{progress, cancel};
    const SyncReadMode readMode =
        m_options.mode == SyncCompareMode::Exact ? SyncReadMode::Digests : SyncReadMode::Records;
    auto stage = [&](SyncStage s) {
        if (stageChanged)
            stageChanged(s, folder);
    };

    stage(SyncStage::ReadingCurrent);
    const SyncMessageList current = readSyncMessageList(
        pathIn(m_options.currentFolder, folder.fileName), m_options.format, control, readMode);
    result->currentCount = current.count;
    result->currentOpened = current.opened;
    if (current.cancelled)
        return false;

    stage(SyncStage::ReadingPrior);
    const SyncMessageList prior = readSyncMessageList(
        pathIn(m_options.priorFolder, folder.fileName), m_options.format, control, readMode);
    result->priorCount = prior.count;
    result->priorOpened = prior.opened;
    if (prior.cancelled)
        return false;

    stage(SyncStage::Comparing);
    bool cancelled = false;
    const std::vector<qint32> numbers =
        compareSyncLists(prior, current, m_options.mode, control, &cancelled);
    result->listed.reserve(numbers.size());
    for (qint32 n : numbers) {
        SyncMessageList::Parts p = prior.parts(n);
        result->listed.push_back({n, std::move(p.from), std::move(p.subject), std::move(p.date)});
    }
    return !cancelled;
}

bool SyncComparison::run(const std::vector<SyncFolder>& folders,
                         std::vector<SyncFolderResult>* results)
{
    results->clear();
    results->reserve(folders.size());
    for (const SyncFolder& folder : folders) {
        SyncFolderResult result;
        if (!compareFolder(folder, &result)) {
            qCInfo(lcMsgStore).noquote() << "folder comparison cancelled at" << folder.fileName;
            return false;
        }
        results->push_back(std::move(result));
    }
    return true;
}

QString syncStageText(SyncStage stage, const QString& name)
{
    switch (stage) {
    case SyncStage::ReadingCurrent:
        return QStringLiteral("Retrieving current messages from: ") + name;
    case SyncStage::ReadingPrior:
        return QStringLiteral("Retrieving Prior messages from: ") + name;
    case SyncStage::Comparing:
        break;
    }
    return QStringLiteral("Synchronizing Messages in:") + name;
}

} // namespace kv::msgstore
