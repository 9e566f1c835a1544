#pragma once

#include "msgstore/FileView.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace kv::msgstore {

// Reads one message file of the version-4 store (".mbx") without the mail client: walks the
// message records from front to back, numbers them 1..count in file order, and hands out a
// message's raw text, four header values taken from that text, the record's size, or writes the
// current message to a file. It never changes the file. The twin of CDbxMsgFile, with the same
// open and close behaviour; header values are searched in the whole message last loaded.
//
// EOF and BOF are C library macros, hence Eof() and Bof().
class CMbxMsgFile
{
public:
    CMbxMsgFile() = default;
    CMbxMsgFile(const CMbxMsgFile&) = delete;
    CMbxMsgFile& operator=(const CMbxMsgFile&) = delete;

    qint32 MessageCount() const { return m_count; }
    // The record length (its 16-byte header included); 0 outside 1..count or for a slot the
    // scan did not reach.
    qint64 MsgSize(qint32 n) const;
    bool FileOpen(const QString& hostPath);
    void FileClose();
    // The record's text (its length less the 16-byte header), kept as the full-message text;
    // the cursor becomes n. "" outside 1..count (cursor unchanged) and for a slot the scan did
    // not reach. A record that cannot be read gives "" with *ok false and lastError() set.
    QByteArray FullMessage(qint32 n, bool* ok = nullptr);
    QByteArray FirstMsg() { return FullMessage(1); }
    QByteArray NextMsg() { return m_cursor < m_count ? FullMessage(m_cursor + 1) : QByteArray(); }
    QString MsgFrom() const;
    QString MsgTo() const;
    QString MsgSubject() const;
    QString MsgDateStr() const;
    // Writes the current full-message text and one CR LF to folder/fileName (folder a host
    // path, created when missing; an existing file is replaced). False on a write error.
    bool SaveAsFile(const QString& folder, const QString& fileName);
    bool Eof() const { return m_cursor == m_count; }
    void Bof() { m_cursor = 0; }

    bool IsOpen() const { return m_file.isOpen(); }
    const QString& FileName() const { return m_name; }
    const QByteArray& FullMessageText() const { return m_full; }
    const QString& lastError() const { return m_error; }

private:
    struct Record
    {
        quint64 offset;
        qint32 length;
    };

    bool failOpen(const QString& why);
    bool fail(const QString& why);

    FileView m_file;
    QString m_name;
    qint32 m_count = 0;
    std::vector<Record> m_records; // message n at [n - 1]; slots past the scan are missing
    qint32 m_cursor = 0;
    QByteArray m_full;
    QString m_error;
};

} // namespace kv::msgstore
