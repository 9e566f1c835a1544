#include "CliCommand.h"

#include "platform/posix/PosixPlatform.h"
#include "zip/ZipComponent.h"
#include "zip/ZipListener.h"

#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>

namespace kv::cli {

namespace {

using namespace kv::zip;

const char* const kSkipTexts[] = {
    "file not found", "unknown compression method", "bad CRC",  "already up to date",
    "cannot open",    "invalid or no password",     "corrupted"};

// Reports the component's events on the terminal; disk requests are answered from stdin.
class TerminalListener : public ZipListener
{
public:
    TerminalListener(QTextStream& out, QTextStream& err, bool verbose)
        : m_out(out), m_err(err), m_verbose(verbose)
    {
    }
    void skippingFile(const QString& name, SkipReason reason) override
    {
        const int r = int(reason);
        m_err << "skipped: " << name << " (" << r << ": "
              << (r >= 0 && r <= 6 ? kSkipTexts[r] : "?") << ")\n";
        m_err.flush();
    }
    void addingFile(const QString& path, quint64 size) override
    {
        if (m_verbose)
            m_out << "adding: " << path << " (" << size << " bytes)\n";
        m_out.flush();
    }
    void extractingFile(const QString& entryName, QString&) override
    {
        if (m_verbose)
            m_out << "extracting: " << entryName << "\n";
        m_out.flush();
    }
    bool insertDisk(int diskNumber) override
    {
        if (diskNumber == 0)
            m_err << "Insert the last disk of the set";
        else
            m_err << "Insert disk #" << diskNumber;
        m_err << " and press Enter (q and Enter cancels): ";
        m_err.flush();
        char line[64];
        if (!std::fgets(line, sizeof line, stdin))
            return false;
        return line[0] != 'q' && line[0] != 'Q';
    }

private:
    QTextStream& m_out;
    QTextStream& m_err;
    bool m_verbose;
};

int failed(CliContext& ctx, const char* what, int code)
{
    ctx.err << "kv2000-cli: archive " << what << ": result " << code << " (" << resultText(code)
            << ")\n";
    return 1;
}

int create(CliContext& ctx, ZipComponent& zip, QStringList args)
{
    QString temp;
    QString spanDrive;
    const bool haveTemp = takeOption(args, QStringLiteral("--temp"), &temp);
    const bool span = takeOption(args, QStringLiteral("--span"), &spanDrive);
    QString level;
    if (takeOption(args, QStringLiteral("--level"), &level))
        zip.setCompression(std::clamp(level.toInt(), 0, 3), 0);
    if (args.size() < 2)
        return -1;
    QString archive = args.takeFirst();
    if (span) {
        // The archive goes to the root of the removable drive, spread over as many disks as it
        // needs; it is built in the temporary folder first only when one was named.
        archive = spanDrive.left(1) + QStringLiteral(":\\") +
                  archive.mid(archive.lastIndexOf(QLatin1Char('\\')) + 1);
        zip.setSpanning(true);
        zip.setUseTempFile(haveTemp);
    }
    zip.setArchiveName(archive);
    zip.setTempFolder(temp);
    zip.setFilesToProcess(args.join(QLatin1Char('\r')));
    const int rc = zip.zip();
    if (rc != kZipSuccess)
        return failed(ctx, "create", rc);
    ctx.out << "created " << archive << "\n";
    return 0;
}

int list(CliContext& ctx, ZipComponent& zip, const QStringList& args)
{
    if (args.size() != 1)
        return -1;
    zip.setArchiveName(args.first());
    QList<CentralEntry> entries;
    const int rc = zip.list(&entries);
    if (rc != kZipSuccess)
        return failed(ctx, "list", rc);
    quint64 total = 0;
    quint64 packed = 0;
    for (const CentralEntry& e : entries) {
        ctx.out << QString::number(e.size).rightJustified(12) << " "
                << QString::number(e.compressedSize).rightJustified(12) << "  "
                << fromDosDateTime(e.dosDateTime).toString(QStringLiteral("yyyy-MM-dd hh:mm"))
                << "  " << e.name << "\n";
        total += e.size;
        packed += e.compressedSize;
    }
    ctx.out << QString::number(total).rightJustified(12) << " "
            << QString::number(packed).rightJustified(12) << "  " << entries.size() << " entries\n";
    return 0;
}

int test(CliContext& ctx, ZipComponent& zip, const QStringList& args)
{
    if (args.size() != 1)
        return -1;
    zip.setArchiveName(args.first());
    const int rc = zip.test();
    if (rc != kZipSuccess)
        return failed(ctx, "test", rc);
    ctx.out << args.first() << ": every entry is sound\n";
    return 0;
}

int extract(CliContext& ctx, ZipComponent& zip, QStringList args)
{
    if (args.size() < 2)
        return -1;
    zip.setArchiveName(args.takeFirst());
    zip.setDestination(args.takeFirst());
    // Everything keeps its stored path; named entries are written from where the name matched.
    zip.setPathMode(args.isEmpty() ? PathMode::FullPath : PathMode::FromMatch);
    zip.setFilesToProcess(args.join(QLatin1Char('\r')));
    const int rc = zip.unzip();
    if (rc != kZipSuccess)
        return failed(ctx, "extract", rc);
    return 0;
}

} // namespace

int runArchive(CliContext& ctx)
{
    QStringList args = ctx.args;
    QString prefix;
    const bool hasPrefix = takeOption(args, QStringLiteral("--prefix"), &prefix);
    if (takeFlag(args, QStringLiteral("--demo"))) {
        // The demo environment that "env --demo" makes on first use.
        prefix = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                 QStringLiteral("/Korvane/demo-prefix");
        if (!platform::posix::WinePrefix(prefix).looksValid()) {
            ctx.err << "kv2000-cli: archive: no demo environment yet; make it with "
                       "kv2000-cli env --demo\n";
            return 2;
        }
    } else if (!hasPrefix) {
        prefix = platform::posix::WinePrefix::defaultFolder();
    }
    const bool verbose = takeFlag(args, QStringLiteral("-v"));
    if (!platform::posix::WinePrefix(prefix).looksValid()) {
        ctx.err << "kv2000-cli: archive: no Windows environment at " << prefix << "\n";
        return 2;
    }
    std::unique_ptr<platform::posix::PosixPlatform> host =
        platform::posix::PosixPlatform::forPrefix(prefix);
    TerminalListener listener(ctx.out, ctx.err, verbose);
    ZipComponent zip(host->services().files, &listener);

    const QString sub = args.isEmpty() ? QString() : args.takeFirst();
    int rc = -1;
    if (sub == QLatin1String("create"))
        rc = create(ctx, zip, args);
    else if (sub == QLatin1String("list"))
        rc = list(ctx, zip, args);
    else if (sub == QLatin1String("test"))
        rc = test(ctx, zip, args);
    else if (sub == QLatin1String("extract"))
        rc = extract(ctx, zip, args);
    if (rc < 0) {
        ctx.err
            << "usage: kv2000-cli archive [--prefix DIR | --demo] [-v] create OUT.eaz [--temp DIR] "
               "[--span DRIVE] [--level 0-3] FILE...\n"
               "       kv2000-cli archive [--prefix DIR] list|test X.eaz\n"
               "       kv2000-cli archive [--prefix DIR] [-v] extract X.eaz DESTDIR "
               "[NAME|PATTERN...]\n";
        return 2;
    }
    return rc;
}

} // namespace kv::cli
