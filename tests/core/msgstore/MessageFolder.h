#pragma once

#include "DbxMessageWriter.h"
#include "MbxWriter.h"
#include "msgstore/SyncMessageList.h"

#include <QDir>
#include <QFileInfo>

namespace kv::test {

// A message folder of either format holding exactly these messages, in order.
inline bool writeMessageFolder(const QString& path, msgstore::StoreFormat format,
                               const QList<QByteArray>& raws)
{
    std::vector<storegen::MbxWriter::Entry> entries;
    std::vector<storegen::MailMessage> mails;
    for (const QByteArray& raw : raws) {
        mails.emplace_back().raw = raw;
        entries.push_back({mails.back(), false});
    }
    QDir().mkpath(QFileInfo(path).path());
    return format == msgstore::StoreFormat::Dbx
               ? storegen::DbxMessageWriter::write(path, "Inbox", mails)
               : storegen::MbxWriter::write(path, {}, entries);
}

} // namespace kv::test
