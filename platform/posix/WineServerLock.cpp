#include "platform/posix/WineServerLock.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::platform::posix {

WineServerLock::WineServerLock(QString prefixFolder) : m_prefix(std::move(prefixFolder)) {}

QString WineServerLock::serverDirName(const QString& prefixFolder)
{
    struct stat st
    {
    };
    if (::stat(QFile::encodeName(prefixFolder).constData(), &st) != 0)
        return {};
    return QStringLiteral("server-%1-%2")
        .arg(quint64(st.st_dev), 0, 16)
        .arg(quint64(st.st_ino), 0, 16);
}

QStringList WineServerLock::lockFiles() const
{
    const QString dirName = serverDirName(m_prefix);
    if (dirName.isEmpty())
        return {};
    const QString tail = QLatin1Char('/') + dirName + QStringLiteral("/lock");
    QStringList roots;
    roots << QStringLiteral("/tmp/.wine-%1").arg(::getuid());

    QFile named(m_prefix + QStringLiteral("/wineserver"));
    if (named.open(QIODevice::ReadOnly)) {
        const QString name = QFile::decodeName(named.read(4096).trimmed());
        if (!name.isEmpty()) {
            if (name.startsWith(QLatin1Char('/'))) {
                roots << name;
            } else {
                const QString tmp = qEnvironmentVariable("TMPDIR");
                if (!tmp.isEmpty())
                    roots << tmp + QLatin1Char('/') + name;
                roots << QStringLiteral("/tmp/") + name;
            }
        }
    }
    QStringList files;
    for (const QString& root : roots) {
        if (!files.contains(root + tail))
            files << root + tail;
    }
    return files;
}

bool WineServerLock::isLocked(const QString& lockFile)
{
    const int fd = ::open(QFile::encodeName(lockFile).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock fl
    {
    };
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 0;
    // An open-file-description query also sees locks held by this very process, which a
    // classic F_GETLK would not report.
    int rc = ::fcntl(fd, F_OFD_GETLK, &fl);
    if (rc != 0) {
        fl = {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        rc = ::fcntl(fd, F_GETLK, &fl);
    }
    ::close(fd);
    return rc == 0 && fl.l_type != F_UNLCK;
}

QString WineServerLock::heldLockFile() const
{
    for (const QString& file : lockFiles()) {
        if (isLocked(file))
            return file;
    }
    return {};
}

} // namespace kv::platform::posix
