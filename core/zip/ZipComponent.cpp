#include "zip/ZipComponent.h"

#include "zip/ChunkDeflater.h"
#include "zip/ZipListener.h"
#include "zip/ZipLog.h"
#include "zip/ZipNames.h"
#include "zip/ZipReader.h"
#include "zip/ZipSink.h"
#include "zip/ZipSource.h"
#include "zip/ZipWriter.h"

#include <QFileDevice>
#include <QRandomGenerator>

#include <algorithm>
#include <thread>
#include <vector>

namespace kv::zip {

Q_LOGGING_CATEGORY(lcZip, "kv.zip")

namespace {

QString folderOf(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('\\'));
    return slash < 0 ? QString() : path.left(slash);
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString joinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('\\') + name;
}

// What a read status means for the operation: 0, a code that ends it, or a negated skip reason.
int statusCode(ZipReader::Status status, int sourceError)
{
    switch (status) {
    case ZipReader::Status::Ok:
        return kZipSuccess;
    case ZipReader::Status::BadCrc:
        return -int(SkipReason::BadCrc);
    case ZipReader::Status::UnknownMethod:
        return -int(SkipReason::UnknownMethod);
    case ZipReader::Status::Encrypted:
        return -int(SkipReason::BadPassword);
    case ZipReader::Status::Cancelled:
        return kZipCancelled;
    case ZipReader::Status::WriteFailed:
        return kZipDiskFull;
    case ZipReader::Status::SourceFailed:
        return sourceError == kZipCancelled ? kZipCancelled : -int(SkipReason::Corrupted);
    case ZipReader::Status::Corrupted:
        break;
    }
    return -int(SkipReason::Corrupted);
}

} // namespace

ZipComponent::ZipComponent(platform::IFileSystem& fs, ZipListener* listener)
    : m_fs(fs), m_listener(listener)
{
}

ZipComponent::~ZipComponent() = default;

void ZipComponent::skip(const QString& name, SkipReason reason)
{
    qCInfo(lcZip) << "skipping" << name << "reason" << int(reason);
    if (m_listener)
        m_listener->skippingFile(name, reason);
}

QString ZipComponent::tempPathFor(const QString& folder) const
{
    const QString name = QStringLiteral("~kvz%1.tmp")
                             .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
    return joinPath(folder, name);
}

// Puts "from" in the place of "to" so that "to" is never missing or partial: the new file is
// first brought beside it, the old one is moved aside and only removed once the new one is in.
bool ZipComponent::replaceFile(const QString& from, const QString& to, int* rc)
{
    const QString sibling = to + QStringLiteral(".~kvnew");
    const QString aside = to + QStringLiteral(".~kvold");
    m_fs.removeFile(sibling);
    if (!m_fs.moveFile(from, sibling)) {
        if (!m_fs.copyFile(from, sibling, false)) {
            const platform::WinError error = m_fs.lastError();
            qCWarning(lcZip) << "cannot bring" << from << "beside" << to << error;
            m_fs.removeFile(sibling);
            *rc = error == platform::kErrorDiskFull || error == platform::kErrorHandleDiskFull
                      ? kZipDiskFull
                      : kZipCannotCreate;
            return false;
        }
        m_fs.removeFile(from);
    }
    platform::FileEntry existing;
    const bool hadOld = m_fs.stat(to, &existing);
    if (hadOld) {
        m_fs.removeFile(aside);
        if (!m_fs.moveFile(to, aside)) {
            qCWarning(lcZip) << "cannot move aside" << to << m_fs.lastError();
            m_fs.removeFile(sibling);
            *rc = kZipCannotCreate;
            return false;
        }
    }
    if (!m_fs.moveFile(sibling, to)) {
        qCWarning(lcZip) << "cannot rename" << sibling << "to" << to << m_fs.lastError();
        if (hadOld)
            m_fs.moveFile(aside, to);
        m_fs.removeFile(sibling);
        *rc = kZipCannotCreate;
        return false;
    }
    if (hadOld)
        m_fs.removeFile(aside);
    return true;
}

