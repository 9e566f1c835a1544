// kv2000-cli archive: the zip component on files of a Windows environment.
#include "CliCommand.h"
#include "Environment.h"

#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "grid/TreeListModel.h"
#include "restore/ItemListReader.h"
#include "restore/RestoreContext.h"
#include "shell/MainState.h"
#include "zip/ZipComponent.h"
#include "zip/ZipListener.h"

#include <QCoreApplication>

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

ExitCode failed(CliContext& ctx, const char* what, int code)
{
    ctx.err << "kv2000-cli: archive " << what << ": result " << code << " (" << resultText(code)
            << ")\n";
    return ExitCode::Failed;
}

ExitCode create(CliContext& ctx, ZipComponent& zip, QStringList args)
{
    if (ctx.isSet("level"))
        zip.setCompression(ctx.value("level").toInt(), 0);
    QString archive = args.takeFirst();
    const QString temp = ctx.value("temp");
    if (ctx.isSet("span")) {
        // The archive goes to the root of the removable drive, spread over as many disks as it
        // needs; it is built in the temporary folder first only when one was named.
        archive = ctx.value("span").left(1) + QStringLiteral(":\\") +
                  archive.mid(archive.lastIndexOf(QLatin1Char('\\')) + 1);
        zip.setSpanning(true);
        zip.setUseTempFile(!temp.isEmpty());
    }
    zip.setArchiveName(archive);
    zip.setTempFolder(temp);
    zip.setFilesToProcess(args.join(QLatin1Char('\r')));
    const int rc = zip.zip();
    if (rc != kZipSuccess)
        return failed(ctx, "create", rc);
    ctx.out << "created " << archive << "\n";
    return ExitCode::Ok;
}

ExitCode list(CliContext& ctx, ZipComponent& zip, QStringList args)
{
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
    return ExitCode::Ok;
}

ExitCode test(CliContext& ctx, ZipComponent& zip, QStringList args)
{
    zip.setArchiveName(args.first());
    const int rc = zip.test();
    if (rc != kZipSuccess)
        return failed(ctx, "test", rc);
    ctx.out << args.first() << ": every entry is sound\n";
    return ExitCode::Ok;
}

ExitCode extract(CliContext& ctx, ZipComponent& zip, QStringList args)
{
    zip.setArchiveName(args.takeFirst());
    zip.setDestination(args.takeFirst());
    // Everything keeps its stored path; named entries are written from where the name matched.
    zip.setPathMode(args.isEmpty() ? PathMode::FullPath : PathMode::FromMatch);
    zip.setFilesToProcess(args.join(QLatin1Char('\r')));
    const int rc = zip.unzip();
    if (rc != kZipSuccess)
        return failed(ctx, "extract", rc);
    return ExitCode::Ok;
}

// The item list is taken out into a folder of its own under the environment's temporary
// folder, read, and removed again with the folder.
bool readItemList(CliContext& ctx, ZipComponent& zip, const platform::Platform& host,
                  const QString& archive, QByteArray* bytes)
{
    const QString folder = host.system.tempPath() + QStringLiteral("kv-items-") +
                           QString::number(QCoreApplication::applicationPid());
    const QString file = folder + QStringLiteral("\\") + QLatin1String(ItemList::kFileName);
    if (!host.files.makeSurePath(folder + QStringLiteral("\\"))) {
        ctx.err << "kv2000-cli: archive items: cannot make " << folder << "\n";
        return false;
    }
    zip.setArchiveName(archive);
    zip.setDestination(folder);
    zip.setFilesToProcess(QLatin1String(ItemList::kFileName));
    const int rc = zip.unzip();
    std::unique_ptr<QIODevice> in = host.files.open(file, QIODevice::ReadOnly);
    // Results below 60 are the component's ways of succeeding; a missing entry shows as no file.
    const bool ok = rc < 60 && in;
    if (ok) {
        *bytes = in->read(ItemListReader::kMaxBytes + 1);
        in.reset();
    } else if (rc >= 60) {
        failed(ctx, "items", rc);
    } else {
        ctx.err << "kv2000-cli: archive items: " << archive << " holds no item list\n";
    }
    host.files.removeFile(file);
    host.files.removeDirectory(folder);
    return ok;
}

