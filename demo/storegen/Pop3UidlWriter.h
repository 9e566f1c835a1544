#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace kv::storegen {

// Writes "pop3uidl.dbx", the list of message ids the client has already fetched from its
// POP3 servers: one record per id (record id, the server's unique id, the server name),
// indexed by one tree.
class Pop3UidlWriter
{
public:
    static bool write(const QString& path, const QByteArray& server,
                      const std::vector<QByteArray>& uidls, QString* error = nullptr);
    // "Offline.dbx", the client's queue of actions on IMAP and HTTP-mail folders, empty.
    static bool writeEmptyOffline(const QString& path, QString* error = nullptr);
};

} // namespace kv::storegen
