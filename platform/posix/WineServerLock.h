#pragma once

#include <QString>
#include <QStringList>

namespace kv::platform::posix {

// Whether a wineserver runs on a prefix. While it runs it holds the prefix's registry in
// memory and rewrites the files itself (every 30 s and when it exits), so a change made to
// the files meanwhile would be lost. The server keeps an fcntl write lock on the file "lock"
// in its directory, named server-<device>-<inode> after the prefix folder, under
// /tmp/.wine-<uid>/ or, with Debian's packages, under the temporary folder that the prefix's
// file "wineserver" names.
class WineServerLock
{
public:
    explicit WineServerLock(QString prefixFolder);

    // The lock files a server of this prefix would hold (existing or not).
    QStringList lockFiles() const;
    // The lock file currently held by a running server, or empty when none runs.
    QString heldLockFile() const;
    bool serverRunning() const { return !heldLockFile().isEmpty(); }

    // server-<device>-<inode> as Wine names it, empty when the folder cannot be examined.
    static QString serverDirName(const QString& prefixFolder);
    static bool isLocked(const QString& lockFile);

private:
    QString m_prefix;
};

} // namespace kv::platform::posix