// The rows as the restore page shows them: row, level, kind, check state, text, count and the
// item's file name in the archive. The numbers are those the restore command takes.
ExitCode items(CliContext& ctx, ZipComponent& zip, platform::Platform host, QStringList args)
{
    QByteArray bytes;
    if (!readItemList(ctx, zip, host, args.first(), &bytes))
        return ExitCode::ArchiveUnreadable;
    TreeListModel grid;
    MainState listing;
    listing.oe5Mode = true;
    const ItemListReader::Result read =
        ItemListReader::fill(bytes, itemListOptionsFor(restoreContextFor(host, listing)), grid);
    if (!read.ok) {
        ctx.err << "kv2000-cli: archive items: the item list cannot be read\n";
        return ExitCode::ArchiveUnreadable;
    }
    ctx.out << ItemListReader::windowCaption(read, false) << "\n"
            << "identity: " << read.identityId << "\n"
            << "layout: " << (read.currentLayout ? "current" : "old") << "\n";
    for (int row = 0; row < grid.totalRowCount(); ++row)
        ctx.out << row << '\t' << grid.level(row) << '\t' << grid.cell(row, cell::Type) << '\t'
                << grid.checkState(row) << '\t' << grid.text(row) << '\t'
                << grid.cell(row, cell::Counts) << '\t' << grid.cell(row, cell::MbxName) << "\n";
    if (read.linesSkipped > 0)
        ctx.err << read.linesSkipped << " damaged lines left out\n";
    return ExitCode::Ok;
}

using Action = ExitCode (*)(CliContext&, ZipComponent&, QStringList);

// The actions with the arguments they need after their name (-1: no upper limit).
const struct
{
    const char* name;
    qsizetype minArgs;
    qsizetype maxArgs;
    const char* needs;
    Action run;
} kActions[] = {
    {"create", 2, -1, "OUT.eaz and at least one FILE", create},
    {"list", 1, 1, "one ARCHIVE", list},
    {"test", 1, 1, "one ARCHIVE", test},
    {"extract", 2, -1, "ARCHIVE and DESTDIR", extract},
    {"items", 1, 1, "one ARCHIVE", nullptr},
};

const CliOption kOptions[] = {
    kPrefixOption,
    kDemoOption,
    {"v", nullptr, "name each file as it is added or extracted"},
    {"temp", "DIR", "create: build the archive in this folder first"},
    {"span", "DRIVE", "create: spread the archive over disks in this removable drive"},
    {"level", "0-3", "create: the compression level (default 2)"},
};

ExitCode runArchive(CliContext& ctx)
{
    QStringList args = ctx.args;
    const QString name = args.isEmpty() ? QString() : args.takeFirst();
    const auto action = std::find_if(std::begin(kActions), std::end(kActions),
                                     [&](const auto& a) { return name == QLatin1String(a.name); });
    if (action == std::end(kActions))
        return ctx.usageError(name.isEmpty()
                                  ? QStringLiteral("expected create, list, test, extract or items")
                                  : QStringLiteral("unknown action '%1'").arg(name));
    if (args.size() < action->minArgs || (action->maxArgs >= 0 && args.size() > action->maxArgs))
        return ctx.usageError(
            QStringLiteral("%1 takes %2").arg(name, QLatin1String(action->needs)));
    if (name != QLatin1String("create") &&
        (ctx.isSet("temp") || ctx.isSet("span") || ctx.isSet("level")))
        return ctx.usageError(QStringLiteral("--temp, --span and --level go with create"));
    bool levelOk = true;
    const int level = ctx.value("level").toInt(&levelOk);
    if (ctx.isSet("level") && (!levelOk || level < 0 || level > 3))
        return ctx.usageError(QStringLiteral("--level takes 0, 1, 2 or 3"));

    ExitCode code = ExitCode::Ok;
    const auto host = openEnvironment(ctx, &code);
    if (!host)
        return code;
    TerminalListener listener(ctx.out, ctx.err, ctx.isSet("v"));
    ZipComponent zip(host->services().files, &listener);
    if (!action->run)
        return items(ctx, zip, host->services(), args);
    return action->run(ctx, zip, args);
}

} // namespace

const CliCommand kArchiveCommand{
    "archive",
    "[--prefix DIR | --demo] [-v] create OUT.eaz [--temp DIR] [--span DRIVE] [--level 0-3] "
    "FILE...\n"
    "[--prefix DIR | --demo] list|test ARCHIVE\n"
    "[--prefix DIR | --demo] [-v] extract ARCHIVE DESTDIR [NAME|PATTERN...]\n"
    "[--prefix DIR | --demo] items ARCHIVE",
    "create, list, test or extract a zip archive, or show the items of a backup (Windows paths on "
    "the prefix's drives)",
    kOptions, runArchive};

} // namespace kv::cli
