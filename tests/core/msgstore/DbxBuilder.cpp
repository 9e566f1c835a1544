#include "DbxBuilder.h"

namespace kv::test {

DbxBuilder::DbxBuilder() : m_bytes(0x24BC, '\0')
{
    // Signature and the class id of a message folder, and the size of its file-info block.
    m_bytes.replace(0, 20, QByteArray::fromHex("cfad12fec5fd746f66e3d1119a4e00c04fa309d4"));
    put32(0x1C, 0x618);
}

quint32 DbxBuilder::addRaw(const QByteArray& bytes)
{
    m_bytes.append(bytes);
    return size() - quint32(bytes.size());
}

quint32 DbxBuilder::addBlocks(const QByteArray& text)
{
    quint32 first = 0, previous = 0;
    for (qsizetype done = 0; done == 0 || done < text.size(); done += 0x200) {
        const quint32 block = addRaw(QByteArray(16 + 0x200, '\0'));
        const QByteArray part = text.mid(done, 0x200);
        put32(block, block);
        put32(block + 4, 0x200);
        put32(block + 8, quint32(part.size()));
        m_bytes.replace(block + 16, part.size(), part);
        if (previous)
            put32(previous + 12, block);
        first = first ? first : block;
        previous = block;
    }
    return first;
}

quint32 DbxBuilder::addObject(quint32 firstBlock)
{
    const quint32 object = addRaw(QByteArray(12 + 16 + 16, '\0'));
    put32(object, object);
    put32(object + 4, 16 + 16);
    put8(object + 0x0A, 4);                       // attributes
    put32(object + 12, 0x80);                     // index
    put32(object + 16, 0x81 | (1 << 8));          // flags
    put32(object + 20, 0x02);                     // time, at offset 0 of the data area
    put32(object + 24, 0x84 | (firstBlock << 8)); // first block
    return object;
}

quint32 DbxBuilder::addNode(const QList<Entry>& entries, quint32 leadingChild, int count)
{
    const quint32 node = addRaw(QByteArray(24 + 51 * 12, '\0'));
    setNode(node, entries, leadingChild, count);
    return node;
}

void DbxBuilder::setNode(quint32 node, const QList<Entry>& entries, quint32 leadingChild, int count)
{
    put32(node, node), put32(node + 8, leadingChild);
    put8(node + 0x11, quint8(count < 0 ? entries.size() : count));
    quint32 e = node + 24;
    for (const Entry& entry : entries) {
        put32(e, entry.object), put32(e + 4, entry.child), put32(e + 8, entry.below);
        e += 12;
    }
}

DbxBuilder DbxBuilder::withMessages(const QList<QByteArray>& texts)
{
    DbxBuilder b;
    QList<Entry> entries;
    for (const QByteArray& t : texts)
        entries.append({b.addMessage(t), 0, 0});
    b.setCount(quint32(texts.size())), b.setRoot(b.addNode(entries));
    return b;
}

QByteArray sampleMessage(int number, int bodyBytes)
{
    const QByteArray n = QByteArray::number(number);
    QByteArray m = "From: Sender " + n + " <s@example.org>\r\nSubject: Message " + n + "\r\n\r\n";
    while (m.size() < bodyBytes)
        m += "Body line of message " + n + ".\r\n";
    return m;
}

} // namespace kv::test
