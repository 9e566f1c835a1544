#include "msgstore/MbxFile.h"

#include "msgstore/HeaderValue.h"
#include "msgstore/MessageWriter.h"

namespace kv::msgstore {

namespace {

constexpr quint64 kFileHeader = 0x54;
constexpr quint64 kCountAt = 0x08;
constexpr quint64 kEndOfDataAt = 0x10;
constexpr quint64 kRecordHeader = 16;
constexpr quint64 kLengthAt = 0x08;

} // namespace

bool MbxFile::open(const QString& hostPath)
{
    const OpenStep step = mapFile(hostPath);
    if (step != OpenStep::Mapped)
        return step == OpenStep::AlreadyOpen;

    const uchar* header = m_file.at(0, kFileHeader);
    if (!header)
        return failOpen(QStringLiteral("the file is too short for a message file header"));
    const quint32 count = le32(header + kCountAt);
    const qint64 endOfData = qint32(le32(header + kEndOfDataAt));
    // Deleted messages keep their records, so every counted message has one of at least 16
    // bytes in the file.
    if (count > quint32(INT32_MAX) || count > m_file.size() / kRecordHeader)
        return failOpen(
            QStringLiteral("the message count %1 is more than the file can hold").arg(count));

    std::vector<Record> records;
    records.reserve(count);
    quint64 offset = kFileHeader;
    for (quint32 i = 0; i < count; ++i) {
        const uchar* record = m_file.at(offset, kRecordHeader);
        if (!record)
            return failOpen(QStringLiteral("message %1 starts past the end of the file (offset %2)")
                                .arg(i + 1)
                                .arg(offset));
        const qint32 length = qint32(le32(record + kLengthAt));
        records.push_back({offset, length});
        // A record shorter than its own header gives no place for the next one; the messages
        // after it cannot be found.
        if (length < qint32(kRecordHeader))
            break;
        offset += quint64(length);
        if (qint64(offset) > endOfData)
            break;
    }
    m_records = std::move(records);
    opened(qint32(count));
    return true;
}

qint64 MbxFile::messageSize(qint32 n) const
{
    if (n < 1 || size_t(n) > m_records.size() || n > m_count)
        return 0;
    return m_records[size_t(n) - 1].length;
}

bool MbxFile::readRecord(qint32 n, QByteArray* text)
{
    text->clear();
    if (size_t(n) > m_records.size())
        return true;
    if (!m_file.isOpen())
        return fail(QStringLiteral("message %1: no message file is open").arg(n));
    const Record& r = m_records[size_t(n) - 1];
    if (r.length < qint32(kRecordHeader))
        return fail(QStringLiteral("message %1: the record length %2 is shorter than its header")
                        .arg(n)
                        .arg(r.length));
    const quint64 textLength = quint64(r.length) - kRecordHeader;
    const uchar* data = m_file.at(r.offset + kRecordHeader, textLength);
    if (!data)
        return fail(
            QStringLiteral("message %1: the record reaches past the end of the file").arg(n));
    *text = QByteArray(reinterpret_cast<const char*>(data), qsizetype(textLength));
    return true;
}

QByteArray MbxFile::message(qint32 n, bool* ok)
{
    if (ok)
        *ok = true;
    m_full.clear();
    if (n < 1 || n > m_count)
        return {};
    m_cursor = n;
    const bool read = readRecord(n, &m_full);
    if (ok)
        *ok = read;
    return m_full;
}

QString MbxFile::from() const
{
    return headerValue(m_full, "From: ");
}
QString MbxFile::to() const
{
    return headerValue(m_full, "To: ");
}
QString MbxFile::subject() const
{
    return headerValue(m_full, "Subject: ");
}
QString MbxFile::dateText() const
{
    return headerValue(m_full, "Date: ");
}

bool MbxFile::saveAs(qint32 n, const QString& folder, const QString& fileName)
{
    static const QByteArray kLineEnd("\r\n");
    if (n < 1 || n > m_count)
        return fail(QStringLiteral("there is no message %1").arg(n));
    QByteArray text;
    if (!readRecord(n, &text))
        return false;
    QString error;
    if (!writeMessageFile(folder, fileName, text, kLineEnd, &error))
        return fail(error);
    return true;
}

} // namespace kv::msgstore
