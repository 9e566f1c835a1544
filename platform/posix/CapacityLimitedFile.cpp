#include "platform/posix/CapacityLimitedFile.h"

#include "platform/posix/PosixLog.h"
#include "platform/posix/ThreadLastError.h"

#include <QDirIterator>
#include <QFileInfo>

namespace kv::platform::posix {

CapacityLimitedFile::CapacityLimitedFile(const QString& hostPath, const QString& driveFolder,
                                         quint64 capacity)
    : m_file(hostPath), m_driveFolder(driveFolder), m_capacity(capacity)
{
}

CapacityLimitedFile::~CapacityLimitedFile()
{
    close();
}

quint64 CapacityLimitedFile::bytesUsed(const QString& folder, const QString& exceptFile)
{
    const QString except =
        exceptFile.isEmpty() ? QString() : QFileInfo(exceptFile).absoluteFilePath();
    quint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (!except.isEmpty() && info.absoluteFilePath() == except)
            continue;
        total += quint64(info.size());
    }
    return total;
}

bool CapacityLimitedFile::open(OpenMode mode)
{
    if (isOpen())
        return false;
    // Unbuffered on both levels: every write reaches writeData, and the file's size on disk is
    // what the next write's room is measured against.
    if (!m_file.open(mode | QIODevice::Unbuffered)) {
        setErrorString(m_file.errorString());
        return false;
    }
    return QIODevice::open(mode | QIODevice::Unbuffered);
}

void CapacityLimitedFile::close()
{
    if (!isOpen())
        return;
    QIODevice::close();
    m_file.close();
}

qint64 CapacityLimitedFile::size() const
{
    return m_file.size();
}

bool CapacityLimitedFile::seek(qint64 pos)
{
    if (!QIODevice::seek(pos))
        return false;
    return m_file.seek(pos);
}

qint64 CapacityLimitedFile::readData(char* data, qint64 maxSize)
{
    return m_file.read(data, maxSize);
}

qint64 CapacityLimitedFile::writeData(const char* data, qint64 size)
{
    const quint64 others = bytesUsed(m_driveFolder, m_file.fileName());
    const quint64 allowed = others >= m_capacity ? 0 : m_capacity - others;
    // Append mode writes at the end whatever the position says.
    const quint64 pos =
        (openMode() & QIODevice::Append) ? quint64(m_file.size()) : quint64(m_file.pos());
    // Rewriting bytes the file already holds takes no new room.
    const quint64 limit = std::max<quint64>(allowed, quint64(m_file.size()));
    const quint64 room = limit > pos ? limit - pos : 0;
    const qint64 fits = qint64(std::min<quint64>(room, quint64(size)));
    if (fits < size) {
        setErrorString(QStringLiteral("There is not enough space on the disk."));
        threadLastError() = kErrorDiskFull;
        qCWarning(lcPosix) << "disk full writing" << m_file.fileName() << ":" << size
                           << "bytes asked," << fits << "fit";
        if (fits == 0)
            return -1;
    }
    return m_file.write(data, fits);
}

} // namespace kv::platform::posix
