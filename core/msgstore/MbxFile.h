#pragma once

#include "msgstore/MessageFileReader.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace kv::msgstore {

// Reads one message file of the version-4 store (".mbx") without the mail client: walks the
// message records from front to back, numbers them 1..count in file order, and hands out a
// message's raw text, four header values taken from that text, the record's size, or writes a
// message to a file. It never changes the file. The twin of DbxFile, with the same open and
// close behaviour; header values are searched in the whole message last loaded.
class MbxFile : public MessageFileReader
{
public:
    bool open(const QString& hostPath);

    // The record's text (its length less the 16-byte header), kept as currentMessage(); the
    // cursor becomes n. "" outside 1..count (cursor unchanged) and for a slot the scan did not
    // reach. A record that cannot be read gives "" with *ok false and lastError() set.
    QByteArray message(qint32 n, bool* ok = nullptr);
    QByteArray first() { return message(1); }
    QByteArray next() { return m_cursor < m_count ? message(m_cursor + 1) : QByteArray(); }
    // The record length (its 16-byte header included); 0 outside 1..count or for a slot the
    // scan did not reach.
    qint64 messageSize(qint32 n) const;

    // The record holds the whole message, so loading its headers loads all of it.
    void loadHeaders(qint32 n) { message(n); }
    QString from() const;
    QString to() const;
    QString subject() const;
    QString dateText() const;

    // Writes the message's text and one CR LF to folder/fileName (folder a host path, created
    // when missing; an existing file is replaced), as the version-4 extraction always did; the
    // cursor stays. False when nothing was written: a number outside 1..count, a damaged record
    // or a write error (lastError() tells which).
    bool saveAs(qint32 n, const QString& folder, const QString& fileName);

private:
    struct Record
    {
        quint64 offset;
        qint32 length;
    };

    bool readRecord(qint32 n, QByteArray* text);

    std::vector<Record> m_records; // message n at [n - 1]; slots past the scan are missing
};

} // namespace kv::msgstore
