#include "platform/posix/WineRegStore.h"

#include "platform/posix/AtomicWrite.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace kv::platform::posix {

WineRegStore::WineRegStore(QString path, QByteArray relativeTo)
    : m_path(std::move(path)), m_relativeTo(std::move(relativeTo))
{
}

WineRegStore::~WineRegStore() = default;

WineRegStore::Stamp WineRegStore::currentStamp() const
{
    Stamp stamp;
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.inode = st.st_ino;
    return stamp;
}

bool WineRegStore::changedOnDisk() const
{
    return m_file && !(currentStamp() == m_stamp);
}

void WineRegStore::discard()
{
    m_file.reset();
    m_dirty = false;
    m_loadError = kErrorSuccess;
}

WinError WineRegStore::load(quint64 now, QString* errorText)
{
    if (m_file && (m_dirty || !changedOnDisk())) {
        if (m_loadError != kErrorSuccess && errorText)
            *errorText = m_loadText;
        return m_loadError;
    }
    m_file = std::make_unique<WineRegFile>(m_relativeTo);
    m_dirty = false;
    m_loadError = kErrorSuccess;
    m_loadText.clear();
    m_stamp = currentStamp();
    if (!m_stamp.exists) {
        m_file->root()->setModified(now); // an empty hive until the first write
        return kErrorSuccess;
    }

    QFile f(m_path);
    const bool isFolder = QFileInfo(m_path).isDir();
    errno = 0;
    if (isFolder || !f.open(QIODevice::ReadOnly)) {
        const int error = errno;
        m_loadError =
            isFolder || error == EACCES || error == EPERM ? kErrorAccessDenied : kErrorReadFault;
        m_loadText =
            QStringLiteral("The registry file \"%1\" cannot be read: %2")
                .arg(m_path, isFolder ? QStringLiteral("it is a folder") : f.errorString());
    } else {
        const QByteArray bytes = f.readAll();
        if (f.error() != QFileDevice::NoError) {
            m_loadError = kErrorReadFault;
            m_loadText = QStringLiteral("The registry file \"%1\" cannot be read: %2")
                             .arg(m_path, f.errorString());
        } else if (m_file->parse(bytes, now) == WineRegFile::State::NotRegistry) {
            m_loadError = kErrorBadDb;
            m_loadText = QStringLiteral("The registry file \"%1\" is damaged (%2); it is left "
                                        "as it is.")
                             .arg(m_path, m_file->problem());
        }
    }
    if (errorText)
        *errorText = m_loadText;
    return m_loadError;
}

WinError WineRegStore::checkWritable(QString* errorText) const
{
    if (!m_file || m_loadError != kErrorSuccess) {
        if (errorText)
            *errorText = m_loadText;
        return m_loadError != kErrorSuccess ? m_loadError : kErrorInvalidHandle;
    }
    if (m_file->state() != WineRegFile::State::Good) {
        if (errorText)
            *errorText = QStringLiteral("The registry file \"%1\" is damaged (%2), so it is "
                                        "not changed: writing it would lose what could not be "
                                        "read. Repair or restore the file first.")
                             .arg(m_path, m_file->problem());
        return kErrorBadDb;
    }
    return kErrorSuccess;
}

WinError WineRegStore::save(QString* errorText)
{
    if (!m_file || !m_dirty)
        return kErrorSuccess;
    if (changedOnDisk()) {
        if (errorText)
            *errorText = QStringLiteral("The registry file \"%1\" was changed by another "
                                        "program after it was read; the changes made here were "
                                        "not written.")
                             .arg(m_path);
        return kErrorSharingViolation;
    }
    const WinError error = writeFileAtomically(m_path, m_file->serialize(), errorText);
    if (error != kErrorSuccess)
        return error;
    m_stamp = currentStamp();
    m_dirty = false;
    return kErrorSuccess;
}

} // namespace kv::platform::posix
