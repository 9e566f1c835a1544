#include "MbxWriter.h"

#include "Le.h"
#include "StoregenLog.h"

#include <QFile>
#include <QSaveFile>


namespace kv::storegen {

namespace {

bool save(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile f(path);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    const QString msg = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
    qCWarning(lcStoregen) << msg;
    if (error)
        *error = msg;
    return false;
}

} // namespace

bool MbxWriter::write(const QString& mbxPath, const QString& idxPath,
                      const std::vector<Entry>& entries, QString* error)
{
    QByteArray mbx(kHeaderSize, '\0');
    QByteArray idx(kIdxHeaderSize, '\0');
    std::uint32_t number = 0;
    for (const Entry& e : entries) {
        ++number;
        const std::uint32_t textLen = std::uint32_t(e.message.raw.size());
        const std::uint32_t recLen = (16 + textLen + kRecordAlign - 1) / kRecordAlign * kRecordAlign;
        const std::uint32_t recAt = std::uint32_t(mbx.size());
        mbx.resize(recAt + recLen, '\0');
        putU32(mbx, recAt, 0x7F007F00);
        putU32(mbx, recAt + 4, number);
        putU32(mbx, recAt + 8, recLen);
        putU32(mbx, recAt + 12, textLen);
        putBytes(mbx, recAt + 16, e.message.raw);

        const QByteArray subject = e.message.subject.left(255);
        const std::uint32_t itemLen = align4(216 + std::uint32_t(subject.size()) + 1);
        const std::uint32_t itemAt = std::uint32_t(idx.size());
        idx.resize(itemAt + itemLen, '\0');
        std::uint32_t flags = e.deleted ? 0x1 : 0;
        if (e.message.read)
            flags |= 0x2;
        putU32(idx, itemAt, flags);
        putU32(idx, itemAt + 8, number);
        putU32(idx, itemAt + 12, itemAt);
        putU32(idx, itemAt + 16, itemLen);
        putU32(idx, itemAt + 20, recAt);
        putU32(idx, itemAt + 24, recLen);
        putU32(idx, itemAt + 212, std::uint32_t(subject.size()));
        putBytes(idx, itemAt + 216, subject);
    }
    mbx.replace(0, 4, "JMF6");
    putU32(mbx, 4, 0x00010003);
    putU32(mbx, 8, number);
    putU32(mbx, 12, number);
    putU32(mbx, 16, std::uint32_t(mbx.size()));

    idx.replace(0, 4, "JMF9");
    putU32(idx, 4, 0x00010004);
    putU32(idx, 8, number);
    putU32(idx, 12, std::uint32_t(idx.size()));
    putU32(idx, 16, 1);
    putU32(idx, 20, 0x00010010);

    if (!save(mbxPath, mbx, error))
        return false;
    return idxPath.isEmpty() || save(idxPath, idx, error);
}

} // namespace kv::storegen
