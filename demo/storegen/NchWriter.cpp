#include "NchWriter.h"

#include "Le.h"
#include "StoregenLog.h"

#include <QSaveFile>


namespace kv::storegen {

bool NchWriter::write(const QString& path, const std::vector<NchFolder>& folders, QString* error)
{
    const int n = int(folders.size());
    QByteArray b(kHeaderSize + kRecordSize * n, '\0');
    b.replace(0, 8, "JMF3NCH1");
    auto recAt = [](int i) { return std::uint32_t(kHeaderSize + kRecordSize * i); };
    putU32(b, 16, n ? recAt(n - 1) : 0);
    putU32(b, 20, n ? recAt(0) : 0);
    for (int i = 0; i < n; ++i) {
        const NchFolder& f = folders[size_t(i)];
        const std::uint32_t at = recAt(i);
        putU32(b, at, at);
        putU32(b, at + 4, kRecordSize);
        putU32(b, at + 8, i > 0 ? recAt(i - 1) : 0);
        putU32(b, at + 12, i + 1 < n ? recAt(i + 1) : 0);
        putU16(b, at + 16, f.number);
        putBytes(b, at + 20, f.name.left(258));
        putBytes(b, at + 279, f.fileName.left(259));
        std::uint16_t child = 0, sibling = 0;
        if (f.number != 0) {
            for (int j = 0; j < n && !child; ++j)
                if (folders[size_t(j)].number && folders[size_t(j)].parent == f.number)
                    child = folders[size_t(j)].number;
            for (int j = i + 1; j < n && !sibling; ++j)
                if (folders[size_t(j)].number && folders[size_t(j)].parent == f.parent)
                    sibling = folders[size_t(j)].number;
        }
        putU16(b, at + 540, f.parent);
        putU16(b, at + 542, child);
        putU16(b, at + 544, sibling);
        putU16(b, at + 552, f.order);
    }
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(b) == b.size() && file.commit())
        return true;
    const QString msg = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
    qCWarning(lcStoregen) << msg;
    if (error)
        *error = msg;
    return false;
}

} // namespace kv::storegen
