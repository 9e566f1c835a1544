#pragma once

#include "msgstore/MessageFileReader.h"

#include <QByteArray>
#include <QSet>
#include <QString>

#include <vector>

namespace kv::msgstore {

// Reads one message file of the version-5 store (".dbx") without the mail client: finds every
// message through the file's index tree, numbers them 1..count in the order the scan meets them,
// and hands out a message's raw text, its header lines, four header values, its size, or writes
// it byte for byte to a file. It never changes the file. One reader per file; the file stays
// open (mapped) from open to close.
class DbxFile : public MessageFileReader
{
public:
    // Opens and indexes a file (a host path). Opening the name already open returns true at
    // once without reading anything again. False when the file is missing or damaged; the
    // reader is then closed.
    bool open(const QString& hostPath);

    // The message's raw text, also kept as currentMessage(); the cursor becomes n. "" for a
    // number outside 1..count (cursor unchanged) or a slot the index did not fill. A message
    // that cannot be read gives "" with *ok false and lastError() telling why.
    QByteArray message(qint32 n, bool* ok = nullptr);
    QByteArray first() { return message(1); }
    QByteArray next() { return m_cursor < m_count ? message(m_cursor + 1) : QByteArray(); }
    // The message's stored length in bytes (its blocks' text lengths added up), read from the
    // file when asked so that two copies of one message agree; 0 outside 1..count or when the
    // message cannot be read.
    qint64 messageSize(qint32 n);

    // Loads the message's header lines for the header values below, without reading its body;
    // does nothing for a number outside 1..count. A message that cannot be read leaves the
    // header text "".
    void loadHeaders(qint32 n);
    const QByteArray& headerText() const { return m_header; }
    QString from() const;
    QString to() const;
    QString subject() const;
    QString dateText() const;

    // Writes the message's stored bytes to folder/fileName (folder a host path, created when
    // missing; an existing file is replaced). False when nothing was written: a number outside
    // 1..count, a damaged message or a write error (lastError() tells which).
    bool saveAs(qint32 n, const QString& folder, const QString& fileName);

private:
    struct Scan
    {
        quint32 count = 0;
        std::vector<quint32> offsets;
        QSet<quint32> visited;
    };

    bool index(Scan& scan);
    bool scanNode(Scan& scan, quint32 node, int depth);
    bool readObject(Scan& scan, quint32 object);
    quint32 firstBlock(qint32 n) const;
    bool readMessage(qint32 n, QByteArray* text);

    std::vector<quint32> m_offsets; // first block of message n at [n - 1]; missing slots are 0
    QByteArray m_header;
    QByteArray m_scratch;
};

} // namespace kv::msgstore
