#pragma once

#include "platform/IFileSystem.h"
#include "zip/ZipRecords.h"

#include <QString>

#include <atomic>
#include <memory>

namespace kv::zip {

class ZipListener;

// The archive's bytes by disk and offset. A plain archive is disk 0 only; a set on removable
// disks asks the listener for each disk as it is needed. A failed call leaves a result code in
// error().
class ZipSource
{
public:
    ZipSource(platform::IFileSystem& fs, QString path, ZipListener* listener,
              const std::atomic<bool>& cancel, bool spanning);

    // Opens the archive and reads its end records (zip64 merged in); a spanned set starts from
    // its last disk.
    bool open(EndRecord* end);
    // Reads size bytes from (disk, offset), running on into the following disks; the position
    // moves past what was read.
    bool read(quint32* disk, quint64* offset, char* data, qint64 size);
    bool read(quint32 disk, quint64 offset, char* data, qint64 size)
    {
        return read(&disk, &offset, data, size);
    }
    void close();

    quint32 lastDisk() const { return m_lastDisk; }
    // Where the records after the central directory start on the last disk (the zip64 end
    // record when there is one, else the end record).
    quint64 endOffset() const { return m_endOffset; }
    int error() const { return m_error; }

private:
    bool select(quint32 disk);
    bool openCurrent();
    bool findEnd(EndRecord* end);
    bool fail(int code, const char* what);

    platform::IFileSystem& m_fs;
    QString m_path;
    ZipListener* m_listener;
    const std::atomic<bool>& m_cancel;
    bool m_spanning;
    std::unique_ptr<QIODevice> m_device;
    quint32 m_current = 0;
    quint64 m_currentSize = 0;
    quint32 m_lastDisk = 0;
    quint64 m_endOffset = 0;
    int m_error = 0;
};

} // namespace kv::zip
