#include "msgstore/SyncMessageList.h"

#include "msgstore/DbxFile.h"
#include "msgstore/MbxFile.h"
#include "msgstore/MsgStoreLog.h"

#include <QCryptographicHash>

#include <type_traits>

namespace kv::msgstore {

namespace {

// Calls the progress callback only when the whole percent moves, so that a worker thread posts
// at most a hundred updates per list instead of one per message.
class PercentMeter
{
public:
    explicit PercentMeter(const SyncControl& control) : m_control(control) {}
    void set(qint64 done, qint64 total)
    {
        const int percent = total > 0 ? int(done * 100 / total) : 0;
        if (percent != m_last && m_control.progress) {
            m_last = percent;
            m_control.progress(percent);
        }
    }
    void reset()
    {
        if (m_last != 0 && m_control.progress)
            m_control.progress(0);
        m_last = 0;
    }

private:
    const SyncControl& m_control;
    int m_last = 0;
};

QString sizeText(const DbxFile&, qint32)
{
    // The headers-only read never knew a size, so every .dbx record carries 0; the true length
    // the reader could find must stay out of it or changed messages would be judged otherwise.
    return QStringLiteral("0");
}

QString sizeText(const MbxFile& reader, qint32 n)
{
    return QString::number(reader.messageSize(n));
}

template <typename Reader>
void readList(Reader& reader, SyncMessageList& list, const SyncControl& control, SyncReadMode mode)
{
    const qint32 n = reader.messageCount();
    list.count = n;
    list.records.reserve(size_t(n));
    list.sizes.reserve(size_t(n));
    list.fieldLengths.reserve(size_t(n));
    if (mode == SyncReadMode::Digests)
        list.digests.reserve(size_t(n));
    PercentMeter meter(control);
    for (qint32 i = 1; i <= n; ++i) {
        reader.loadHeaders(i);
        const QString from = reader.from();
        const QString subject = reader.subject();
        QString record;
        record.reserve(from.size() + subject.size() + 40);
        record += from;
        record += QLatin1Char('\t');
        record += subject;
        record += QLatin1Char('\t');
        record += reader.dateText();
        list.records.push_back(std::move(record));
        list.sizes.push_back(sizeText(reader, i));
        list.fieldLengths.emplace_back(qint32(from.size()), qint32(subject.size()));
        if (mode == SyncReadMode::Digests) {
            // For .mbx the headers load already read the whole record.
            const QByteArray bytes =
                std::is_same_v<Reader, MbxFile> ? reader.currentMessage() : reader.message(i);
            list.digests.push_back(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1));
        }
        meter.set(i, n);
        if (control.cancelled()) {
            list.cancelled = true;
            break;
        }
    }
    meter.reset();
}

template <typename Reader>
SyncMessageList readWith(const QString& hostPath, const SyncControl& control, SyncReadMode mode)
{
    SyncMessageList list;
    Reader reader;
    if (!reader.open(hostPath)) {
        // An unreadable copy counts as an empty folder: nothing of a missing backup copy is
        // listed, and every backup message is listed against a missing current one.
        qCWarning(lcMsgStore).noquote()
            << "comparing" << hostPath << "as an empty folder:" << reader.lastError();
        return list;
    }
    list.opened = true;
    readList(reader, list, control, mode);
    reader.close();
    return list;
}

} // namespace

SyncMessageList::Parts SyncMessageList::parts(qint32 n) const
{
    if (n < 1 || size_t(n) > records.size() || size_t(n) > fieldLengths.size())
        return {};
    const QString& record = records[size_t(n) - 1];
    const auto [fromLength, subjectLength] = fieldLengths[size_t(n) - 1];
    return {record.left(fromLength), record.mid(fromLength + 1, subjectLength),
            record.mid(fromLength + subjectLength + 2)};
}

SyncMessageList readSyncMessageList(const QString& hostPath, StoreFormat format,
                                    const SyncControl& control, SyncReadMode mode)
{
    return format == StoreFormat::Dbx ? readWith<DbxFile>(hostPath, control, mode)
                                      : readWith<MbxFile>(hostPath, control, mode);
}

} // namespace kv::msgstore