int ZipComponent::writeArchive(ZipSink& sink, const QList<FileToAdd>& files, bool* skipped)
{
    ChunkDeflater deflater(m_threads, m_level);
    ZipWriter writer(sink, deflater, m_cancel);
    for (const FileToAdd& f : files) {
        if (m_cancel)
            return kZipCancelled;
        if (m_listener)
            m_listener->addingFile(f.path, f.info.size);
        if (m_cancel)
            return kZipCancelled;
        std::unique_ptr<QIODevice> in = m_fs.open(f.path, QIODevice::ReadOnly);
        if (!in) {
            qCWarning(lcZip) << "cannot open" << f.path << "error" << m_fs.lastError();
            skip(f.path, SkipReason::CannotOpen);
            *skipped = true;
            continue;
        }
        const int rc =
            writer.addFile(f.entryName, *in, f.info.size, f.info.modified, f.info.attributes);
        if (rc == ZipWriter::kReadFailed) {
            skip(f.path, SkipReason::CannotOpen);
            *skipped = true;
            continue;
        }
        if (rc != kZipSuccess)
            return rc;
    }
    if (writer.entries().isEmpty())
        return kZipFilesSkipped;
    return writer.finish();
}

int ZipComponent::zip(int)
{
    m_cancel = false;
    if (m_archiveName.isEmpty() || splitFileList(m_files).isEmpty()) {
        qCWarning(lcZip) << "zip: no archive name or no files";
        return kZipBadArguments;
    }
    bool skipped = false;
    QList<FileToAdd> files = expandFiles(m_fs, splitFileList(m_files), [&](const QString& p) {
        skip(p, SkipReason::FileNotFound);
        skipped = true;
    });
    const bool span =
        m_spanning && m_fs.driveType(m_archiveName.left(3)) == platform::DriveType::Removable;
    const QString workFolder = m_tempFolder.isEmpty() ? folderOf(m_archiveName) : m_tempFolder;
    // A set for removable disks is only built first when there is a temporary folder to build
    // it in; beside the archive would be on the first disk itself.
    const bool viaTemp = m_useTempFile && !(span && m_tempFolder.isEmpty());
    const QString tempPath = viaTemp ? tempPathFor(workFolder) : QString();
    if (viaTemp)
        m_fs.makeSurePath(workFolder + QLatin1Char('\\'));
    // The archive being written never goes into itself.
    files.removeIf([&](const FileToAdd& f) {
        return f.path.compare(m_archiveName, Qt::CaseInsensitive) == 0 ||
               f.path.compare(tempPath, Qt::CaseInsensitive) == 0;
    });
    if (files.isEmpty())
        return skipped ? kZipFilesSkipped : kZipNothingToDo;

    int rc = kZipSuccess;
    if (span && !viaTemp) {
        SpanSink sink(m_fs, m_archiveName, m_listener, m_cancel, m_clearDisks);
        rc = sink.open() ? writeArchive(sink, files, &skipped) : sink.error();
        if (rc != kZipSuccess)
            sink.abort(); // also when every file was skipped: no set without entries
    } else {
        FileSink sink(m_fs, viaTemp ? tempPath : m_archiveName);
        if (!sink.open())
            return sink.error();
        rc = writeArchive(sink, files, &skipped);
        if (rc == kZipFilesSkipped && skipped && !m_cancel) {
            // Every file was skipped: there is no archive to keep.
            sink.abort();
            return kZipFilesSkipped;
        }
        if (rc != kZipSuccess) {
            sink.abort();
        } else if (span) {
            rc = spanFromTemp(tempPath);
            m_fs.removeFile(tempPath);
        } else if (viaTemp && !replaceFile(tempPath, m_archiveName, &rc)) {
            m_fs.removeFile(tempPath);
        }
    }
    if (rc != kZipSuccess)
        qCWarning(lcZip) << "zip of" << m_archiveName << "failed:" << rc << resultText(rc);
    if (rc == kZipSuccess && skipped)
        return kZipFilesSkipped;
    return rc;
}

// Writes an archive built in a temporary file onto removable disks, disk by disk.
int ZipComponent::spanFromTemp(const QString& tempPath)
{
    ZipSource source(m_fs, tempPath, nullptr, m_cancel, false);
    ZipReader reader(source);
    if (const int rc = reader.open())
        return rc == kZipCancelled ? rc : kZipInternalError;
    SpanSink sink(m_fs, m_archiveName, m_listener, m_cancel, m_clearDisks);
    if (!sink.open())
        return sink.error();
    ChunkDeflater deflater(1, m_level);
    ZipWriter writer(sink, deflater, m_cancel);
    for (const CentralEntry& e : reader.entries()) {
        const int rc = writer.addRaw(e, [&](const ZipWriter::RawWrite& write) {
            return reader.readRaw(e, write, m_cancel) == ZipReader::Status::Ok;
        });
        if (rc != kZipSuccess) {
            sink.abort();
            return rc;
        }
    }
    const int rc = writer.finish();
    if (rc != kZipSuccess)
        sink.abort();
    return rc;
}

