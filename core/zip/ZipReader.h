#pragma once

#include "zip/ZipRecords.h"

#include <QIODevice>
#include <QList>

#include <atomic>
#include <functional>

namespace kv::zip {

class ZipSource;

// Reads the central directory of an archive and the data of its entries.
class ZipReader
{
public:
    enum class Status
    {
        Ok,
        BadCrc, // data inflated but does not match its CRC or size
        UnknownMethod,
        Encrypted,
        Corrupted,    // header or deflate stream damaged
        WriteFailed,  // the output device refused the data
        SourceFailed, // the archive could not be read further (see the source's error)
        Cancelled,
    };

    explicit ZipReader(ZipSource& source);

    // Reads the end records and the central directory: 0 or a ZipResult code.
    int open();
    const QList<CentralEntry>& entries() const { return m_entries; }

    // Inflates an entry and checks it; the data goes to out when given (nullptr: test only).
    Status extract(const CentralEntry& e, QIODevice* out, const std::atomic<bool>& cancel);
    // The compressed bytes of an entry, in pieces, for copying it into another archive.
    Status readRaw(const CentralEntry& e, const std::function<bool(const char*, qint64)>& sink,
                   const std::atomic<bool>& cancel);

private:
    Status locateData(const CentralEntry& e, quint32* disk, quint64* offset);

    ZipSource& m_source;
    QList<CentralEntry> m_entries;
};

} // namespace kv::zip
