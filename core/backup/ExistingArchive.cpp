#include "backup/ExistingArchive.h"

#include "backup/BackupLog.h"
#include "backup/RunLog.h"
#include "platform/IFileSystem.h"
#include "platform/WinPath.h"
#include "zip/ZipTypes.h"

#include <utility>

namespace kv {

namespace {

bool exists(platform::IFileSystem& files, const QString& path)
{
    platform::FileEntry e;
    return files.stat(path, &e) && !e.isDirectory();
}

QString besideIt(const QString& saveLocation, const QString& prefix, const QString& name)
{
    return winpath::removeTrailingBackslash(saveLocation) + u'\\' + prefix + name;
}

} // namespace

QString ExistingArchive::numberedName(platform::IFileSystem& files, const QString& backupFile,
                                      const QString& saveLocation)
{
    const QString name = winpath::fileName(backupFile);
    const QString stem = name.left(name.size() - 4);
    for (int n = 0;; ++n) {
        const QString candidate = winpath::removeTrailingBackslash(saveLocation) + u'\\' + stem +
                                  u'-' + QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')) +
                                  QStringLiteral(".eaz");
        if (!exists(files, candidate))
            return candidate;
    }
}

QString ExistingArchive::prepare(const QString& backupFile, const QString& saveLocation,
                                 bool keepOld, bool spanning, RunLog& log)
{
    m_final = backupFile;
    m_temp.clear();
    if (!exists(m_files, backupFile))
        return backupFile;
    if (keepOld) {
        const QString renamed = numberedName(m_files, backupFile, saveLocation);
        if (m_files.moveFile(backupFile, renamed)) {
            log.write({QStringLiteral("Prior Backup file:"), backupFile + QString(6, u' '),
                       QStringLiteral("   was renamed as:"), renamed + QString(6, u' '),
                       QString()});
            return backupFile;
        }
        qCWarning(lcBackup) << "cannot rename" << backupFile << "to" << renamed << "error"
                            << m_files.lastError();
    }
    if (spanning) {
        if (!m_files.removeFile(backupFile))
            qCWarning(lcBackup) << "cannot delete" << backupFile << "error" << m_files.lastError();
        return backupFile;
    }
    m_temp = besideIt(saveLocation, QStringLiteral("~kvnew-"), winpath::fileName(backupFile));
    if (exists(m_files, m_temp))
        m_files.removeFile(m_temp);
    return m_temp;
}

bool ExistingArchive::complete(bool good, int* result)
{
    if (m_temp.isEmpty())
        return true;
    const QString temp = std::exchange(m_temp, QString());
    if (!good) {
        if (exists(m_files, temp) && !m_files.removeFile(temp))
            qCWarning(lcBackup) << "cannot remove" << temp << "error" << m_files.lastError();
        return true;
    }
    const QString aside =
        besideIt(winpath::parent(m_final), QStringLiteral("~kvold-"), winpath::fileName(m_final));
    if (exists(m_files, aside))
        m_files.removeFile(aside);
    if (!m_files.moveFile(m_final, aside)) {
        qCWarning(lcBackup) << "cannot move" << m_final << "aside, error" << m_files.lastError();
        m_files.removeFile(temp);
        *result = zip::kZipCannotCreate;
        return false;
    }
    if (!m_files.moveFile(temp, m_final)) {
        qCWarning(lcBackup) << "cannot rename" << temp << "to" << m_final << "error"
                            << m_files.lastError();
        m_files.moveFile(aside, m_final);
        m_files.removeFile(temp);
        *result = zip::kZipCannotCreate;
        return false;
    }
    if (!m_files.removeFile(aside))
        qCWarning(lcBackup) << "cannot delete the replaced backup" << aside << "error"
                            << m_files.lastError();
    return true;
}

} // namespace kv
