#include "msgstore/DbxFile.h"

#include "msgstore/DbxBlockChain.h"
#include "msgstore/HeaderValue.h"
#include "msgstore/MessageWriter.h"

namespace kv::msgstore {

namespace {

constexpr quint64 kCountAt = 0xC4;
constexpr quint64 kRootAt = 0xE4;
constexpr quint64 kNodeHeader = 24;
constexpr quint64 kEntrySize = 12;
// The entry table is read as 65 entries whatever the node's count says; only entries up to the
// count are ever used, so a table cut short by the end of the file is read as far as needed.
constexpr quint32 kTableEntries = 65;
constexpr quint64 kObjectHead = 29;
// A real index is a balanced tree a few levels deep; anything deeper is damage, and following
// it would only exhaust the stack.
constexpr int kMaxDepth = 64;
// The smallest room a message takes in a file (its index entry and the head of its object):
// a count beyond what the file could hold is damage, not a folder to page through.
constexpr quint64 kMinMessageBytes = 16;
// Header lines are read block by block until the blank line, but not much past this length.
constexpr qsizetype kHeaderLimit = 2000;

} // namespace

bool DbxFile::open(const QString& hostPath)
{
    const OpenStep step = mapFile(hostPath);
    if (step != OpenStep::Mapped)
        return step == OpenStep::AlreadyOpen;

    quint32 count = 0;
    if (!m_file.u32(kCountAt, &count))
        return failOpen(QStringLiteral("the file is too short for a message file header"));
    Scan scan;
    scan.count = count;
    if (count != 0) {
        if (count > quint32(INT32_MAX) || count > m_file.size() / kMinMessageBytes)
            return failOpen(
                QStringLiteral("the message count %1 is more than the file can hold").arg(count));
        if (!index(scan)) {
            m_file.close();
            return false;
        }
    }
    m_offsets = std::move(scan.offsets);
    m_header.clear();
    opened(qint32(count));
    return true;
}

bool DbxFile::index(Scan& scan)
{
    quint32 root = 0;
    if (!m_file.u32(kRootAt, &root))
        return failOpen(QStringLiteral("the file is too short for a message file header"));
    scan.offsets.reserve(qMin<quint32>(scan.count, 1u << 16));
    return root == 0 || scanNode(scan, root, 0);
}

bool DbxFile::scanNode(Scan& scan, quint32 node, int depth)
{
    if (depth > kMaxDepth)
        return fail(QStringLiteral("the message index nests too deeply"));
    if (scan.visited.contains(node))
        return fail(QStringLiteral("the message index comes back to node %1").arg(node));
    scan.visited.insert(node);
    const uchar* head = m_file.at(node, kNodeHeader);
    if (!head)
        return fail(QStringLiteral("an index node at offset %1 lies outside the file").arg(node));
    const quint32 entries = head[0x11];
    const quint32 leadingChild = le32(head + 0x08);
    const quint64 table = quint64(node) + kNodeHeader;

    auto entryAt = [&](quint32 i) -> const uchar* {
        const uchar* e = m_file.at(table + i * kEntrySize, kEntrySize);
        if (!e)
            fail(QStringLiteral("the index node at offset %1 reaches past the end of the file")
                     .arg(node));
        return e;
    };

    quint32 passed = 0;
    for (quint32 i = 0; i < kTableEntries && passed < entries; ++i) {
        const uchar* e = entryAt(i);
        if (!e)
            return false;
        const quint32 object = le32(e);
        if (object == 0)
            continue;
        if (!readObject(scan, object))
            return false;
        ++passed;
    }
    if (scan.offsets.size() != scan.count && leadingChild != 0) {
        if (!scanNode(scan, leadingChild, depth + 1))
            return false;
    }
    if (scan.offsets.size() != scan.count) {
        for (quint32 i = 0; i < entries; ++i) {
            if (i >= kTableEntries)
                return fail(QStringLiteral("the index node at offset %1 counts %2 entries")
                                .arg(node)
                                .arg(entries));
            const uchar* e = entryAt(i);
            if (!e)
                return false;
            const quint32 child = le32(e + 4);
            if (child == 0)
                break;
            if (!scanNode(scan, child, depth + 1))
                return false;
        }
    }
    return true;
}

bool DbxFile::readObject(Scan& scan, quint32 object)
{
    if (scan.offsets.size() >= scan.count)
        return fail(QStringLiteral("the index holds more messages than the header's count %1")
                        .arg(scan.count));
    const uchar* p = m_file.at(object, kObjectHead);
    if (!p)
        return fail(
            QStringLiteral("a message object at offset %1 lies outside the file").arg(object));
    quint32 block = 0;
    if (p[0x18] == 0x04) {
        // Past 16 MiB the offset no longer fits the entry's three bytes and moves to the data
        // area, as its third 32-bit word.
        const quint64 at = quint64(object) + 12 + 4 * quint64(p[0x0A]) + 8;
        if (!m_file.u32(at, &block))
            return fail(QStringLiteral("the message object at offset %1 reaches past the end of "
                                       "the file")
                            .arg(object));
    } else {
        block = le24(p + 0x19);
    }
    scan.offsets.push_back(block);
    return true;
}

quint32 DbxFile::firstBlock(qint32 n) const
{
    return size_t(n) <= m_offsets.size() ? m_offsets[size_t(n) - 1] : 0;
}

bool DbxFile::readMessage(qint32 n, QByteArray* text)
{
    text->resize(0);
    if (!m_file.isOpen())
        return fail(QStringLiteral("no message file is open"));
    DbxBlockChain chain(m_file, firstBlock(n));
    const uchar* data = nullptr;
    quint32 len = 0;
    while (chain.next(&data, &len))
        text->append(reinterpret_cast<const char*>(data), qsizetype(len));
    if (chain.failed()) {
        text->resize(0);
        return fail(QStringLiteral("message %1: %2").arg(n).arg(chain.error()));
    }
    return true;
}

qint64 DbxFile::messageSize(qint32 n)
{
    if (n < 1 || n > m_count || !m_file.isOpen())
        return 0;
    DbxBlockChain chain(m_file, firstBlock(n));
    const uchar* data = nullptr;
    quint32 len = 0;
    qint64 total = 0;
    while (chain.next(&data, &len))
        total += len;
    if (chain.failed()) {
        fail(QStringLiteral("message %1: %2").arg(n).arg(chain.error()));
        return 0;
    }
    return total;
}

QByteArray DbxFile::message(qint32 n, bool* ok)
{
    if (ok)
        *ok = true;
    if (n < 1 || n > m_count) {
        m_full.clear();
        return {};
    }
    m_cursor = n;
    QByteArray text;
    const bool read = readMessage(n, &text);
    if (ok)
        *ok = read;
    m_full = text;
    return text;
}

void DbxFile::loadHeaders(qint32 n)
{
    if (n < 1 || n > m_count)
        return;
    m_header.resize(0);
    if (!m_file.isOpen()) {
        fail(QStringLiteral("no message file is open"));
        return;
    }
    static constexpr QByteArrayView kBlankLine("\r\n\r\n");
    DbxBlockChain chain(m_file, firstBlock(n));
    const uchar* data = nullptr;
    quint32 len = 0;
    if (chain.next(&data, &len)) {
        m_header.append(reinterpret_cast<const char*>(data), qsizetype(len));
        qsizetype searched = 0;
        while (QByteArrayView(m_header).indexOf(kBlankLine, searched) < 0) {
            searched = qMax<qsizetype>(0, m_header.size() - 3);
            if (!chain.next(&data, &len))
                break;
            m_header.append(reinterpret_cast<const char*>(data), qsizetype(len));
            if (m_header.size() > kHeaderLimit)
                break;
        }
    }
    if (chain.failed()) {
        m_header.resize(0);
        fail(QStringLiteral("message %1: %2").arg(n).arg(chain.error()));
    }
}

QString DbxFile::from() const
{
    return headerValue(m_header, "From: ");
}
QString DbxFile::to() const
{
    return headerValue(m_header, "To: ");
}
QString DbxFile::subject() const
{
    return headerValue(m_header, "Subject: ");
}
QString DbxFile::dateText() const
{
    return headerValue(m_header, "Date: ");
}

bool DbxFile::saveAs(qint32 n, const QString& folder, const QString& fileName)
{
    if (n < 1 || n > m_count)
        return fail(QStringLiteral("there is no message %1").arg(n));
    if (!readMessage(n, &m_scratch))
        return false;
    QString error;
    if (!writeMessageFile(folder, fileName, m_scratch, {}, &error))
        return fail(error);
    return true;
}

} // namespace kv::msgstore
