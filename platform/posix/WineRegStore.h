#pragma once

#include "platform/WinError.h"
#include "platform/posix/WineRegFile.h"

#include <QString>

#include <memory>

namespace kv::platform::posix {

// One registry file of a prefix on disk: read when first needed, read again when another
// program replaced it, and written back atomically. A missing file is an empty hive, created
// on the first write. A file that is not a registry file, or has lines that cannot be read,
// is never written, so that nothing of the user's registry is lost.
class WineRegStore
{
public:
    WineRegStore(QString path, QByteArray relativeTo);
    ~WineRegStore();

    const QString& path() const { return m_path; }

    // Reads the file if it is not in memory or changed on disk since it was read (unless
    // changes are pending). Fails for an unreadable file or one that is not a registry file.
    WinError load(quint64 now, QString* errorText);
    // Whether the file may be written: read, and read without problems.
    WinError checkWritable(QString* errorText) const;
    WineRegFile* file() { return m_file.get(); }
    bool existsOnDisk() const { return m_stamp.exists; }

    bool dirty() const { return m_dirty; }
    void markDirty() { m_dirty = true; }
    // Whether another program replaced the file since it was read.
    bool changedOnDisk() const;
    // Writes the pending changes.
    WinError save(QString* errorText);
    // Forgets the file's content and any pending change; it is read again when next needed.
    void discard();

private:
    struct Stamp
    {
        bool exists = false;
        qint64 size = 0;
        qint64 mtimeNs = 0;
        quint64 inode = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp currentStamp() const;

    QString m_path;
    QByteArray m_relativeTo;
    std::unique_ptr<WineRegFile> m_file;
    Stamp m_stamp;
    bool m_dirty = false;
    WinError m_loadError = kErrorSuccess;
    QString m_loadText;
};

} // namespace kv::platform::posix
