// Untrusted archive bytes through the zip reader: list, test and extract into a scratch folder.
// Nothing may crash, hang or write outside the destination.
#include "platform/posix/WineFileSystem.h"
#include "support/FakeRegistry.h"
#include "zip/ZipComponent.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        // The reader's warnings about damage would flood the fuzzer's output.
        QLoggingCategory::setFilterRules(QStringLiteral("kv.*=false"));
        return true;
    }();
    (void)quiet;
    static QTemporaryDir dir;
    const QString drive = dir.path() + QStringLiteral("/c");
    // A Wine prefix whose C: is that folder.
    static const bool prefix = [&] {
        return QDir().mkpath(drive) && QDir().mkpath(dir.path() + QStringLiteral("/dosdevices")) &&
               QFile::link(drive, dir.path() + QStringLiteral("/dosdevices/c:"));
    }();
    if (!prefix)
        std::abort();
    static kv::test::FakeRegistry registry;
    static kv::platform::posix::WineFileSystem fs(kv::platform::posix::WinePrefix(dir.path()),
                                                  registry);
    {
        QFile f(drive + QStringLiteral("/in.zip"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    kv::zip::ZipComponent zip(fs);
    zip.setArchiveName(QStringLiteral("C:\\in.zip"));
    QList<kv::zip::CentralEntry> entries;
    zip.list(&entries);
    zip.test();
    zip.setDestination(QStringLiteral("C:\\out\\x"));
    zip.setPathMode(kv::zip::PathMode::FullPath);
    zip.unzip();
    // Whatever the archive said, only the archive and the destination folder exist.
    const QStringList top =
        QDir(drive).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : top)
        if (name != QLatin1String("in.zip") && name != QLatin1String("out"))
            std::abort();
    const QStringList outTop =
        QDir(drive + QStringLiteral("/out"))
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : outTop)
        if (name != QLatin1String("x"))
            std::abort();
    QDir(drive + QStringLiteral("/out")).removeRecursively();
    return 0;
}
