#pragma once

#include "msgstore/FileView.h"

#include <QByteArray>
#include <QString>

namespace kv::msgstore {

// What the two message file readers share: the mapped file and its name, the message count,
// the cursor, the last full message, the last error, and the way a file is opened and closed.
// Opening the name already open returns at once without reading anything again; a missing or
// unmappable file leaves the reader closed with lastError() telling why.
//
// EOF and BOF are C library macros, hence Eof() and Bof().
class MsgFileReader
{
public:
    MsgFileReader(const MsgFileReader&) = delete;
    MsgFileReader& operator=(const MsgFileReader&) = delete;

    // The header's message count (folders of more than 32 767 messages exist, so 32 bits).
    qint32 MessageCount() const { return m_count; }
    void FileClose() { m_file.close(); }
    bool Eof() const { return m_cursor == m_count; }
    void Bof() { m_cursor = 0; }

    bool IsOpen() const { return m_file.isOpen(); }
    const QString& FileName() const { return m_name; }
    const QByteArray& FullMessageText() const { return m_full; }
    const QString& lastError() const { return m_error; }

protected:
    MsgFileReader() = default;
    ~MsgFileReader() = default;

    enum class OpenStep { Failed, AlreadyOpen, Mapped };
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
