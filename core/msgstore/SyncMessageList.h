#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <utility>
#include <vector>

namespace kv::msgstore {

// The two message file formats: ".dbx" of the version-5 store, ".mbx" of the version-4 one.
enum class StoreFormat
{
    Dbx,
    Mbx
};

// What a long read or comparison reports and obeys while it runs. Both may be touched from a
// worker thread: progress is called on the working thread, only when the whole percent changes,
// and the cancel flag is read after every message.
struct SyncControl
{
    std::function<void(int percent)> progress;
    const std::atomic_bool* cancel = nullptr;

    bool cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

// One copy of a folder reduced to what the comparison needs, in message-number order (message n
// at [n - 1]). The record is From TAB Subject TAB Date as the readers give those values (the raw
// header text after the name, leading spaces removed); the size text is the record length for
// ".mbx" and always "0" for ".dbx", whose comparison is decided by the three headers alone.
struct SyncMessageList
{
    std::vector<QString> records;
    std::vector<QString> sizes;
    // The lengths of From and Subject in each record, so that a TAB inside a header value does
    // not shift the columns when the record is shown.
    std::vector<std::pair<qint32, qint32>> fieldLengths;
    // The SHA-1 of each message's whole bytes; only filled when read for the exact comparison.
    std::vector<QByteArray> digests;
    // The file's own message count, also when the reading stopped early.
    qint32 count = 0;
    bool opened = false;
    bool cancelled = false;

    // From, Subject and Date of message n (1-based; empty texts outside the list).
    struct Parts
    {
        QString from;
        QString subject;
        QString date;
    };
    Parts parts(qint32 n) const;
};

enum class SyncReadMode
{
    // The headers only for ".dbx", the whole record for ".mbx".
    Records,
    // Records and the digest of every message's bytes.
    Digests
};

// Reads one folder file. A file that cannot be opened gives count 0 and empty lists (with a log
// line); a cancelled read stops after the message it was on. Safe to call on any thread: every
// call opens its own reader.
SyncMessageList readSyncMessageList(const QString& hostPath, StoreFormat format,
                                    const SyncControl& control,
                                    SyncReadMode mode = SyncReadMode::Records);

} // namespace kv::msgstore
