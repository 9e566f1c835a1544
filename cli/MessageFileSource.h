#pragma once

#include "msgstore/DbxFile.h"
#include "msgstore/MbxFile.h"

#include <QString>

#include <memory>

namespace kv::cli {

// Either message reader behind the few operations the message commands need, chosen by the
// file's extension (".dbx", ".mbx") or, failing that, by its signature.
class MessageFileSource
{
public:
    // False with a message in *error when the file is not a message file or cannot be read.
    bool open(const QString& hostPath, QString* error);
    qint32 count() const;
    // Loads message n's header lines for the header values.
    void loadHeaders(qint32 n);
    QString from() const;
    QString subject() const;
    QString date() const;
    qint64 size(qint32 n);
    bool save(qint32 n, const QString& folder, const QString& fileName, QString* error);

private:
    std::unique_ptr<msgstore::DbxFile> m_dbx;
    std::unique_ptr<msgstore::MbxFile> m_mbx;
};

} // namespace kv::cli
