#include "backup/BackupFileList.h"

#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "grid/TreeListModel.h"
#include "platform/IFileSystem.h"
#include "platform/WinPath.h"

namespace kv {

namespace {

const QString kAllFiles = QStringLiteral("\\*");

qint64 fileSize(platform::IFileSystem& files, const QString& path, bool* exists = nullptr)
{
    platform::FileEntry e;
    const bool found = files.stat(path, &e) && !e.isDirectory();
    if (exists)
        *exists = found;
    return found ? qint64(e.size) : 0;
}

} // namespace

void markParentsOfSelectedRows(TreeListModel& grid)
{
    const int count = grid.totalRowCount();
    for (int i = 1; i < count; ++i) {
        if (grid.checkState(i) != kNotSelected)
            continue;
        const int below = grid.descendantCount(i);
        for (int j = i + 1; j <= i + below && j < count; ++j) {
            if (grid.checkState(j) == kSelected) {
                grid.setCheckState(i, kNotAvailable);
                grid.setCell(i, cell::FlgSave, QString::number(kNotAvailable));
                break;
            }
        }
    }
}

void BackupFileList::add(const QString& path, Entry::Role role, int kind, const QString& name,
                         int row)
{
    m_entries.append(Entry{path, role, kind, name, row});
}

void BackupFileList::build(platform::IFileSystem& files, const TreeListModel& grid,
                           const Store& store)
{
    m_entries.clear();
    m_lines.clear();
    m_items = 0;
    m_size = 0;

    if (store.oe5) {
        const QString index = store.storeFolder + QStringLiteral("Folders.dbx");
        add(index, Entry::Role::FolderIndex, 0, winpath::fileName(index), 0);
        m_size += fileSize(files, index);
        const QString uidl = store.storeFolder + QStringLiteral("pop3uidl.dbx");
        bool exists = false;
        const qint64 size = fileSize(files, uidl, &exists);
        if (exists) {
            add(uidl, Entry::Role::FolderIndex, 0, winpath::fileName(uidl), 0);
            m_size += size;
        }
    } else {
        const QString index = store.storeFolder + QStringLiteral("Folders.nch");
        add(index, Entry::Role::FolderIndex, 0, winpath::fileName(index), 0);
        m_size += fileSize(files, index);
    }

    for (int row = 1; row < grid.totalRowCount(); ++row) {
        const int state = grid.checkState(row);
        if (state <= kNotSelected)
            continue;
        const int kind = itemKind(grid, row);
        const QString data = grid.cell(row, cell::MbxName);
        QString name = grid.cell(row, cell::Display);
        if (name.isEmpty())
            name = grid.text(row);
        bool withIndex = false;
        if (state == kSelected) {
            ++m_items;
            m_size += itemFileSize(grid, row);
            if (isFolderKind(kind) && !data.isEmpty()) {
                add(store.storeFolder + data, Entry::Role::Item, kind, name, row);
                if (!store.oe5 && data.endsWith(QLatin1String("mbx"), Qt::CaseInsensitive) &&
                    grid.cell(row, cell::HasIdx) == QLatin1String("Y")) {
                    const QString idx =
                        store.storeFolder + data.left(data.size() - 3) + QStringLiteral("idx");
                    add(idx, Entry::Role::Index, kind, name, row);
                    withIndex = true;
                }
            } else if (kind == int(ItemKind::Oe4NewsAccount) && !data.isEmpty()) {
                add(store.newsFolder + data + kAllFiles, Entry::Role::Item, kind, name, row);
            } else if (kind == int(ItemKind::AddressBook) && !data.isEmpty()) {
                add(data, Entry::Role::Item, kind, QStringLiteral("Address Book"), row);
            } else if (kind == int(ItemKind::Favorites) && !data.isEmpty()) {
                add(winpath::removeTrailingBackslash(data) + kAllFiles, Entry::Role::Item, kind,
                    QStringLiteral("Internet Explorer Favorites"), row);
            } else if (isSettingsGroup(kind) && !data.isEmpty()) {
                add(data, Entry::Role::Item, kind, name, row);
            }
        }
        m_lines.append(ItemList::recordFor(grid, row, withIndex).line());
    }
}

void BackupFileList::addItemList(const QString& path)
{
    add(path, Entry::Role::ItemList, 0, winpath::fileName(path), 0);
}

QString BackupFileList::joined() const
{
    QStringList paths;
    paths.reserve(m_entries.size());
    for (const Entry& e : m_entries)
        paths.append(e.path);
    return paths.join(QChar(13));
}

const BackupFileList::Entry* BackupFileList::entryFor(const QString& file) const
{
    for (const Entry& e : m_entries) {
        if (e.path.endsWith(kAllFiles)) {
            const QString folder = e.path.left(e.path.size() - 1); // keeps the "\"
            if (file.startsWith(folder, Qt::CaseInsensitive))
                return &e;
        } else if (winpath::samePath(file, e.path)) {
            return &e;
        }
    }
    return nullptr;
}

} // namespace kv
