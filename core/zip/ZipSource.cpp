#include "zip/ZipSource.h"

#include "zip/ZipListener.h"
#include "zip/ZipLog.h"
#include "zip/ZipTypes.h"

namespace kv::zip {

namespace {

// The end record may be followed by a comment of up to 64 KiB.
constexpr qint64 kTailSearch = kEndSize + 0xffff;

} // namespace

ZipSource::ZipSource(platform::IFileSystem& fs, QString path, ZipListener* listener,
                     const std::atomic<bool>& cancel, bool spanning)
    : m_fs(fs), m_path(std::move(path)), m_listener(listener), m_cancel(cancel),
      m_spanning(spanning)
{
}

bool ZipSource::fail(int code, const char* what)
{
    qCWarning(lcZip) << what << m_path << "disk" << m_current + 1;
    m_error = code;
    return false;
}

bool ZipSource::openCurrent()
{
    m_device = m_fs.open(m_path, QIODevice::ReadOnly);
    if (!m_device)
        return false;
    m_currentSize = quint64(m_device->size());
    return true;
}

void ZipSource::close()
{
    if (m_device)
        m_device->close();
    m_device.reset();
}

bool ZipSource::open(EndRecord* end)
{
    if (!openCurrent())
        return fail(kZipCannotOpen, "cannot open");
    for (;;) {
        if (findEnd(end))
            return true;
        if (m_error != kZipNotAZip || !m_device)
            return false;
        // Not the last disk of a set: ask for it, when disks may be changed at all.
        char sig[4];
        const bool firstOfSet =
            m_device->seek(0) && m_device->read(sig, 4) == 4 && readU32(sig) == kSigDescriptor;
        if (!m_spanning || !firstOfSet)
            return false;
        close();
        for (;;) {
            if (m_cancel || !m_listener || !m_listener->insertDisk(0) || m_cancel)
                return fail(kZipCancelled, "last disk refused for");
            if (openCurrent())
                break;
        }
        m_error = 0;
    }
}

bool ZipSource::findEnd(EndRecord* end)
{
    const qint64 size = qint64(m_currentSize);
    const qint64 start = std::max<qint64>(0, size - kTailSearch);
    if (size < kEndSize || !m_device->seek(start))
        return fail(kZipNotAZip, "no end record in");
    const QByteArray tail = m_device->read(size - start);
    if (tail.size() != size - start)
        return fail(kZipNotAZip, "cannot read the end of");
    qsizetype at = -1;
    for (qsizetype i = tail.size() - kEndSize; i >= 0; --i) {
        const char* p = tail.constData() + i;
        if (readU32(p) == kSigEnd && i + kEndSize + readU16(p + 20) <= tail.size()) {
            at = i;
            break;
        }
    }
    if (at < 0)
        return fail(kZipNotAZip, "no end record in");
    const char* p = tail.constData() + at;
    end->thisDisk = readU16(p + 4);
    end->directoryDisk = readU16(p + 6);
    end->entriesOnDisk = readU16(p + 8);
    end->entries = readU16(p + 10);
    end->directorySize = readU32(p + 12);
    end->directoryOffset = readU32(p + 16);
    m_endOffset = quint64(start + at);
    m_lastDisk = end->thisDisk;
    m_current = end->thisDisk;

    // A zip64 locator just before the end record takes precedence over the 16- and 32-bit values.
    if (at >= kLocator64Size && readU32(p - kLocator64Size) == kSigLocator64) {
        const char* loc = p - kLocator64Size;
        const quint32 end64Disk = readU32(loc + 4);
        const quint64 end64Offset = readU64(loc + 8);
        const quint32 disks = readU32(loc + 16);
        if (disks == 0)
            return fail(kZipNotAZip, "bad zip64 locator in");
        m_lastDisk = disks - 1;
        m_current = m_lastDisk;
        char rec[kEnd64Size];
        if (end64Disk > m_lastDisk || !read(end64Disk, end64Offset, rec, kEnd64Size) ||
            readU32(rec) != kSigEnd64)
            return fail(kZipNotAZip, "bad zip64 end record in");
        end->thisDisk = readU32(rec + 16);
        end->directoryDisk = readU32(rec + 20);
        end->entriesOnDisk = readU64(rec + 24);
        end->entries = readU64(rec + 32);
        end->directorySize = readU64(rec + 40);
        end->directoryOffset = readU64(rec + 48);
        if (end->thisDisk != m_lastDisk)
            return fail(kZipNotAZip, "inconsistent zip64 end record in");
        if (end64Disk == m_lastDisk)
            m_endOffset = end64Offset;
    }
    if (m_lastDisk > 0 && !m_spanning)
        return fail(kZipNotAZip, "a disk of a spanned set, spanning not allowed:");
    return true;
}

bool ZipSource::select(quint32 disk)
{
    if (disk == m_current && m_device)
        return true;
    if (disk > m_lastDisk || !m_spanning)
        return fail(kZipNotAZip, "reference to another disk in");
    close();
    m_current = disk;
    // A listener that keeps saying yes without a readable disk in the drive is not asked forever.
    for (int attempt = 0;; ++attempt) {
        if (attempt == 50)
            return fail(kZipCannotOpen, "no readable disk for");
        const int number = disk == m_lastDisk ? 0 : int(disk) + 1;
        if (m_cancel || !m_listener || !m_listener->insertDisk(number) || m_cancel)
            return fail(kZipCancelled, "disk refused for");
        if (!openCurrent())
            continue;
        char sig[4];
        if (disk == 0 &&
            !(m_device->seek(0) && m_device->read(sig, 4) == 4 && readU32(sig) == kSigDescriptor)) {
            close(); // not the first disk of the set: ask again
            continue;
        }
        return true;
    }
}

bool ZipSource::read(quint32* diskPos, quint64* offsetPos, char* data, qint64 size)
{
    quint32& disk = *diskPos;
    quint64& offset = *offsetPos;
    while (size > 0) {
        if (!select(disk))
            return false;
        if (offset >= m_currentSize) {
            if (disk >= m_lastDisk || offset > m_currentSize)
                return fail(kZipNotAZip, "read past the end of");
            ++disk;
            offset = 0;
            continue;
        }
        const qint64 n = std::min<qint64>(size, qint64(m_currentSize - offset));
        if (!m_device->seek(qint64(offset)) || m_device->read(data, n) != n)
            return fail(kZipNotAZip, "read failed in");
        data += n;
        size -= n;
        offset += quint64(n);
    }
    return true;
}

} // namespace kv::zip
