#pragma once

#include "zip/ZipRecords.h"

#include <QDateTime>
#include <QIODevice>
#include <QList>

#include <atomic>
#include <functional>

namespace kv::zip {

class ChunkDeflater;
class ZipSink;

// Writes entries one after another into a sink, then the central directory. Every entry is
// written forward only (sizes and CRC in a data descriptor), deflated in parallel chunks.
class ZipWriter
{
public:
    // What addFile may report besides a ZipResult code.
    static constexpr int kReadFailed = -1;

    ZipWriter(ZipSink& sink, ChunkDeflater& deflater, const std::atomic<bool>& cancel);

    // Adds a file read from "in" to its end. expectedSize chooses zip64 up front. Returns 0, a
    // ZipResult code, or kReadFailed (the entry was dropped again; only when the sink can rewind).
    int addFile(const QString& entryName, QIODevice& in, quint64 expectedSize,
                const QDateTime& modifiedUtc, quint32 attributes);
    // Copies an entry that is compressed already (moving an archive onto disks): produce hands
    // its data, piece by piece, to the function it is given, and returns false on failure.
    using RawWrite = std::function<bool(const char*, qint64)>;
    int addRaw(const CentralEntry& entry, const std::function<bool(const RawWrite&)>& produce);
    // The central directory and the end records.
    int finish();

    const QList<CentralEntry>& entries() const { return m_entries; }

private:
    int writeData(const QByteArray& bytes);
    // Writes an entry's local header and records the disk and offset it starts at.
    int writeLocalHeader(CentralEntry& e, bool zip64);
    int drain(int keep, CentralEntry& e);

    ZipSink& m_sink;
    ChunkDeflater& m_deflater;
    const std::atomic<bool>& m_cancel;
    QList<CentralEntry> m_entries;
};

} // namespace kv::zip
