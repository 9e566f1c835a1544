#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

class TreeListModel;

// What a backup puts into its archive, in archive order: the store's folder index, then the
// files of every selected row in row order, and the item list last. Each entry remembers the
// item it belongs to, so that the zip component's per-file events can be shown and logged as
// items rather than as bare files.
class BackupFileList
{
public:
    struct Entry
    {
        enum class Role
        {
            FolderIndex, // Folders.dbx, pop3uidl.dbx, Folders.nch
            Item,
            Index,    // an OE4 ".idx" beside its ".mbx"
            ItemList, // the item list, last
        };
        QString path; // a file, or "folder\*" for a whole folder
        Role role = Role::Item;
        int kind = 0;
        QString itemName; // what "Saving: " and "Saved: " name
        int row = 0;
    };

    struct Store
    {
        bool oe5 = true;
        QString storeFolder; // with a trailing "\"
        QString newsFolder;  // OE4: with a trailing "\"
    };

    // Builds the list from the grid (rows 1 .. count - 1 in state 1) and the item-list lines of
    // the rows in state 1 or 2. The grid's parents must already be marked.
    void build(platform::IFileSystem& files, const TreeListModel& grid, const Store& store);
    // The item list goes last.
    void addItemList(const QString& path);

    const QList<Entry>& entries() const { return m_entries; }
    // Entries joined with CR, the form the zip component takes.
    QString joined() const;
    // Item-list lines 3.. (the saved rows and their parents).
    const QStringList& itemLines() const { return m_lines; }
    // Rows in state 1, and the bytes they hold with the folder index.
    int selectedItems() const { return m_items; }
    qint64 selectedSize() const { return m_size; }

    // The entry a file the component is adding belongs to; nullptr when none does.
    const Entry* entryFor(const QString& file) const;

private:
    void add(const QString& path, Entry::Role role, int kind, const QString& name, int row);

    QList<Entry> m_entries;
    QStringList m_lines;
    int m_items = 0;
    qint64 m_size = 0;
};

// Parents of selected rows that are not selected themselves get state 2, so that the item list
// can rebuild the tree; they add no files.
void markParentsOfSelectedRows(TreeListModel& grid);

} // namespace kv
