#include "util/FileScan.h"

#include "util/FieldList.h"
#include "util/UtilLog.h"

#include "platform/WinPath.h"

#include <limits>

namespace kv::FileScan {

using namespace platform;

namespace {

qint64 clamp(quint64 value)
{
    return qint64(qMin<quint64>(value, std::numeric_limits<qint64>::max()));
}

qint64 addSaturated(qint64 total, quint64 size)
{
    const qint64 add = clamp(size);
    return total > std::numeric_limits<qint64>::max() - add ? std::numeric_limits<qint64>::max()
                                                            : total + add;
}

// Deeper than any Windows path can reach; it stops a loop of links from recursing forever.
constexpr int kMaxDepth = 256;

void scan(IFileSystem& files, const QString& pattern, int depth, FolderSize* size)
{
    if (depth > kMaxDepth) {
        qCWarning(lcUtil) << "Folder scan stopped, nested too deep:" << pattern;
        return;
    }
    const QString folder = winpath::parent(pattern);
    const QList<FileEntry> entries = files.find(pattern);
    for (const FileEntry& entry : entries) {
        if (entry.isDirectory()) {
            scan(files, winpath::join(winpath::join(folder, entry.name), QStringLiteral("*.*")),
                 depth + 1, size);
            continue;
        }
        size->totalBytes = addSaturated(size->totalBytes, entry.size);
        ++size->fileCount;
    }
}

bool readDisk(IFileSystem& files, const QString& root, DiskSpace* space)
{
    QString r = root;
    if (!r.endsWith(QLatin1Char('\\')))
        r += QLatin1Char('\\');
    if (files.diskSpace(r, space))
        return true;
    qCWarning(lcUtil) << "Cannot read the disk space of" << r << "error" << files.lastError();
    return false;
}

} // namespace

FolderSize folderSize(IFileSystem& files, const QString& path)
{
    FolderSize size;
    QString pattern = path;
    if (!pattern.endsWith(QLatin1String("*.*")))
        pattern = winpath::removeTrailingBackslash(pattern) + QStringLiteral("\\*.*");
    scan(files, pattern, 0, &size);
    return size;
}

QString listFiles(IFileSystem& files, const QString& pattern)
{
    const QChar sep = FieldList::separatorA();
    QString list;
    const QList<FileEntry> entries = files.find(pattern);
    for (const FileEntry& entry : entries) {
        if (!entry.isDirectory())
            FieldList::appendField(list, entry.name, sep);
    }
    return list;
}

qint64 folderFileTotal(IFileSystem& files, const QString& folder)
{
    const QString pattern = winpath::removeTrailingBackslash(folder) + QStringLiteral("\\*.*");
    qint64 total = 0;
    const QList<FileEntry> entries = files.find(pattern);
    for (const FileEntry& entry : entries) {
        if (!entry.isDirectory())
            total = addSaturated(total, entry.size);
    }
    return total;
}

qint64 freeSpace(IFileSystem& files, const QString& root)
{
    DiskSpace space;
    return readDisk(files, root, &space) ? clamp(space.freeBytes) : 0;
}

qint64 capacity(IFileSystem& files, const QString& root)
{
    DiskSpace space;
    return readDisk(files, root, &space) ? clamp(space.totalBytes) : -1;
}

} // namespace kv::FileScan
