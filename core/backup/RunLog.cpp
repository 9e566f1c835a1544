#include "backup/RunLog.h"

#include "backup/BackupLog.h"
#include "platform/Ansi.h"
#include "platform/IFileSystem.h"

namespace kv {

RunLog::RunLog(platform::IFileSystem& files) : m_files(files) {}

RunLog::~RunLog()
{
    close();
}

QString RunLog::tempPath(const QString& programFolder)
{
    return programFolder + QStringLiteral("\\~temp.log");
}

bool RunLog::open(const QString& path)
{
    QMutexLocker lock(&m_mutex);
    m_out.reset();
    m_lines.clear();
    m_path = path;
    platform::FileEntry entry;
    if (m_files.stat(path, &entry))
        m_files.removeFile(path);
    m_out = m_files.open(path, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!m_out)
        qCWarning(lcBackup) << "cannot create the run log" << path << "error"
                            << m_files.lastError();
    return m_out != nullptr;
}

bool RunLog::isOpen() const
{
    QMutexLocker lock(&m_mutex);
    return m_out != nullptr;
}

void RunLog::write(const QString& line)
{
    QMutexLocker lock(&m_mutex);
    if (!m_out)
        return;
    m_lines.append(line);
    const QByteArray bytes = ansi::fromUnicode(line) + "\r\n";
    if (m_out->write(bytes) != bytes.size()) {
        qCWarning(lcBackup) << "cannot write the run log" << m_path << "error"
                            << m_files.lastError();
        m_out.reset();
    }
}

void RunLog::write(const QStringList& lines)
{
    for (const QString& line : lines)
        write(line);
}

void RunLog::close()
{
    QMutexLocker lock(&m_mutex);
    if (m_out)
        m_out->close();
    m_out.reset();
}

bool RunLog::closeAndRename(const QString& finalPath)
{
    close();
    if (m_path.isEmpty())
        return false;
    platform::FileEntry entry;
    if (m_files.stat(finalPath, &entry) && !m_files.removeFile(finalPath))
        qCWarning(lcBackup) << "cannot replace" << finalPath << "error" << m_files.lastError();
    if (!m_files.moveFile(m_path, finalPath)) {
        qCWarning(lcBackup) << "cannot rename the run log to" << finalPath << "error"
                            << m_files.lastError();
        return false;
    }
    return true;
}

QStringList RunLog::lines() const
{
    QMutexLocker lock(&m_mutex);
    return m_lines;
}

} // namespace kv
