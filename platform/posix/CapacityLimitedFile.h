#pragma once

#include <QFile>
#include <QIODevice>
#include <QString>

namespace kv::platform::posix {

// A file on an emulated removable drive of fixed capacity. Writes that would take the drive's
// contents past its capacity write what still fits and fail from then on with kErrorDiskFull,
// as a full diskette does; the bytes used are counted afresh on every write, so files written
// side by side share the room correctly.
class CapacityLimitedFile : public QIODevice
{
public:
    // A refused write leaves kErrorDiskFull as the thread's last error.
    CapacityLimitedFile(const QString& hostPath, const QString& driveFolder, quint64 capacity);
    ~CapacityLimitedFile() override;

    bool open(OpenMode mode) override;
    void close() override;
    bool isSequential() const override { return false; }
    qint64 size() const override;
    bool seek(qint64 pos) override;

    // Bytes taken by the files below a folder (recursively), leaving out one file.
    static quint64 bytesUsed(const QString& folder, const QString& exceptFile = {});

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    QFile m_file;
    QString m_driveFolder;
    quint64 m_capacity;
};

} // namespace kv::platform::posix
