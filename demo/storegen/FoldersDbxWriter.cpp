#include "FoldersDbxWriter.h"

#include "DbxFileWriter.h"
#include "DbxRecord.h"
#include "Le.h"

#include <algorithm>

namespace kv::storegen {

QByteArray FoldersDbxWriter::recordBody(const DbxFolder& f, int* attributeCount)
{
    DbxRecord r;
    r.addInt(0x00, f.id);
    if (f.parent < 0)
        r.addIndirectInt(0x01, std::uint32_t(f.parent));
    else
        r.addInt(0x01, std::uint32_t(f.parent));
    r.addText(0x02, f.name);
    r.addText(0x03, f.fileName);
    r.addText(0x05, f.accountId);
    r.addInt(0x06, f.flags);
    r.addInt(0x07, f.messageCount);
    r.addInt(0x08, f.unreadCount);
    r.addInt(0x09, std::uint32_t(f.special));
    r.addInt(0x0A, std::uint32_t(f.type));
    if (attributeCount)
        *attributeCount = r.attributeCount();
    return r.body();
}

std::vector<DbxFolder> FoldersDbxWriter::standardFolders()
{
    std::vector<DbxFolder> v;
    DbxFolder root;
    root.id = 0;
    root.parent = -1;
    root.name = "Outlook Express";
    root.flags = 0x00800010;
    root.type = DbxFolder::StoreType::Root;
    v.push_back(root);

    DbxFolder local;
    local.id = 1;
    local.name = "Local Folders";
    local.accountId = "LocalStore";
    local.flags = 0x00900019;
    v.push_back(local);

    for (std::uint32_t i = 0; i < std::size(kStandardFolderNames); ++i) {
        DbxFolder f;
        f.id = 4 + i;
        f.parent = 1;
        f.name = kStandardFolderNames[i];
        f.fileName = f.name + ".dbx";
        f.special = SpecialFolder(i + 1);
        v.push_back(f);
    }
    return v;
}

bool FoldersDbxWriter::write(const QString& path, const std::vector<DbxFolder>& folders,
                             std::uint64_t createdFileTime, QString* error)
{
    DbxFileWriter file(DbxFileWriter::Kind::Folders);
    QByteArray info(0x108, '\0');
    putU64(info, 0, createdFileTime);
    info[8] = 1;
    file.setFileInfo(info);
    if (!file.open(path)) {
        if (error)
            *error = file.error();
        return false;
    }
    std::vector<std::uint32_t> offsets(folders.size());
    std::uint32_t lastId = 0;
    for (size_t i = 0; i < folders.size(); ++i) {
        int count = 0;
        const QByteArray body = recordBody(folders[i], &count);
        offsets[i] = file.writeRecord(body, count);
        lastId = std::max(lastId, folders[i].id);
    }

    std::vector<size_t> byId(folders.size());
    for (size_t i = 0; i < byId.size(); ++i)
        byId[i] = i;
    std::vector<size_t> byName = byId;
    std::stable_sort(byId.begin(), byId.end(),
                     [&](size_t a, size_t b) { return folders[a].id < folders[b].id; });
    std::stable_sort(byName.begin(), byName.end(), [&](size_t a, size_t b) {
        if (folders[a].parent != folders[b].parent)
            return folders[a].parent < folders[b].parent;
        return folders[a].name.toLower() < folders[b].name.toLower();
    });
    std::vector<std::uint32_t> tree0, tree1, tree2;
    for (size_t i : byId)
        tree0.push_back(offsets[i]);
    for (size_t i : byName) {
        tree1.push_back(offsets[i]);
        if (folders[i].flags & DbxFolder::kSubscribed)
            tree2.push_back(offsets[i]);
    }
    file.writeTree(0, tree0);
    file.writeTree(1, tree1);
    file.writeTree(2, tree2);
    file.setLastId(lastId);
    const bool ok = file.finish();
    if (!ok && error)
        *error = file.error();
    return ok;
}

} // namespace kv::storegen
