#pragma once

#include <QByteArray>
#include <QList>
#include <QtEndian>

namespace kv::test {

// Lays out a small ".dbx" file piece by piece, in the order of the calls, so that a test can
// point any field anywhere.
class DbxBuilder
{
public:
    struct Entry
    {
        quint32 object = 0, child = 0, below = 0;
    };

    DbxBuilder();

    // The text in a chain of blocks of at most 0x200 bytes; the first block's offset.
    quint32 addBlocks(const QByteArray& text);
    // A message object naming firstBlock directly (attribute 0x84).
    quint32 addObject(quint32 firstBlock);
    quint32 addMessage(const QByteArray& text) { return addObject(addBlocks(text)); }
    // An index node of 51 entries; count defaults to the number given.
    quint32 addNode(const QList<Entry>& entries, quint32 leadingChild = 0, int count = -1);
    void setNode(quint32 node, const QList<Entry>& entries, quint32 leadingChild = 0,
                 int count = -1);
    quint32 addRaw(const QByteArray& bytes);

    void setCount(quint32 count) { put32(0xC4, count); }
    void setRoot(quint32 root) { put32(0xE4, root); }
    void put32(quint32 offset, quint32 value) { qToLittleEndian(value, m_bytes.data() + offset); }
    void put8(quint32 offset, quint8 value) { m_bytes[offset] = char(value); }
    quint32 get32(quint32 offset) const
    {
        return qFromLittleEndian<quint32>(m_bytes.data() + offset);
    }
    quint32 size() const { return quint32(m_bytes.size()); }
    const QByteArray& bytes() const { return m_bytes; }

    // A folder of the given messages in one root node.
    static DbxBuilder withMessages(const QList<QByteArray>& texts);

private:
    QByteArray m_bytes;
};

// A message text of about the given size with a recognisable header.
QByteArray sampleMessage(int number, int bodyBytes = 300);

} // namespace kv::test
