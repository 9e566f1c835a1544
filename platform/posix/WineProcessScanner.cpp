#include "platform/posix/WineProcessScanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace kv::platform::posix {

namespace {

QStringList readNulSeparated(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringList out;
    for (const QByteArray& part : bytes.split('\0')) {
        if (!part.isEmpty())
            out.append(QString::fromLocal8Bit(part));
    }
    return out;
}

QString baseName(const QString& path)
{
    const qsizetype cut =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString canonical(const QString& path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? QDir::cleanPath(path) : resolved;
}

} // namespace

WineProcessScanner::WineProcessScanner(QString procRoot, QString prefixFolder)
    : m_procRoot(std::move(procRoot)), m_prefix(canonical(prefixFolder))
{
}

QString WineProcessScanner::processFolder(qint64 pid) const
{
    return m_procRoot + QLatin1Char('/') + QString::number(pid);
}

bool WineProcessScanner::commandLineRuns(const QStringList& arguments, const QString& executable)
{
    if (arguments.isEmpty())
        return false;
    const auto names = [&](const QString& argument) {
        return baseName(argument).compare(executable, Qt::CaseInsensitive) == 0;
    };
    if (names(arguments.first()))
        return true;
    // Started through Wine's loader, before Wine renames the process.
    static const QStringList loaders = {
        QStringLiteral("wine"), QStringLiteral("wine64"), QStringLiteral("wine-preloader"),
        QStringLiteral("wine64-preloader"), QStringLiteral("wineloader")};
    if (!loaders.contains(baseName(arguments.first())))
        return false;
    return std::any_of(arguments.begin() + 1, arguments.end(), names);
}

bool WineProcessScanner::onOurPrefix(qint64 pid) const
{
    QFile file(processFolder(pid) + QStringLiteral("/environ"));
    if (!file.open(QIODevice::ReadOnly))
        return false; // another user's process: not ours to judge, nor to close
    QString prefix;
    QString home;
    for (const QByteArray& entry : file.readAll().split('\0')) {
        if (entry.startsWith("WINEPREFIX="))
            prefix = QString::fromLocal8Bit(entry.mid(11));
        else if (entry.startsWith("HOME="))
            home = QString::fromLocal8Bit(entry.mid(5));
    }
    if (prefix.isEmpty()) {
        if (home.isEmpty())
            home = QDir::homePath();
        prefix = home + QStringLiteral("/.wine");
    } else if (QDir::isRelativePath(prefix)) {
        const QString cwd = QFileInfo(processFolder(pid) + QStringLiteral("/cwd")).symLinkTarget();
        if (cwd.isEmpty())
            return false;
        prefix = cwd + QLatin1Char('/') + prefix;
    }
    return canonical(prefix) == m_prefix;
}

bool WineProcessScanner::isRunning(qint64 pid, const QString& executable) const
{
    if (hasEnded(pid))
        return false;
    return commandLineRuns(readNulSeparated(processFolder(pid) + QStringLiteral("/cmdline")),
                           executable) &&
           onOurPrefix(pid);
}

bool WineProcessScanner::hasEnded(qint64 pid) const
{
    const QString folder = processFolder(pid);
    if (!QFileInfo(folder).isDir())
        return true;
    QFile stat(folder + QStringLiteral("/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // "pid (name) S ...": the state follows the last ")".
    const QByteArray line = stat.readAll();
    const qsizetype close = line.lastIndexOf(')');
    return close >= 0 && line.size() > close + 2 && line[close + 2] == 'Z';
}

QList<qint64> WineProcessScanner::find(const QString& executable) const
{
    QList<qint64> pids;
    const QStringList entries = QDir(m_procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (numeric && pid > 0 && isRunning(pid, executable))
            pids.append(pid);
    }
    std::sort(pids.begin(), pids.end());
    return pids;
}

} // namespace kv::platform::posix
