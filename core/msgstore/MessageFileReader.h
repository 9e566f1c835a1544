#pragma once

#include "msgstore/FileView.h"

#include <QByteArray>
#include <QString>

namespace kv::msgstore {

// What the two message file readers share: the mapped file and its name, the message count,
// the cursor, the message read last, the last error, and the way a file is opened and closed.
// Opening the name already open returns at once without reading anything again; a missing or
// unmappable file leaves the reader closed with lastError() telling why.
class MessageFileReader
{
public:
    MessageFileReader(const MessageFileReader&) = delete;
    MessageFileReader& operator=(const MessageFileReader&) = delete;

    // The header's message count (folders of more than 32 767 messages exist, so 32 bits).
    qint32 messageCount() const { return m_count; }
    void close() { m_file.close(); }
    // The cursor is the number of the message read last; next() reads the one after it.
    bool atEnd() const { return m_cursor == m_count; }
    void rewind() { m_cursor = 0; }

    bool isOpen() const { return m_file.isOpen(); }
    const QString& fileName() const { return m_name; }
    const QByteArray& currentMessage() const { return m_full; }
    const QString& lastError() const { return m_error; }

protected:
    MessageFileReader() = default;
    ~MessageFileReader() = default;

    enum class OpenStep
    {
        Failed,
        AlreadyOpen,
        Mapped
    };
    // Closes another open file and maps hostPath; the reader's own format is read after this.
    OpenStep mapFile(const QString& hostPath);
    // Takes a freshly read file's count and puts the cursor before its first message.
    void opened(qint32 count);
    // Failures while opening close the file again; later ones leave it open.
    bool failOpen(const QString& why);
    bool fail(const QString& why);

    FileView m_file;
    QString m_name;
    qint32 m_count = 0;
    qint32 m_cursor = 0;
    QByteArray m_full;
    QString m_error;
};

} // namespace kv::msgstore
