#pragma once

#include "StandardFolders.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace kv::storegen {

// One folder object of the folder index, with the attributes the client keeps for it.
struct DbxFolder
{
    // Kinds of store node (attribute 0x0A); news nodes carry 0 and so have no such word.
    enum class StoreType : std::uint32_t
    {
        News = 0,
        Imap = 1,
        HttpMail = 2,
        Local = 3,
        Root = 4
    };
    // Flag bits (attribute 0x06) the folder trees filter on.
    static constexpr std::uint32_t kSubscribed = 0x1;

    std::uint32_t id = 0;
    std::int32_t parent = 0; // -1 for the store root, 0 for top-level nodes
    QByteArray name;
    QByteArray fileName;  // empty while the folder's ".dbx" was never created
    QByteArray accountId; // store and account nodes: "LocalStore", "00000001"
    std::uint32_t flags = kSubscribed;
    std::uint32_t messageCount = 0;
    std::uint32_t unreadCount = 0;
    SpecialFolder special = SpecialFolder::None;
    StoreType type = StoreType::Local;
};

// Writes "Folders.dbx": every folder record once, indexed by three trees: all folders by
// id, all folders by parent then name, and the subscribed folders by parent then name.
class FoldersDbxWriter
{
public:
    static bool write(const QString& path, const std::vector<DbxFolder>& folders,
                      std::uint64_t createdFileTime, QString* error = nullptr);
    // The record body (attribute words and data area) of one folder.
    static QByteArray recordBody(const DbxFolder& folder, int* attributeCount);
    // The folders of a new identity: root, Local Folders and the five standard folders,
    // with the client's ids (1 Local Folders, 4..8 standard folders).
    static std::vector<DbxFolder> standardFolders();
};

} // namespace kv::storegen
