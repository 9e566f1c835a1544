#include "util/FileOperation.h"

#include "util/UtilLog.h"

#include "platform/WinPath.h"

namespace kv {

using namespace platform;

namespace {

// Links and junctions are removed, never followed: a link inside a folder being deleted may
// point anywhere on the disk.
constexpr quint32 kAttrReparsePoint = 0x400;
// Deeper than any Windows path can reach; it stops a loop of links from recursing forever.
constexpr int kMaxDepth = 256;
constexpr int kMaxCollisionNames = 9999;

const char* functionName(FileOperation::Function function)
{
    switch (function) {
    case FileOperation::Function::Move:
        return "move";
    case FileOperation::Function::Copy:
        return "copy";
    case FileOperation::Function::Delete:
        return "delete";
    default:
        return "rename";
    }
}

} // namespace

FileOperation::FileOperation(IFileSystem& files) : m_files(files) {}

quint16 FileOperation::flags() const
{
    quint16 flags = 0;
    if (m_allowUndo)
        flags |= AllowUndo;
    if (!m_confirmMakeDir)
        flags |= NoConfirmMkDir;
    if (!m_confirmOperation)
        flags |= NoConfirmation;
    if (!m_customText.isEmpty())
        flags |= SimpleProgress;
    if (!m_includeDirectories)
        flags |= FilesOnly;
    if (m_renameOnCollision)
        flags |= RenameOnCollision;
    if (m_silentMode)
        flags |= Silent;
    if (m_dests.size() > 1)
        flags |= MultiDestFiles;
    return flags;
}

bool FileOperation::run(Function function)
{
    m_lastError = 0;
    m_lastErrorText.clear();
    if (m_sources.isEmpty())
        return fail(kErrorNoSourceFiles,
                    QStringLiteral("No source files specified file operation"));

    for (const QString& source : std::as_const(m_sources)) {
        if (winpath::isRoot(source))
            return fail(kErrorAccessDenied,
                        QStringLiteral("A drive root cannot be the source of a %1: %2")
                            .arg(QLatin1String(functionName(function)), source));
    }

    bool ok = true;
    if (function == Function::Delete) {
        for (const QString& source : std::as_const(m_sources)) {
            QList<Item> items;
            if (!expand(source, &items)) {
                ok = false;
                continue;
            }
            for (const Item& item : std::as_const(items))
                ok = deleteItem(item) && ok;
        }
        return ok;
    }

    if (function == Function::Rename) {
        if (m_dests.size() != m_sources.size())
            return fail(kErrorInvalidParameter,
                        QStringLiteral("A rename needs one new name for each source"));
        for (qsizetype i = 0; i < m_sources.size(); ++i)
            ok = renameItem(m_sources[i], m_dests[i]) && ok;
        return ok;
    }

    if (m_dests.isEmpty())
        return fail(kErrorInvalidParameter, QStringLiteral("No destination specified for the %1")
                                                .arg(QLatin1String(functionName(function))));
    const bool multiDest = m_dests.size() > 1;
    if (multiDest && m_dests.size() != m_sources.size())
        return fail(kErrorInvalidParameter, QStringLiteral("%1 destinations given for %2 sources")
                                                .arg(m_dests.size())
                                                .arg(m_sources.size()));

    for (qsizetype i = 0; i < m_sources.size(); ++i) {
        const QString& source = m_sources[i];
        const QString dest = winpath::clean(multiDest ? m_dests[i] : m_dests[0]);
        QList<Item> items;
        if (!expand(source, &items)) {
            ok = false;
            continue;
        }
        bool destIsDir = false;
        const bool destExists = exists(dest, &destIsDir);
        const bool intoFolder = winpath::hasWildcard(winpath::fileName(source)) ||
                                (!multiDest && m_sources.size() > 1) ||
                                m_dests[multiDest ? i : 0].endsWith(QLatin1Char('\\')) ||
                                (destExists && destIsDir);
        // The trailing "\" makes the call create the last component too, whichever reading of
        // "path" the file system takes.
        const QString folder = intoFolder ? dest : winpath::parent(dest);
        bool folderIsDir = false;
        if (!exists(folder, &folderIsDir)) {
            if (!m_files.makeSurePath(winpath::join(folder, QString()))) {
                ok = failCall(QStringLiteral("Creating the folder"), folder);
                continue;
            }
        } else if (!folderIsDir) {
            ok = fail(kErrorAlreadyExists,
                      QStringLiteral("The destination %1 is a file, not a folder").arg(folder));
            continue;
        }
        for (const Item& item : std::as_const(items)) {
            const QString target =
                intoFolder ? winpath::join(dest, winpath::fileName(item.path)) : dest;
            ok = transfer(function, item, target) && ok;
        }
    }
    return ok;
}

bool FileOperation::expand(const QString& source, QList<Item>* items)
{
    const QString path = winpath::clean(source);
    const QString name = winpath::fileName(path);
    const QString folder = winpath::parent(path);
    if (winpath::hasWildcard(folder))
        return fail(
            kErrorInvalidName,
            QStringLiteral("Wild cards are allowed only in the last part of %1").arg(source));
    if (!winpath::hasWildcard(name)) {
        bool isDir = false;
        if (!exists(path, &isDir))
            return fail(kErrorFileNotFound, QStringLiteral("Cannot find %1").arg(source));
        items->append({path, isDir});
        return true;
    }
    bool folderIsDir = false;
    if (!exists(folder, &folderIsDir) || !folderIsDir)
        return fail(kErrorPathNotFound, QStringLiteral("Cannot find the folder of %1").arg(source));
    const QList<FileEntry> entries = m_files.find(path);
    for (const FileEntry& entry : entries) {
        if (entry.isDirectory() && !m_includeDirectories)
            continue;
        items->append({winpath::join(folder, entry.name), entry.isDirectory()});
    }
    return true;
}

bool FileOperation::deleteItem(const Item& item)
{
    if (m_allowUndo) {
        if (!m_files.moveToRecycleBin(item.path))
            return failCall(QStringLiteral("Sending to the Recycle Bin"), item.path);
        return true;
    }
    if (item.isDirectory)
        return removeTree(item.path, 0);
    if (!m_files.removeFile(item.path))
        return failCall(QStringLiteral("Deleting"), item.path);
    return true;
}

bool FileOperation::removeTree(const QString& folder, int depth)
{
    if (depth > kMaxDepth)
        return fail(kErrorInvalidParameter,
                    QStringLiteral("Folders nested too deep in %1").arg(folder));
    bool ok = true;
    const QList<FileEntry> entries = m_files.find(winpath::join(folder, QStringLiteral("*")));
    for (const FileEntry& entry : entries) {
        const QString path = winpath::join(folder, entry.name);
        if (entry.attributes & kAttrReparsePoint) {
            if (!m_files.removeFile(path) && !m_files.removeDirectory(path))
                ok = failCall(QStringLiteral("Deleting the link"), path);
        } else if (entry.isDirectory()) {
            ok = removeTree(path, depth + 1) && ok;
        } else if (!m_files.removeFile(path)) {
            ok = failCall(QStringLiteral("Deleting"), path);
        }
    }
    if (ok && !m_files.removeDirectory(folder))
        ok = failCall(QStringLiteral("Deleting the folder"), folder);
    return ok;
}

bool FileOperation::transfer(Function function, const Item& item, const QString& requested)
{
    QString target = requested;
    const bool rename = m_renameOnCollision;
    if (winpath::samePath(item.path, target)) {
        if (function != Function::Copy || !rename)
            return fail(kErrorInvalidParameter,
                        QStringLiteral("Cannot %1 %2 onto itself")
                            .arg(QLatin1String(functionName(function)), item.path));
    }
    if (item.isDirectory && winpath::isInside(target, item.path))
        return fail(kErrorInvalidParameter,
                    QStringLiteral("Cannot %1 the folder %2 into itself (%3)")
                        .arg(QLatin1String(functionName(function)), item.path, target));
    bool targetIsDir = false;
    if (exists(target, &targetIsDir) && rename) {
        target = freeCollisionName(target);
        if (target.isEmpty())
            return fail(kErrorFileExists,
                        QStringLiteral("No free name for a copy of %1").arg(requested));
    }
    if (function == Function::Move)
        return moveInto(item, target, 0);
    if (item.isDirectory)
        return copyTree(item.path, target, 0);
    if (exists(target, &targetIsDir) && targetIsDir)
        return fail(kErrorAlreadyExists,
                    QStringLiteral("Cannot replace the folder %1 with a file").arg(target));
    if (!m_files.copyFile(item.path, target, false))
        return failCall(QStringLiteral("Copying %1 to").arg(item.path), target);
    return true;
}

bool FileOperation::copyTree(const QString& from, const QString& to, int depth)
{
    if (depth > kMaxDepth)
        return fail(kErrorInvalidParameter,
                    QStringLiteral("Folders nested too deep in %1").arg(from));
    bool isDir = false;
    if (exists(to, &isDir)) {
        if (!isDir)
            return fail(kErrorAlreadyExists,
                        QStringLiteral("Cannot replace the file %1 with a folder").arg(to));
    } else if (!m_files.createDirectory(to)) {
        return failCall(QStringLiteral("Creating the folder"), to);
    }
    bool ok = true;
    const QList<FileEntry> entries = m_files.find(winpath::join(from, QStringLiteral("*")));
    for (const FileEntry& entry : entries) {
        const QString source = winpath::join(from, entry.name);
        const QString target = winpath::join(to, entry.name);
        if (entry.isDirectory()) {
            ok = copyTree(source, target, depth + 1) && ok;
            continue;
        }
        bool targetIsDir = false;
        if (exists(target, &targetIsDir) && targetIsDir)
            ok = fail(kErrorAlreadyExists,
                      QStringLiteral("Cannot replace the folder %1 with a file").arg(target));
        else if (!m_files.copyFile(source, target, false))
            ok = failCall(QStringLiteral("Copying %1 to").arg(source), target);
    }
    return ok;
}

bool FileOperation::moveInto(const Item& item, const QString& target, int depth)
{
    if (depth > kMaxDepth)
        return fail(kErrorInvalidParameter,
                    QStringLiteral("Folders nested too deep in %1").arg(item.path));
    bool targetIsDir = false;
    if (!exists(target, &targetIsDir)) {
        if (m_files.moveFile(item.path, target))
            return true;
        // Another drive, or a rename the file system refused: copy, and remove the original
        // only once the copy is whole.
        if (item.isDirectory) {
            if (!copyTree(item.path, target, depth))
                return false;
            return removeTree(item.path, depth);
        }
        if (!m_files.copyFile(item.path, target, true))
            return failCall(QStringLiteral("Moving %1 to").arg(item.path), target);
        if (!m_files.removeFile(item.path))
            return failCall(QStringLiteral("Removing the moved file"), item.path);
        return true;
    }
    if (targetIsDir != item.isDirectory)
        return fail(kErrorAlreadyExists,
                    QStringLiteral("Cannot replace %1 with %2: one is a folder, the other a file")
                        .arg(target, item.path));
    if (!item.isDirectory)
        return replaceFile(item.path, target);

    bool ok = true;
    const QList<FileEntry> entries = m_files.find(winpath::join(item.path, QStringLiteral("*")));
    for (const FileEntry& entry : entries) {
        const Item child{winpath::join(item.path, entry.name), entry.isDirectory()};
        ok = moveInto(child, winpath::join(target, entry.name), depth + 1) && ok;
    }
    if (ok && !m_files.removeDirectory(item.path))
        ok = failCall(QStringLiteral("Removing the moved folder"), item.path);
    return ok;
}

bool FileOperation::replaceFile(const QString& from, const QString& to)
{
    // The file being replaced is kept aside until the new one is in place, so that a failed
    // move leaves both where they were.
    QString aside;
    for (int n = 1; n <= kMaxCollisionNames && aside.isEmpty(); ++n) {
        const QString candidate = to + QStringLiteral(".~kv%1").arg(n);
        if (!exists(candidate))
            aside = candidate;
    }
    if (aside.isEmpty() || !m_files.moveFile(to, aside))
        return failCall(QStringLiteral("Replacing"), to);
    bool ok = true;
    bool moved = m_files.moveFile(from, to);
    if (!moved && m_files.copyFile(from, to, true)) {
        moved = true;
        if (!m_files.removeFile(from))
            ok = failCall(QStringLiteral("Removing the moved file"), from);
    }
    if (!moved) {
        const bool reported = failCall(QStringLiteral("Moving %1 to").arg(from), to);
        if (!m_files.moveFile(aside, to))
            qCWarning(lcUtil) << "Could not put back" << to << "from" << aside;
        return reported;
    }
    if (!m_files.removeFile(aside))
        qCWarning(lcUtil) << "Could not remove the replaced file" << aside;
    return ok;
}

bool FileOperation::renameItem(const QString& source, const QString& dest)
{
    const QString path = winpath::clean(source);
    if (winpath::hasWildcard(path) || winpath::hasWildcard(dest))
        return fail(kErrorInvalidName,
                    QStringLiteral("Wild cards cannot be renamed: %1 to %2").arg(source, dest));
    // A bare name renames within the source's folder.
    const QString target = dest.contains(QLatin1Char('\\')) || dest.contains(QLatin1Char(':'))
                               ? winpath::clean(dest)
                               : winpath::join(winpath::parent(path), dest);
    if (!exists(path))
        return fail(kErrorFileNotFound, QStringLiteral("Cannot find %1").arg(source));
    if (path == target)
        return true;
    if (!winpath::samePath(path, target) && exists(target))
        return fail(kErrorAlreadyExists,
                    QStringLiteral("Cannot rename %1: %2 exists").arg(source, target));
    if (!m_files.moveFile(path, target))
        return failCall(QStringLiteral("Renaming %1 to").arg(path), target);
    return true;
}

QString FileOperation::freeCollisionName(const QString& target)
{
    const QString folder = winpath::parent(target);
    const QString name = winpath::fileName(target);
    for (int n = 1; n <= kMaxCollisionNames; ++n) {
        const QString candidate = n == 1 ? QStringLiteral("Copy of %1").arg(name)
                                         : QStringLiteral("Copy (%1) of %2").arg(n).arg(name);
        const QString path = winpath::join(folder, candidate);
        if (!exists(path))
            return path;
    }
    return {};
}

bool FileOperation::exists(const QString& path, bool* isDirectory)
{
    FileEntry entry;
    if (!m_files.stat(path, &entry))
        return false;
    if (isDirectory)
        *isDirectory = entry.isDirectory();
    return true;
}

bool FileOperation::fail(quint32 code, const QString& text)
{
    if (m_lastError == 0) {
        m_lastError = code;
        m_lastErrorText = text;
    }
    qCWarning(lcUtil).noquote() << text;
    return false;
}

bool FileOperation::failCall(const QString& what, const QString& path)
{
    WinError error = m_files.lastError();
    if (error == kErrorSuccess)
        error = kErrorAccessDenied;
    return fail(quint32(error),
                QStringLiteral("%1 %2 failed (error %3)").arg(what, path).arg(error));
}

} // namespace kv
