#pragma once

#include <QByteArray>
#include <QList>

namespace kv::test {

// Lays out a small ".dbx" file byte by byte as the mail client does: the 0x24BC-byte header,
// 0x200-byte data blocks, message objects and index nodes of 51 entries, appended in the order
// the calls make them, so a test can point any field anywhere.
class DbxBuilder
{
public:
    static constexpr quint32 kHeaderSize = 0x24BC;
    static constexpr quint32 kNodeSize = 24 + 51 * 12;

    struct Entry
    {
        quint32 object = 0;
        quint32 child = 0;
        quint32 below = 0;
    };

    DbxBuilder();

    // The message's text in a chain of blocks of at most blockSize bytes; the first block's offset.
    quint32 addBlocks(const QByteArray& text, quint32 blockSize = 0x200);
    // A message object pointing at firstBlock: directly (attribute 0x84) or, with indirect, through
    // the third word of its data area (attribute 0x04, five attributes).
    quint32 addObject(quint32 firstBlock, bool indirect = false);
    // Blocks and object in one; the object's offset.
    quint32 addMessage(const QByteArray& text, bool indirect = false);
    // An index node; count defaults to the number of entries.
    quint32 addNode(const QList<Entry>& entries, quint32 leadingChild = 0, int count = -1);
    void setNode(quint32 node, const QList<Entry>& entries, quint32 leadingChild = 0, int count = -1);

    // Raw bytes at the end of the file; their offset.
    quint32 addRaw(const QByteArray& bytes);

    void setCount(quint32 count) { put32(0xC4, count); }
    void setRoot(quint32 root) { put32(0xE4, root); }
    void put32(quint32 offset, quint32 value);
    void put8(quint32 offset, quint8 value);
    // Where the chain starting at firstBlock ends: one past its last text byte.
    quint32 chainEnd(quint32 firstBlock) const;
    quint32 get32(quint32 offset) const;
    quint32 size() const { return quint32(m_bytes.size()); }
    const QByteArray& bytes() const { return m_bytes; }

    // A folder of the given messages in one root node (count and root set).
    static DbxBuilder withMessages(const QList<QByteArray>& texts);

private:
    quint32 append(qsizetype size);

    QByteArray m_bytes;
};

// A message text of about the given size with a recognisable header.
QByteArray sampleMessage(int number, int bodyBytes = 300);

} // namespace kv::test
