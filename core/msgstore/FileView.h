#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace kv::msgstore {

// A read-only view of a whole file, memory-mapped (or read whole when the system refuses the
// mapping), with every access checked against the file's length. Offsets are unsigned 64-bit,
// so a file of 2 GB or more reads like any other; a request that reaches past the end yields
// nothing instead of reading beyond the data.
class FileView
{
public:
    FileView() = default;
    FileView(const FileView&) = delete;
    FileView& operator=(const FileView&) = delete;
    ~FileView();

    bool open(const QString& hostPath, QString* error);
    void close();
    bool isOpen() const { return m_open; }
    quint64 size() const { return m_size; }

    // The len bytes at offset, or nullptr when any of them lie outside the file.
    const uchar* at(quint64 offset, quint64 len) const
    {
        if (offset > m_size || len > m_size - offset || !m_data)
            return nullptr;
        return m_data + offset;
    }
    // How many bytes the file holds from offset on (0 past the end).
    quint64 available(quint64 offset) const { return offset < m_size ? m_size - offset : 0; }

    bool u8(quint64 offset, quint32* value) const;
    bool u16(quint64 offset, quint32* value) const;
    bool u32(quint64 offset, quint32* value) const;

private:
    QFile m_file;
    QByteArray m_copy;
    const uchar* m_data = nullptr;
    quint64 m_size = 0;
    bool m_open = false;
};

// Little-endian integers from bytes already checked to be there.
inline quint32 le16(const uchar* p) { return quint32(p[0]) | quint32(p[1]) << 8; }
inline quint32 le24(const uchar* p) { return le16(p) | quint32(p[2]) << 16; }
inline quint32 le32(const uchar* p) { return le24(p) | quint32(p[3]) << 24; }

} // namespace kv::msgstore