int ZipComponent::list(QList<CentralEntry>* entries)
{
    m_cancel = false;
    if (m_archiveName.isEmpty())
        return kZipBadArguments;
    ZipSource source(m_fs, m_archiveName, m_listener, m_cancel, m_spanning);
    ZipReader reader(source);
    if (const int rc = reader.open())
        return rc;
    *entries = reader.entries();
    return kZipSuccess;
}

int ZipComponent::unzip(int)
{
    m_cancel = false;
    if (m_archiveName.isEmpty() || m_destination.isEmpty()) {
        qCWarning(lcZip) << "unzip: no archive name or no destination";
        return kZipBadArguments;
    }
    return readEntries(true);
}

int ZipComponent::test()
{
    m_cancel = false;
    if (m_archiveName.isEmpty())
        return kZipBadArguments;
    return readEntries(false);
}

int ZipComponent::readEntries(bool extracting)
{
    ZipSource source(m_fs, m_archiveName, m_listener, m_cancel, m_spanning);
    ZipReader reader(source);
    if (const int rc = reader.open()) {
        qCWarning(lcZip) << "cannot read" << m_archiveName << rc << resultText(rc);
        return rc;
    }

    struct Selected
    {
        qsizetype index;
        QString matched;
    };
    const QStringList patterns = extracting ? splitFileList(m_files) : QStringList();
    QList<bool> used(patterns.size(), false);
    QList<Selected> selected;
    const QList<CentralEntry>& entries = reader.entries();
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (patterns.isEmpty()) {
            selected.append({i, entries[i].name});
            continue;
        }
        for (qsizetype k = 0; k < patterns.size(); ++k) {
            if (std::optional<QString> m = matchEntry(entries[i].name, patterns[k])) {
                used[k] = true;
                selected.append({i, *m});
                break;
            }
        }
    }
    bool skipped = false;
    for (qsizetype k = 0; k < patterns.size(); ++k) {
        const QString& p = patterns[k];
        if (!used[k] && !p.contains(QLatin1Char('*')) && !p.contains(QLatin1Char('?'))) {
            skip(p, SkipReason::FileNotFound);
            skipped = true;
        }
    }
    if (selected.isEmpty())
        return skipped ? kZipFilesSkipped : kZipNothingToDo;
    // Disk order, so that each disk of a set is asked for once.
    std::stable_sort(selected.begin(), selected.end(), [&](const Selected& a, const Selected& b) {
        const CentralEntry& x = entries[a.index];
        const CentralEntry& y = entries[b.index];
        return std::pair(x.disk, x.localOffset) < std::pair(y.disk, y.localOffset);
    });

    std::vector<int> tested;
    if (!extracting && source.lastDisk() == 0) {
        QList<qsizetype> order;
        for (const Selected& s : selected)
            order.append(s.index);
        tested = testInParallel(entries, order);
    }

    for (qsizetype pos = 0; pos < selected.size(); ++pos) {
        const Selected& s = selected[pos];
        if (m_cancel)
            return kZipCancelled;
        const CentralEntry& e = entries[s.index];
        if (isHostileName(e.name)) {
            qCWarning(lcZip) << "entry name reaches outside the destination:" << e.name;
            skip(e.name, SkipReason::Corrupted);
            skipped = true;
            continue;
        }
        int rc = kZipSuccess;
        if (e.isDirectory()) {
            if (extracting && m_pathMode != PathMode::FileNameOnly) {
                const QString rel =
                    safeRelativeName(m_pathMode == PathMode::FullPath ? e.name : s.matched);
                if (!rel.isEmpty())
                    m_fs.makeSurePath(joinPath(m_destination, rel) + QLatin1Char('\\'));
            }
            continue;
        }
        if (extracting) {
            const QString shown = m_pathMode == PathMode::FullPath       ? e.name
                                  : m_pathMode == PathMode::FileNameOnly ? fileNameOf(e.name)
                                                                         : s.matched;
            QString destName = shown;
            if (m_listener)
                m_listener->extractingFile(shown, destName);
            if (m_cancel)
                return kZipCancelled;
            const QString rel = safeRelativeName(destName);
            if (rel.isEmpty()) {
                qCWarning(lcZip) << "destination name reaches outside the destination:" << destName;
                skip(e.name, SkipReason::Corrupted);
                skipped = true;
                continue;
            }
            rc = extractOne(reader, e, joinPath(m_destination, rel));
        } else {
            rc = tested.empty() ? statusCode(reader.extract(e, nullptr, m_cancel), source.error())
                                : tested[size_t(pos)];
        }
        if (rc < 0) {
            skip(e.name, SkipReason(-rc));
            skipped = true;
        } else if (rc != kZipSuccess) {
            return rc;
        }
    }
    return skipped ? kZipFilesSkipped : kZipSuccess;
}

