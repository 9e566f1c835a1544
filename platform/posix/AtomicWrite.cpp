#include "platform/posix/AtomicWrite.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kv::platform::posix {

WinError winErrorFromErrno(int error)
{
    switch (error) {
    case 0:
        return kErrorSuccess;
    case ENOENT:
        return kErrorPathNotFound;
    case ENOTDIR:
        return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return kErrorAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kErrorDiskFull;
    case ENOMEM:
        return kErrorNotEnoughMemory;
    case ENAMETOOLONG:
        return kErrorInvalidName;
    case EIO:
        return kErrorWriteFault;
    default:
        return kErrorWriteFault;
    }
}

namespace {

WinError failed(int error, const QString& what, const QString& path, QString* errorText)
{
    if (errorText)
        *errorText = QStringLiteral("%1 \"%2\": %3")
                         .arg(what, path, QString::fromLocal8Bit(std::strerror(error)));
    return winErrorFromErrno(error);
}

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* p = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

} // namespace

WinError writeFileAtomically(const QString& path, const QByteArray& bytes, QString* errorText)
{
    QByteArray target = QFile::encodeName(path);
    struct stat st
    {
    };
    const bool existed = ::lstat(target.constData(), &st) == 0;
    if (existed && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (!::realpath(target.constData(), resolved))
            return failed(errno, QStringLiteral("Cannot follow the link"), path, errorText);
        target = resolved;
    }
    struct stat targetStat
    {
    };
    const bool targetExists = ::stat(target.constData(), &targetStat) == 0;
    if (targetExists && !S_ISREG(targetStat.st_mode))
        return failed(EISDIR, QStringLiteral("Cannot replace"), path, errorText);

    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray dir = slash >= 0 ? target.left(slash + 1) : QByteArray("./");
    const QByteArray name = slash >= 0 ? target.mid(slash + 1) : target;
    QByteArray temp = dir + '.' + name + ".kvtmp-XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return failed(errno, QStringLiteral("Cannot create a temporary file next to"), path,
                      errorText);

    mode_t mode = 0;
    if (targetExists) {
        mode = targetStat.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, bytes) || ::fsync(fd) != 0)
        error = errno;
    // Run by root on a user's prefix, the file must stay the user's, or Wine cannot use it.
    if (error == 0 && targetExists && ::geteuid() == 0 &&
        (targetStat.st_uid != 0 || targetStat.st_gid != 0) &&
        ::fchown(fd, targetStat.st_uid, targetStat.st_gid) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return failed(error, QStringLiteral("Cannot write"), path, errorText);
    }
    // Make the rename itself durable.
    const int dirFd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return kErrorSuccess;
}

} // namespace kv::platform::posix
