#include "zip/ZipSink.h"

#include "zip/ZipListener.h"
#include "zip/ZipLog.h"
#include "zip/ZipRecords.h"
#include "zip/ZipTypes.h"

#include <QFileDevice>

#include <functional>

namespace kv::zip {

namespace {

// A disk with less room than this cannot take even a header and is refused.
constexpr quint64 kMinDiskRoom = 512;

bool flushDevice(QIODevice* device)
{
    if (auto* f = qobject_cast<QFileDevice*>(device))
        return f->flush();
    return true;
}

} // namespace

FileSink::FileSink(platform::IFileSystem& fs, QString path) : m_fs(fs), m_path(std::move(path)) {}

bool FileSink::open()
{
    m_device = m_fs.open(m_path, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!m_device) {
        qCWarning(lcZip) << "cannot create" << m_path << "error" << m_fs.lastError();
        m_error = kZipCannotCreate;
        return false;
    }
    return true;
}

bool FileSink::write(const char* data, qint64 size)
{
    if (!m_device)
        return false;
    if (m_device->write(data, size) != size) {
        qCWarning(lcZip) << "write failed on" << m_path << m_device->errorString();
        m_error = kZipDiskFull;
        return false;
    }
    m_offset += quint64(size);
    return true;
}

bool FileSink::rewind(quint64 offset)
{
    auto* file = qobject_cast<QFileDevice*>(m_device.get());
    if (!file || !file->flush() || !file->resize(qint64(offset)) || !file->seek(qint64(offset)))
        return false;
    m_offset = offset;
    return true;
}

bool FileSink::finish()
{
    if (!m_device)
        return false;
    const bool ok = flushDevice(m_device.get());
    m_device->close();
    m_device.reset();
    if (!ok) {
        qCWarning(lcZip) << "final write failed on" << m_path;
        m_error = kZipDiskFull;
    }
    return ok;
}

void FileSink::abort()
{
    if (m_device) {
        m_device->close();
        m_device.reset();
    }
    m_fs.removeFile(m_path);
}

SpanSink::SpanSink(platform::IFileSystem& fs, QString path, ZipListener* listener,
                   const std::atomic<bool>& cancel, bool clearDisks)
    : m_fs(fs), m_path(std::move(path)), m_root(m_path.left(3)), m_listener(listener),
      m_cancel(cancel), m_clearDisks(clearDisks)
{
}

bool SpanSink::fail(int code, const char* what)
{
    qCWarning(lcZip) << what << m_path << "disk" << m_disk + 1;
    m_error = code;
    return false;
}

bool SpanSink::open()
{
    if (!openDisk())
        return false;
    ByteWriter w;
    w.u32(kSigDescriptor);
    return writeRecord(w.data());
}

void SpanSink::clearDisk()
{
    // Only the disk in the drive is touched, and only when the caller asked for it.
    std::function<void(const QString&)> wipe = [&](const QString& folder) {
        for (const platform::FileEntry& e : m_fs.find(folder + QStringLiteral("*"))) {
            const QString path = folder + e.name;
            if (e.isDirectory()) {
                wipe(path + QLatin1Char('\\'));
                m_fs.removeDirectory(path);
            } else {
                m_fs.removeFile(path);
            }
        }
    };
    wipe(m_root);
}

bool SpanSink::openDisk()
{
    for (;;) {
        if (m_clearDisks)
            clearDisk();
        m_device = m_fs.open(m_path, QIODevice::WriteOnly | QIODevice::Truncate);
        if (!m_device)
            return fail(kZipCannotCreate, "cannot create");
        platform::DiskSpace space;
        m_capacity = m_fs.diskSpace(m_root, &space) ? space.freeBytes : 0;
        m_written = 0;
        if (m_capacity >= kMinDiskRoom)
            return true;
        // A full disk: the user is asked again for a disk of the same number.
        m_device->close();
        m_device.reset();
        m_fs.removeFile(m_path);
        if (m_cancel || !m_listener || !m_listener->insertDisk(int(m_disk) + 1) || m_cancel)
            return fail(kZipCancelled, "no disk with room for");
    }
}

bool SpanSink::nextDisk()
{
    const bool flushed = flushDevice(m_device.get());
    m_device->close();
    m_device.reset();
    if (!flushed)
        return fail(kZipDiskFull, "last write failed on");
    ++m_disk;
    if (m_cancel || !m_listener || !m_listener->insertDisk(int(m_disk) + 1) || m_cancel)
        return fail(kZipCancelled, "next disk refused for");
    return openDisk();
}

bool SpanSink::write(const char* data, qint64 size)
{
    while (size > 0) {
        if (!m_device)
            return false;
        if (m_written >= m_capacity && !nextDisk())
            return false;
        const qint64 room = qint64(m_capacity - m_written);
        const qint64 n = std::min(room, size);
        const qint64 done = m_device->write(data, n);
        if (done > 0) {
            m_written += quint64(done);
            data += done;
            size -= done;
        }
        if (done != n || !flushDevice(m_device.get())) {
            // The disk held less than it said: what was taken stays, the rest goes on the next.
            m_capacity = m_written;
        }
    }
    return true;
}

bool SpanSink::reserve(qint64 size)
{
    if (!m_device)
        return false;
    if (quint64(size) > m_capacity - m_written && !nextDisk())
        return false;
    if (quint64(size) > m_capacity - m_written)
        return fail(kZipDiskFull, "record larger than a disk for");
    return true;
}

bool SpanSink::finish()
{
    if (!m_device)
        return false;
    const bool flushed = flushDevice(m_device.get());
    m_device->close();
    m_device.reset();
    if (!flushed)
        return fail(kZipDiskFull, "last write failed on");
    if (m_disk == 0) {
        // A set that fitted one disk is marked as such, so readers take it as a plain archive.
        std::unique_ptr<QIODevice> f = m_fs.open(m_path, QIODevice::ReadWrite);
        ByteWriter w;
        w.u32(kSigSingleSpan);
        if (!f || !f->seek(0) || f->write(w.data()) != 4 || !flushDevice(f.get()))
            return fail(kZipDiskFull, "cannot mark single disk");
    }
    return true;
}

void SpanSink::abort()
{
    if (m_device) {
        m_device->close();
        m_device.reset();
    }
    m_fs.removeFile(m_path);
}

} // namespace kv::zip
