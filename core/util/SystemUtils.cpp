#include "util/SystemUtils.h"

#include "util/FileOperation.h"
#include "util/Like.h"
#include "util/PeVersionInfo.h"
#include "util/UtilLog.h"

#include "platform/WinPath.h"

#include <QMutex>

#include <optional>

namespace kv::SystemUtils {

using namespace platform;

namespace {

QMutex g_versionMutex;
std::optional<WindowsVersion> g_version;

bool statPath(IFileSystem& files, const QString& path, FileEntry* entry)
{
    if (path.isEmpty() || winpath::hasWildcard(path))
        return false;
    return files.stat(path, entry);
}

bool deleteOne(IFileSystem& files, const QString& path, bool toRecycleBin)
{
    FileOperation op(files);
    op.setSilentMode(true);
    op.setConfirmOperation(false);
    op.setAllowUndo(toRecycleBin);
    op.addSourceFile(path);
    return op.deleteFiles();
}

} // namespace

bool folderExists(IFileSystem& files, const QString& path)
{
    FileEntry entry;
    return statPath(files, winpath::clean(path), &entry) && entry.isDirectory();
}

bool fileExists(IFileSystem& files, const QString& path)
{
    FileEntry entry;
    return statPath(files, path, &entry) && !entry.isDirectory();
}

bool deleteFile(IFileSystem& files, const QString& path)
{
    return deleteOne(files, path, false);
}

bool recycleFile(IFileSystem& files, const QString& path)
{
    return deleteOne(files, path, true);
}

QString findNotepad(IFileSystem& files, ISystem& system)
{
    const QString name = QStringLiteral("\\notepad.exe");
    for (const QString& folder : {system.windowsDirectory(), system.systemDirectory()}) {
        if (folder.isEmpty())
            continue;
        const QString path = winpath::removeTrailingBackslash(folder) + name;
        if (fileExists(files, path))
            return path;
    }
    return {};
}

bool runAndWait(IProcesses& processes, const QString& commandLine)
{
    if (processes.runAndWait(commandLine))
        return true;
    qCWarning(lcUtil) << "Could not start" << commandLine;
    return false;
}

WindowHandle findWindow(IProcesses& processes, const QString& titlePattern,
                        const QString& classPattern)
{
    const QList<WindowInfo> windows = processes.topLevelWindows();
    for (const WindowInfo& window : windows) {
        if (likeMatch(window.title, titlePattern) && likeMatch(window.className, classPattern))
            return window.handle;
    }
    return 0;
}

QString versionWordText(quint32 value)
{
    const quint32 high = value >> 16;
    const quint32 low = value & 0xFFFF;
    if (high != 0)
        return QStringLiteral("%1.%2").arg(high).arg(low);
    return QString::number(low);
}

QString fileVersionText(IFileSystem& files, const QString& path)
{
    if (path.isEmpty() || winpath::hasWildcard(path))
        return {};
    const std::unique_ptr<QIODevice> file = files.open(path, QIODevice::ReadOnly);
    if (!file)
        return {};
    const std::optional<FixedFileInfo> info = readFixedFileInfo(*file);
    if (!info)
        return {};
    return versionWordText(info->fileVersionHigh) + QStringLiteral(" rev ") +
           versionWordText(info->fileVersionLow);
}

WindowsVersion windowsVersion(ISystem& system)
{
    QMutexLocker lock(&g_versionMutex);
    if (!g_version)
        g_version = system.windowsVersion();
    return *g_version;
}

WindowsVersion refreshWindowsVersion(ISystem& system)
{
    QMutexLocker lock(&g_versionMutex);
    g_version = system.windowsVersion();
    return *g_version;
}

} // namespace kv::SystemUtils