// Tests the entries of a one-disk archive on every core, each thread with its own handle on the
// archive, the largest entries first. Returns a code per entry of order (as statusCode gives
// it), or nothing when the work is not worth threads; events stay with the caller's thread.
std::vector<int> ZipComponent::testInParallel(const QList<CentralEntry>& entries,
                                              const QList<qsizetype>& order)
{
    const int threads =
        m_threads > 0 ? m_threads : int(std::max(1u, std::thread::hardware_concurrency()));
    if (threads < 2 || order.size() < 2)
        return {};
    std::vector<std::unique_ptr<ZipSource>> sources;
    for (int k = 0; k < std::min<qsizetype>(threads, order.size()); ++k) {
        auto source = std::make_unique<ZipSource>(m_fs, m_archiveName, nullptr, m_cancel, false);
        EndRecord end;
        if (!source->open(&end))
            break;
        sources.push_back(std::move(source));
    }
    if (sources.size() < 2)
        return {};
    std::vector<qsizetype> work(size_t(order.size()));
    for (size_t i = 0; i < work.size(); ++i)
        work[i] = qsizetype(i);
    std::stable_sort(work.begin(), work.end(), [&](qsizetype a, qsizetype b) {
        return entries[order[a]].compressedSize > entries[order[b]].compressedSize;
    });
    std::vector<int> codes(work.size(), kZipSuccess);
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    for (const std::unique_ptr<ZipSource>& source : sources) {
        workers.emplace_back([&, src = source.get()] {
            ZipReader reader(*src);
            for (size_t k = next++; k < work.size(); k = next++) {
                const size_t i = size_t(work[k]);
                codes[i] = statusCode(
                    reader.extract(entries[order[qsizetype(i)]], nullptr, m_cancel), src->error());
            }
        });
    }
    for (std::thread& t : workers)
        t.join();
    return codes;
}

// Extracts one entry under a temporary name beside its target, and gives it the target's name
// only once its data checked out: a bad entry never replaces a good file. Returns 0, a ZipResult
// code that ends the operation, or a negated skip reason.
int ZipComponent::extractOne(ZipReader& reader, const CentralEntry& e, const QString& target)
{
    const QString folder = folderOf(target);
    if (!m_fs.makeSurePath(folder + QLatin1Char('\\'))) {
        qCWarning(lcZip) << "cannot create folder" << folder << m_fs.lastError();
        return -int(SkipReason::CannotOpen);
    }
    const QString temp = tempPathFor(folder);
    std::unique_ptr<QIODevice> out = m_fs.open(temp, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!out) {
        qCWarning(lcZip) << "cannot create" << temp << m_fs.lastError();
        return -int(SkipReason::CannotOpen);
    }
    ZipReader::Status status = reader.extract(e, out.get(), m_cancel);
    if (status == ZipReader::Status::Ok) {
        if (auto* file = qobject_cast<QFileDevice*>(out.get()); file && !file->flush())
            status = ZipReader::Status::WriteFailed;
    }
    out->close();
    out.reset();
    if (status != ZipReader::Status::Ok) {
        m_fs.removeFile(temp);
        if (status == ZipReader::Status::WriteFailed)
            qCWarning(lcZip) << "write failed for" << target << m_fs.lastError();
        return statusCode(status, kZipSuccess);
    }
    if (m_listener && !m_listener->replacingFile(target)) {
        qCInfo(lcZip) << "the existing" << target << "is kept; the entry is skipped";
        m_fs.removeFile(temp);
        return -int(SkipReason::CannotOpen);
    }
    int rc = kZipSuccess;
    if (!replaceFile(temp, target, &rc)) {
        m_fs.removeFile(temp);
        return rc == kZipDiskFull ? rc : -int(SkipReason::CannotOpen);
    }
    const QDateTime stamp = fromDosDateTime(e.dosDateTime);
    if (stamp.isValid())
        m_fs.setModified(target, stamp.toUTC());
    return kZipSuccess;
}

} // namespace kv::zip
