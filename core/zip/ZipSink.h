#pragma once

#include "platform/IFileSystem.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <memory>

namespace kv::zip {

class ZipListener;

// Where the writer's bytes go: one file, or a set spread over removable disks. A failed call
// leaves a result code in error().
class ZipSink
{
public:
    virtual ~ZipSink() = default;
    // The disk (from 0) and the offset on it of the next byte.
    virtual quint32 disk() const = 0;
    virtual quint64 offset() const = 0;
    // Bytes that may run over onto the next disk (entry data).
    virtual bool write(const char* data, qint64 size) = 0;
    // Makes sure the next size bytes fit on the current disk: headers never cross a disk.
    virtual bool reserve(qint64 size) = 0;
    // Goes back to an earlier offset of the current disk, dropping what followed (an entry
    // whose file could not be read to its end). False when the sink cannot.
    virtual bool rewind(quint64 offset) = 0;
    virtual bool finish() = 0;
    // Gives up: closes and removes what this sink can still reach.
    virtual void abort() = 0;
    virtual int error() const = 0;

    bool writeRecord(const QByteArray& record)
    {
        return reserve(record.size()) && write(record.constData(), record.size());
    }
};

// One file on a fixed disk.
class FileSink : public ZipSink
{
public:
    FileSink(platform::IFileSystem& fs, QString path);
    bool open();
    quint32 disk() const override { return 0; }
    quint64 offset() const override { return m_offset; }
    bool write(const char* data, qint64 size) override;
    bool reserve(qint64) override { return m_device != nullptr; }
    bool rewind(quint64 offset) override;
    bool finish() override;
    void abort() override;
    int error() const override { return m_error; }

private:
    platform::IFileSystem& m_fs;
    QString m_path;
    std::unique_ptr<QIODevice> m_device;
    quint64 m_offset = 0;
    int m_error = 0;
};

// A set on removable disks: every disk holds a file of the same name; when one is full the
// listener is asked for the next. The first disk starts with the spanning signature.
class SpanSink : public ZipSink
{
public:
    SpanSink(platform::IFileSystem& fs, QString path, ZipListener* listener,
             const std::atomic<bool>& cancel, bool clearDisks);
    bool open();
    quint32 disk() const override { return m_disk; }
    quint64 offset() const override { return m_written; }
    bool write(const char* data, qint64 size) override;
    bool reserve(qint64 size) override;
    bool rewind(quint64) override { return false; }
    bool finish() override;
    void abort() override;
    int error() const override { return m_error; }
    quint32 disksUsed() const { return m_disk + 1; }

private:
    bool openDisk();
    bool nextDisk();
    void clearDisk();
    bool fail(int code, const char* what);

    platform::IFileSystem& m_fs;
    QString m_path;
    QString m_root;
    ZipListener* m_listener;
    const std::atomic<bool>& m_cancel;
    bool m_clearDisks;
    std::unique_ptr<QIODevice> m_device;
    quint32 m_disk = 0;
    quint64 m_written = 0;
    quint64 m_capacity = 0;
    int m_error = 0;
};

} // namespace kv::zip
