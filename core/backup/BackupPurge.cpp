#include "backup/BackupPurge.h"

#include "backup/BackupLog.h"
#include "platform/IFileSystem.h"
#include "platform/WinPath.h"

namespace kv {

namespace {

QString patternFor(const QString& folder, const QString& baseName)
{
    return winpath::removeTrailingBackslash(folder) + u'\\' + baseName + QStringLiteral("*.eaz");
}

} // namespace

bool BackupPurge::due(const QString& folder, const QString& baseName, int keep)
{
    return keep >= 1 && m_files.find(patternFor(folder, baseName)).size() > keep;
}

QStringList BackupPurge::run(const QString& folder, const QString& baseName, int keep,
                             const QString& newArchive, const QDateTime& now)
{
    QStringList deleted;
    if (keep < 1)
        return deleted;
    const QString dir = winpath::removeTrailingBackslash(folder) + u'\\';
    QList<platform::FileEntry> found = m_files.find(patternFor(folder, baseName));
    qsizetype surplus = found.size() - keep;
    const QDateTime latest = now.toUTC().addDays(100);
    while (surplus-- > 0) {
        qsizetype oldest = -1;
        for (qsizetype i = 0; i < found.size(); ++i) {
            const platform::FileEntry& e = found.at(i);
            if (e.isDirectory() || e.modified > latest ||
                winpath::samePath(dir + e.name, newArchive))
                continue;
            if (oldest < 0 || e.modified < found.at(oldest).modified)
                oldest = i;
        }
        if (oldest < 0)
            break;
        const QString path = dir + found.at(oldest).name;
        if (m_files.removeFile(path))
            deleted.append(path);
        else
            qCWarning(lcBackup) << "cannot delete the old backup" << path << "error"
                                << m_files.lastError();
        found.removeAt(oldest);
    }
    return deleted;
}

} // namespace kv
