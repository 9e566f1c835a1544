#include "Pop3UidlWriter.h"

#include "DbxFileWriter.h"
#include "DbxRecord.h"

namespace kv::storegen {

bool Pop3UidlWriter::write(const QString& path, const QByteArray& server,
                           const std::vector<QByteArray>& uidls, QString* error)
{
    DbxFileWriter file(DbxFileWriter::Kind::Pop3Uidl);
    if (!file.open(path)) {
        if (error)
            *error = file.error();
        return false;
    }
    std::vector<std::uint32_t> records;
    std::uint32_t id = 0;
    for (const QByteArray& uidl : uidls) {
        DbxRecord r;
        r.addInt(0x00, ++id);
        r.addText(0x01, uidl);
        r.addText(0x02, server);
        records.push_back(file.writeRecord(r.body(), r.attributeCount()));
    }
    file.writeTree(0, records);
    file.setLastId(id);
    const bool ok = file.finish();
    if (!ok && error)
        *error = file.error();
    return ok;
}

bool Pop3UidlWriter::writeEmptyOffline(const QString& path, QString* error)
{
    DbxFileWriter file(DbxFileWriter::Kind::Offline);
    file.setLastId(1);
    const bool ok = file.open(path) && file.finish();
    if (!ok && error)
        *error = file.error();
    return ok;
}

} // namespace kv::storegen
