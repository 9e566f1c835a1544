#include "zip/ZipWriter.h"

#include "zip/ChunkDeflater.h"
#include "zip/ZipLog.h"
#include "zip/ZipSink.h"
#include "zip/ZipTypes.h"

#include <isa-l/crc.h>

namespace kv::zip {

namespace {

constexpr qint64 kChunkSize = 1 << 20;
// Files this large get zip64 fields from the start: their compressed size may pass 4 GiB, and
// the margin covers a file that grows while it is read.
constexpr quint64 kZip64Threshold = 0xF0000000ull;
constexpr quint16 kMadeByDos20 = 20;

} // namespace

ZipWriter::ZipWriter(ZipSink& sink, ChunkDeflater& deflater, const std::atomic<bool>& cancel)
    : m_sink(sink), m_deflater(deflater), m_cancel(cancel)
{
}

int ZipWriter::writeData(const QByteArray& bytes)
{
    if (!m_sink.write(bytes.constData(), bytes.size()))
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    return kZipSuccess;
}

// Writes compressed chunks until at most "keep" are still in flight.
int ZipWriter::drain(int keep, CentralEntry& e)
{
    while (m_deflater.pending() > keep) {
        QByteArray out;
        if (!m_deflater.takeNext(&out)) {
            qCWarning(lcZip) << "deflate failed for" << e.name;
            return kZipInternalError;
        }
        e.compressedSize += quint64(out.size());
        if (const int rc = writeData(out))
            return rc;
    }
    return kZipSuccess;
}

int ZipWriter::addFile(const QString& entryName, QIODevice& in, quint64 expectedSize,
                       const QDateTime& modifiedUtc, quint32 attributes)
{
    CentralEntry e;
    e.flags = kFlagDescriptor;
    e.rawName = encodeName(entryName, &e.flags);
    e.name = entryName;
    e.madeBy = kMadeByDos20;
    e.method = expectedSize == 0 ? kMethodStored : kMethodDeflated;
    e.dosDateTime = toDosDateTime(modifiedUtc);
    e.externalAttributes = attributes & 0xff;
    const bool zip64 = expectedSize >= kZip64Threshold;
    e.needed = zip64 ? 45 : 20;

    if (const int rc = writeLocalHeader(e, zip64))
        return rc;

    auto dropEntry = [&](int rc) {
        while (m_deflater.pending() > 0) {
            QByteArray discard;
            m_deflater.takeNext(&discard);
        }
        return rc;
    };

    quint32 crc = 0;
    QByteArray pending;
    bool readFailed = false;
    for (;;) {
        if (m_cancel)
            return dropEntry(kZipCancelled);
        QByteArray chunk(kChunkSize, Qt::Uninitialized);
        const qint64 n = in.read(chunk.data(), kChunkSize);
        if (n < 0) {
            readFailed = true;
            break;
        }
        chunk.resize(n);
        if (n > 0) {
            crc = crc32_gzip_refl(crc, reinterpret_cast<const unsigned char*>(chunk.constData()),
                                  quint64(n));
            e.size += quint64(n);
        }
        if (e.method == kMethodDeflated && (n == 0 || !pending.isNull())) {
            // The chunk before this one is sent once it is known whether it ends the file; an
            // empty file still needs its one final block.
            m_deflater.submit(std::move(pending), n == 0);
            pending = QByteArray();
        }
        if (n == 0)
            break;
        pending = std::move(chunk);
        if (e.method == kMethodStored)
            break; // listed empty, grown since
        if (const int rc = drain(m_deflater.window(), e))
            return dropEntry(rc);
    }
    if (!readFailed && e.size > 0 && e.method == kMethodStored) {
        // The file was empty when listed and has grown since: nothing was submitted.
        readFailed = true;
    }
    if (!readFailed)
        if (const int rc = drain(0, e))
            return dropEntry(rc);
    if (readFailed) {
        dropEntry(0);
        qCWarning(lcZip) << "read failed for" << entryName;
        if (e.disk == m_sink.disk() && m_sink.rewind(e.localOffset))
            return kReadFailed;
        return kZipInternalError;
    }
    if (!zip64 && (e.size >= kMax32 || e.compressedSize >= kMax32)) {
        qCWarning(lcZip) << entryName << "grew past 4 GiB while it was read";
        return kZipInternalError;
    }
    e.crc = crc;
    if (!m_sink.writeRecord(dataDescriptor(e, zip64)))
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    m_entries.append(e);
    return kZipSuccess;
}

int ZipWriter::writeLocalHeader(CentralEntry& e, bool zip64)
{
    // The header must not be split across disks: where it starts is where the entry lives.
    const QByteArray header = localHeader(e, zip64);
    if (!m_sink.reserve(header.size()))
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    e.disk = m_sink.disk();
    e.localOffset = m_sink.offset();
    return writeData(header);
}

int ZipWriter::addRaw(const CentralEntry& entry,
                      const std::function<bool(const RawWrite&)>& produce)
{
    CentralEntry e = entry;
    e.flags |= kFlagDescriptor;
    const bool zip64 = e.needed >= 45 || e.size >= kMax32 || e.compressedSize >= kMax32;
    if (const int rc = writeLocalHeader(e, zip64))
        return rc;
    quint64 copied = 0;
    bool writeFailed = false;
    const bool produced = produce([&](const char* data, qint64 n) {
        if (m_cancel || !m_sink.write(data, n)) {
            writeFailed = !m_cancel;
            return false;
        }
        copied += quint64(n);
        return true;
    });
    if (m_cancel)
        return kZipCancelled;
    if (writeFailed)
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    if (!produced || copied != e.compressedSize)
        return kZipInternalError;
    if (!m_sink.writeRecord(dataDescriptor(e, zip64)))
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    m_entries.append(e);
    return kZipSuccess;
}

int ZipWriter::finish()
{
    EndRecord end;
    end.entries = quint64(m_entries.size());
    bool first = true;
    QList<quint32> recordDisks;
    for (const CentralEntry& e : m_entries) {
        const QByteArray record = centralHeader(e);
        if (!m_sink.reserve(record.size()))
            return m_sink.error() ? m_sink.error() : kZipDiskFull;
        if (first) {
            end.directoryDisk = m_sink.disk();
            end.directoryOffset = m_sink.offset();
            first = false;
        }
        if (!m_sink.write(record.constData(), record.size()))
            return m_sink.error() ? m_sink.error() : kZipDiskFull;
        end.directorySize += quint64(record.size());
        recordDisks.append(m_sink.disk());
    }
    // The end records stay together on the last disk.
    if (!m_sink.reserve(kEndSize + kEnd64Size + kLocator64Size))
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    if (first) {
        end.directoryDisk = m_sink.disk();
        end.directoryOffset = m_sink.offset();
    }
    end.thisDisk = m_sink.disk();
    end.entriesOnDisk = quint64(recordDisks.count(end.thisDisk));
    const QByteArray records = endRecords(end, m_sink.disk(), m_sink.offset());
    if (!m_sink.write(records.constData(), records.size()))
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    if (!m_sink.finish())
        return m_sink.error() ? m_sink.error() : kZipDiskFull;
    return kZipSuccess;
}

} // namespace kv::zip
