#include "msgstore/FoldersDbxReader.h"

#include "msgstore/FileView.h"
#include "msgstore/MsgStoreLog.h"
#include "platform/Ansi.h"

namespace kv::msgstore {

namespace {

constexpr quint64 kNodeHeader = 24;
constexpr quint64 kEntrySize = 12;
constexpr quint32 kMaxEntries = 61;
constexpr quint64 kRecordHead = 28;
constexpr quint64 kTextRoom = 500;

QByteArrayView field(QByteArrayView data, qsizetype* from)
{
    const qsizetype start = *from;
    qsizetype end = data.indexOf('\0', start);
    if (end < 0)
        end = data.size();
    *from = end + 1;
    return start < data.size() ? data.sliced(start, end - start) : QByteArrayView();
}

} // namespace

bool FoldersDbxReader::fail(const QString& why)
{
    m_error = why;
    qCWarning(lcMsgStore).noquote() << "cannot read the folder list" << m_path << "-" << why;
    return false;
}

bool FoldersDbxReader::read(const QString& hostPath, quint32 countAt, quint32 rootAt)
{
    m_path = hostPath;
    m_count = 0;
    m_folders.clear();
    m_visited.clear();
    m_error.clear();
    FileView file;
    QString error;
    if (!file.open(hostPath, &error))
        return fail(error);
    quint32 count = 0;
    quint32 root = 0;
    if (!file.u16(countAt, &count) || !file.u32(rootAt, &root))
        return fail(QStringLiteral("the file is too short for a folder list header"));
    m_count = quint16(count);
    if (root == 0)
        return true;

    const uchar* head = file.at(root, kNodeHeader);
    if (!head)
        return fail(QStringLiteral("the folder index lies outside the file"));
    const quint32 leadingChild = le32(head + 0x08);
    const quint32 entries = qMin<quint32>(head[0x11], kMaxEntries);
    m_visited.append(root);
    if (leadingChild != 0 && !visitChild(file, leadingChild))
        return false;
    if (!readEntries(file, root))
        return false;
    for (quint32 i = 0; i < entries && m_folders.size() < m_count; ++i) {
        quint32 child = 0;
        if (!file.u32(quint64(root) + kNodeHeader + i * kEntrySize + 4, &child))
            return fail(QStringLiteral("the folder index reaches past the end of the file"));
        if (child != 0 && !visitChild(file, child))
            return false;
    }
    return true;
}

// A child is read once: a node met twice means the index loops.
bool FoldersDbxReader::visitChild(const FileView& file, quint32 node)
{
    if (m_visited.contains(node))
        return fail(QStringLiteral("the folder index comes back to node %1").arg(node));
    m_visited.append(node);
    return readEntries(file, node);
}

bool FoldersDbxReader::readEntries(const FileView& file, quint32 node)
{
    const uchar* head = file.at(node, kNodeHeader);
    if (!head)
        return fail(QStringLiteral("a folder index node lies outside the file"));
    const quint32 entries = qMin<quint32>(head[0x11], kMaxEntries);
    for (quint32 i = 0; i < entries; ++i) {
        quint32 record = 0;
        if (!file.u32(quint64(node) + kNodeHeader + i * kEntrySize, &record))
            return fail(QStringLiteral("a folder index node reaches past the end of the file"));
        if (record != 0 && !readRecord(file, record))
            return false;
    }
    return true;
}

bool FoldersDbxReader::readRecord(const FileView& file, quint32 offset)
{
    const uchar* p = file.at(offset, kRecordHead);
    if (!p)
        return fail(
            QStringLiteral("a folder record at offset %1 lies outside the file").arg(offset));
    DbxFolderRecord r;
    r.offset = offset;
    r.propertyCount = p[10];
    r.folderNumber = quint16(le16(p + 13));
    r.property1Id = p[16];
    r.parentNumber = quint16(le16(p + 17));
    r.property2Id = p[20];
    r.property3Id = p[24];
    r.property3Low = p[25];
    const quint64 dataAt = quint64(offset) + 4 * (quint64(r.propertyCount) + 3);
    const quint64 room = qMin(kTextRoom, file.available(dataAt));
    if (room > 0) {
        const QByteArrayView data(reinterpret_cast<const char*>(file.at(dataAt, room)),
                                  qsizetype(room));
        qsizetype from = 0;
        const QByteArrayView name = field(data, &from);
        const QByteArrayView fileName = field(data, &from);
        r.name = ansi::toUnicode(name.data(), name.size());
        if (fileName.size() >= 3 && fileName.last(3).compare("dbx", Qt::CaseInsensitive) == 0)
            r.fileName = ansi::toUnicode(fileName.data(), fileName.size());
    }
    m_folders.append(r);
    return true;
}

} // namespace kv::msgstore
