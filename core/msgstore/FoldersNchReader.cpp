#include "msgstore/FoldersNchReader.h"

#include "msgstore/FileView.h"
#include "msgstore/MsgStoreLog.h"
#include "platform/Ansi.h"

#include <QSet>

namespace kv::msgstore {

namespace {

constexpr quint64 kLastAt = 16;
constexpr quint64 kFirstAt = 20;
constexpr quint64 kNextAt = 12;
constexpr quint64 kNumberAt = 16;
constexpr quint64 kNameAt = 20;
constexpr qsizetype kNameSize = 259;
constexpr quint64 kFileNameAt = 279;
constexpr qsizetype kFileNameSize = 260;
constexpr quint64 kParentAt = 540;
constexpr quint64 kOrderAt = 552;
constexpr quint64 kFieldsEnd = 554;

// A fixed text field: what stands before its first NUL (a renamed folder may leave the tail of
// a longer old name behind it), trailing blanks removed.
QString fixedText(const uchar* p, qsizetype size)
{
    const char* text = reinterpret_cast<const char*>(p);
    qsizetype len = 0;
    while (len < size && text[len] != '\0')
        ++len;
    while (len > 0 && text[len - 1] == ' ')
        --len;
    return ansi::toUnicode(text, len);
}

} // namespace

bool FoldersNchReader::fail(const QString& why)
{
    m_error = why;
    qCWarning(lcMsgStore).noquote() << "cannot read the folder list" << m_path << "-" << why;
    return false;
}

bool FoldersNchReader::read(const QString& hostPath)
{
    m_path = hostPath;
    m_folders.clear();
    m_error.clear();
    FileView file;
    QString error;
    if (!file.open(hostPath, &error))
        return fail(error);
    const uchar* header = file.at(0, kHeaderSize);
    if (!header)
        return fail(QStringLiteral("the file is too short for a folder list header"));
    const quint32 last = le32(header + kLastAt);
    quint32 offset = le32(header + kFirstAt);
    QSet<quint32> seen;
    while (offset != 0) {
        if (seen.contains(offset))
            return fail(QStringLiteral("the folder chain comes back to offset %1").arg(offset));
        seen.insert(offset);
        const uchar* p = file.at(offset, kFieldsEnd);
        if (!p)
            return fail(
                QStringLiteral("a folder record at offset %1 lies outside the file").arg(offset));
        NchFolderRecord r;
        r.offset = offset;
        r.next = le32(p + kNextAt);
        r.folderNumber = quint16(le16(p + kNumberAt));
        r.name = fixedText(p + kNameAt, kNameSize);
        r.fileName = fixedText(p + kFileNameAt, kFileNameSize);
        r.parentNumber = quint16(le16(p + kParentAt));
        r.order = quint16(le16(p + kOrderAt));
        if (r.order == 65535)
            r.order = 4;
        m_folders.append(r);
        if (offset == last)
            break;
        offset = r.next;
    }
    return true;
}

} // namespace kv::msgstore
