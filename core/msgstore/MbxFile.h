#pragma once

#include "msgstore/MsgFileReader.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace kv::msgstore {

// Reads one message file of the version-4 store (".mbx") without the mail client: walks the
// message records from front to back, numbers them 1..count in file order, and hands out a
// message's raw text, four header values taken from that text, the record's size, or writes the
// current message to a file. It never changes the file. The twin of DbxFile, with the same
// open and close behaviour; header values are searched in the whole message last loaded.
class MbxFile : public MsgFileReader
{
public:
    // The record length (its 16-byte header included); 0 outside 1..count or for a slot the
    // scan did not reach.
    qint64 MsgSize(qint32 n) const;
    bool FileOpen(const QString& hostPath);
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

private:
    struct Record
    {
        quint64 offset;
        qint32 length;
    };

    std::vector<Record> m_records; // message n at [n - 1]; slots past the scan are missing
};

} // namespace kv::msgstore
