#include "zip/ZipReader.h"

#include "zip/ZipLog.h"
#include "zip/ZipSource.h"
#include "zip/ZipTypes.h"

#include <isa-l/crc.h>
#include <isa-l/igzip_lib.h>

#include <memory>

namespace kv::zip {

namespace {

constexpr qint64 kBlock = 256 * 1024;
// A central directory larger than this is taken for damage rather than read into memory.
constexpr quint64 kMaxDirectory = 512ull << 20;

} // namespace

ZipReader::ZipReader(ZipSource& source) : m_source(source) {}

int ZipReader::open()
{
    EndRecord end;
    if (!m_source.open(&end))
        return m_source.error();
    if (end.directorySize > kMaxDirectory || end.entries > end.directorySize / kCentralHeaderSize) {
        qCWarning(lcZip) << "implausible central directory:" << end.entries << "entries in"
                         << end.directorySize << "bytes";
        return kZipNotAZip;
    }
    // Data in front of the archive (a self-extractor's stub) shifts every offset of a one-disk
    // archive by the same amount.
    quint64 shift = 0;
    if (m_source.lastDisk() == 0) {
        const quint64 expected = end.directoryOffset + end.directorySize;
        const quint64 actual = m_source.endOffset();
        if (actual > expected)
            shift = actual - expected;
        else if (actual < expected)
            return kZipNotAZip;
    }

    QByteArray dir(qsizetype(end.directorySize), Qt::Uninitialized);
    if (!m_source.read(end.directoryDisk, end.directoryOffset + shift, dir.data(), dir.size()))
        return m_source.error() == kZipCancelled ? kZipCancelled : kZipNotAZip;
    m_entries.clear();
    qsizetype at = 0;
    for (quint64 i = 0; i < end.entries; ++i) {
        qsizetype used = 0;
        std::optional<CentralEntry> e = parseCentral(dir.constData() + at, dir.size() - at, &used);
        if (!e) {
            qCWarning(lcZip) << "damaged central directory at entry" << i;
            return kZipNotAZip;
        }
        e->localOffset += shift;
        m_entries.append(*e);
        at += used;
    }
    return kZipSuccess;
}

ZipReader::Status ZipReader::locateData(const CentralEntry& e, quint32* disk, quint64* offset)
{
    if (e.flags & kFlagEncrypted)
        return Status::Encrypted;
    if (e.method != kMethodStored && e.method != kMethodDeflated)
        return Status::UnknownMethod;
    *disk = e.disk;
    *offset = e.localOffset;
    char header[kLocalHeaderSize];
    if (!m_source.read(disk, offset, header, kLocalHeaderSize))
        return m_source.error() == kZipCancelled ? Status::Cancelled : Status::Corrupted;
    if (readU32(header) != kSigLocal)
        return Status::Corrupted;
    const quint16 nameLen = readU16(header + 26);
    const quint16 extraLen = readU16(header + 28);
    QByteArray name(nameLen, Qt::Uninitialized);
    if (!m_source.read(disk, offset, name.data(), nameLen))
        return m_source.error() == kZipCancelled ? Status::Cancelled : Status::Corrupted;
    if (name != e.rawName || readU16(header + 8) != e.method)
        return Status::Corrupted;
    *offset += extraLen;
    return Status::Ok;
}

ZipReader::Status ZipReader::readRaw(const CentralEntry& e,
                                     const std::function<bool(const char*, qint64)>& sink,
                                     const std::atomic<bool>& cancel)
{
    quint32 disk = 0;
    quint64 offset = 0;
    const Status located = locateData(e, &disk, &offset);
    if (located != Status::Ok)
        return located;
    QByteArray buffer(kBlock, Qt::Uninitialized);
    for (quint64 left = e.compressedSize; left > 0;) {
        if (cancel)
            return Status::Cancelled;
        const qint64 n = qint64(std::min<quint64>(left, quint64(kBlock)));
        if (!m_source.read(&disk, &offset, buffer.data(), n))
            return m_source.error() == kZipCancelled ? Status::Cancelled : Status::SourceFailed;
        if (!sink(buffer.constData(), n))
            return Status::WriteFailed;
        left -= quint64(n);
    }
    return Status::Ok;
}

ZipReader::Status ZipReader::extract(const CentralEntry& e, QIODevice* out,
                                     const std::atomic<bool>& cancel)
{
    quint64 produced = 0;
    quint32 crc = 0;
    bool overflow = false;
    auto deliver = [&](const char* data, qint64 n) {
        if (produced + quint64(n) > e.size) {
            overflow = true; // more data than the directory promised: stop early
            return false;
        }
        crc = crc32_gzip_refl(crc, reinterpret_cast<const unsigned char*>(data), quint64(n));
        produced += quint64(n);
        return !out || out->write(data, n) == n;
    };

    if (e.method == kMethodStored && !(e.flags & kFlagEncrypted)) {
        if (e.compressedSize != e.size)
            return Status::Corrupted;
        const Status s = readRaw(e, deliver, cancel);
        if (s == Status::WriteFailed && overflow)
            return Status::BadCrc;
        if (s != Status::Ok)
            return s == Status::SourceFailed && m_source.error() != kZipCancelled
                       ? Status::Corrupted
                       : s;
        return crc == e.crc ? Status::Ok : Status::BadCrc;
    }

    quint32 disk = 0;
    quint64 offset = 0;
    const Status located = locateData(e, &disk, &offset);
    if (located != Status::Ok)
        return located;

    auto state = std::make_unique<inflate_state>();
    isal_inflate_init(state.get());
    QByteArray in(kBlock, Qt::Uninitialized);
    QByteArray outBuf(kBlock, Qt::Uninitialized);
    quint64 left = e.compressedSize;
    for (;;) {
        if (cancel)
            return Status::Cancelled;
        bool refilled = false;
        if (state->avail_in == 0 && left > 0) {
            refilled = true;
            const qint64 n = qint64(std::min<quint64>(left, quint64(kBlock)));
            if (!m_source.read(&disk, &offset, in.data(), n))
                return m_source.error() == kZipCancelled ? Status::Cancelled : Status::Corrupted;
            left -= quint64(n);
            state->next_in = reinterpret_cast<uint8_t*>(in.data());
            state->avail_in = quint32(n);
        }
        state->next_out = reinterpret_cast<uint8_t*>(outBuf.data());
        state->avail_out = quint32(kBlock);
        const quint32 inBefore = state->avail_in;
        const int rc = isal_inflate(state.get());
        if (rc < 0)
            return Status::Corrupted;
        const qint64 got = kBlock - qint64(state->avail_out);
        if (got > 0 && !deliver(outBuf.constData(), got))
            return overflow ? Status::BadCrc : Status::WriteFailed;
        if (state->block_state == ISAL_BLOCK_FINISH)
            break;
        if (got == 0 && state->avail_in == 0 && left == 0)
            return Status::Corrupted; // the stream ends before its last block
        if (got == 0 && !refilled && state->avail_in == inBefore && inBefore > 0)
            return Status::Corrupted; // no progress: never loop on a stuck stream
    }
    if (produced != e.size || crc != e.crc)
        return Status::BadCrc;
    return Status::Ok;
}

} // namespace kv::zip
