#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace kv::platform::posix {

// Finds the Windows programs running on one Wine prefix by reading a /proc tree: a process is
// the program when its command line names the program's executable (as Wine shows a Windows
// process: "C:\...\msimn.exe", or as started: "wine msimn.exe") and its WINEPREFIX (or
// ~/.wine when unset) is our prefix.
class WineProcessScanner
{
public:
    WineProcessScanner(QString procRoot, QString prefixFolder);

    // The process ids running `executable` ("msimn.exe") on the prefix, in ascending order.
    QList<qint64> find(const QString& executable) const;
    // Is process `pid` still running `executable` on the prefix?
    bool isRunning(qint64 pid, const QString& executable) const;
    // Has the process ended (gone, or a zombie waiting for its parent)?
    bool hasEnded(qint64 pid) const;

    // Does a command line (its NUL-separated arguments) name the executable?
    static bool commandLineRuns(const QStringList& arguments, const QString& executable);

private:
    QString processFolder(qint64 pid) const;
    bool onOurPrefix(qint64 pid) const;

    QString m_procRoot;
    QString m_prefix; // canonical
};

} // namespace kv::platform::posix
