#pragma once

#include "msgstore/SyncMessageList.h"

#include <QString>

#include <functional>
#include <vector>

namespace kv::msgstore {

enum class SyncCompareMode
{
    // A backup message is the same when the first current message with its From, Subject and
    // Date has the same size text.
    Records,
    // A backup message is the same when some current message has exactly its bytes.
    Exact
};

// The backup messages of one list that are missing from or changed in the other, by number
// (1-based, ascending). Linear in the two lists: the current ones are indexed once. Progress is
// reported over the backup messages; a cancel stops after the message it was on, with *cancelled
// set and the numbers found so far returned.
std::vector<qint32> compareSyncLists(const SyncMessageList& prior, const SyncMessageList& current,
                                     SyncCompareMode mode, const SyncControl& control,
                                     bool* cancelled = nullptr);

// A folder to compare: the name it is shown with and its message file's name.
struct SyncFolder
{
    QString displayName;
    QString fileName;
};

struct SyncListedMessage
{
    qint32 number = 0; // in the backup copy
    QString from;
    QString subject;
    QString date;
};

// One folder's outcome, plain data for the grid and the command line alike.
struct SyncFolderResult
{
    SyncFolder folder;
    std::vector<SyncListedMessage> listed;
    qint32 priorCount = 0;
    qint32 currentCount = 0;
    // False when that copy could not be read and counted as an empty folder.
    bool priorOpened = false;
    bool currentOpened = false;
};

enum class SyncStage
{
    ReadingCurrent,
    ReadingPrior,
    Comparing
};

// What the progress label says while a folder is at that stage (the folder's display name).
QString syncStageText(SyncStage stage, const QString& folderName);

// Compares chosen folders of a backup (extracted into the prior folder) with the live store,
// one after another: the current copy is read, then the prior one, then the two are compared.
// Meant for a worker thread; every callback is called on it.
class SyncComparison
{
public:
    struct Options
    {
        QString currentFolder; // host paths of the two folders holding the message files
        QString priorFolder;
        StoreFormat format = StoreFormat::Dbx;
        SyncCompareMode mode = SyncCompareMode::Records;
    };

    explicit SyncComparison(Options options);

    std::function<void(SyncStage stage, const SyncFolder& folder)> stageChanged;
    std::function<void(int percent)> progress;
    const std::atomic_bool* cancel = nullptr;

    // False when cancelled; the results then hold the folders finished before.
    bool run(const std::vector<SyncFolder>& folders, std::vector<SyncFolderResult>* results);

    // One folder (the step run takes for each).
    bool compareFolder(const SyncFolder& folder, SyncFolderResult* result);

private:
    QString pathIn(const QString& folder, const QString& fileName) const;

    Options m_options;
};

} // namespace kv::msgstore
