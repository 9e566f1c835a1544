#include "FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>

#include <cstdlib>

#include <unistd.h>

namespace kv::fuzz {

namespace {

QString scratchPath()
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                   : QDir::tempPath();
    return base + QStringLiteral("/kv-fuzz-%1").arg(::getpid());
}

// Built afresh at exit: static strings may already be gone by then.
void removeScratch() { QDir(scratchPath()).removeRecursively(); }

QString scratchDir()
{
    static const QString dir = [] {
        const QString d = scratchPath();
        QDir().mkpath(d);
        std::atexit(removeScratch);
        return d;
    }();
    return dir;
}

} // namespace

QString writeInput(const uint8_t* data, size_t size, const char* suffix)
{
    const QString path = scratchDir() + QStringLiteral("/input") + QLatin1String(suffix);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        __builtin_trap();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

QString outputFolder() { return scratchDir() + QStringLiteral("/out"); }

void quietLogs() { QLoggingCategory::setFilterRules(QStringLiteral("kv.msgstore.warning=false")); }

} // namespace kv::fuzz
