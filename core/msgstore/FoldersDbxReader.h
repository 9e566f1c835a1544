#pragma once

#include <QList>
#include <QString>

namespace kv::msgstore {

class FileView;

// One folder object of the version-5 folder list ("folders.dbx") as the inventory reads it:
// the head of the object (its first four properties, each an identifier byte and a 3-byte value)
// and the first two texts of its data area.
struct DbxFolderRecord
{
    quint32 offset = 0;
    quint8 propertyCount = 0;
    quint16 folderNumber = 0; // low 16 bits of the first property's value
    quint16 parentNumber = 0; // low 16 bits of the second property's value
    quint8 property1Id = 0;
    quint8 property2Id = 0;
    quint8 property3Id = 0;
    quint8 property3Low = 0; // low byte of the fourth property's value
    QString name;
    QString fileName; // "" unless the second text ends in "dbx" (any case)

    // The object of the whole store, which names the tree's root and is not itself a folder.
    bool isStoreRoot() const
    {
        return (property2Id == 6 || property2Id == 134) && property1Id == 2;
    }
    // The fourth property is the flags word (6 stored in the data area, 134 = 0x86 in the
    // word itself): the folder has no file name of its own. That is what marks a news server or
    // newsgroup (and the standard folders never opened). The low byte of the property's value
    // is no mark: for a folder with a file it is where the file name starts, the name's length
    // plus one, so every five-letter folder such as "Inbox" would read as news.
    bool hasNewsMark() const { return property3Id == 6 || property3Id == 134; }
};

// Reads the folder records of "folders.dbx" from one of its index trees (by default the tree
// whose count is at 0xCC and root at 0xEC): the root node's leading child, the root's own
// entries, then, while fewer folders than the count have been read, the child of each entry.
// Child nodes are read one level deep only. A damaged file (a node or record outside the file,
// a node reached twice) gives false and lastError().
class FoldersDbxReader
{
public:
    static constexpr quint32 kFolderCountAt = 0xCC;
    static constexpr quint32 kFolderRootAt = 0xEC;

    bool read(const QString& hostPath, quint32 countAt = kFolderCountAt,
              quint32 rootAt = kFolderRootAt);

    quint16 folderCount() const { return m_count; }
    const QList<DbxFolderRecord>& folders() const { return m_folders; }
    const QString& lastError() const { return m_error; }

private:
    bool visitChild(const FileView& file, quint32 node);
    bool readEntries(const FileView& file, quint32 node);
    bool readRecord(const FileView& file, quint32 offset);
    bool fail(const QString& why);

    QString m_path;
    quint16 m_count = 0;
    QList<DbxFolderRecord> m_folders;
    QList<quint32> m_visited;
    QString m_error;
};

} // namespace kv::msgstore
