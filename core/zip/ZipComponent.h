#pragma once

#include "platform/IFileSystem.h"
#include "zip/ChunkDeflater.h"
#include "zip/ZipNames.h"
#include "zip/ZipRecords.h"
#include "zip/ZipTypes.h"

#include <QList>
#include <QString>

#include <atomic>
#include <vector>

namespace kv::zip {

class ZipListener;
class ZipReader;
class ZipSink;

// The program's zip component: properties, three operations and four events. The program has
// always addressed them by dispatch id; the ids map onto the members as follows.
//
//   property  1  cancel                 setCancel()
//   property  3  clear disks            setClearDisks()
//   property  4  destination folder     setDestination()
//   property 10  spanning allowed       setSpanning()
//   property 11  extracted path form    setPathMode()    (PathMode; default FileNameOnly)
//   property 13  build in a temp file   setUseTempFile() (default true)
//   property 15  temporary folder       setTempFolder()
//   property 18  archive name           setArchiveName()
//   property 21  files to process       setFilesToProcess()
//   method   47  zip                    zip()
//   method   48  unzip                  unzip()
//   method   45  test                   test()
//   events       skipping, adding, extracting, insert disk: ZipListener
//
// Operations run on the calling thread (compression uses every core underneath) and call the
// listener on that thread. Only setCancel() may be called from another thread while one runs.
class ZipComponent
{
public:
    explicit ZipComponent(platform::IFileSystem& fs, ZipListener* listener = nullptr);
    ~ZipComponent();

    void setListener(ZipListener* listener) { m_listener = listener; }

    void setCancel(bool cancel) { m_cancel = cancel; }
    bool cancel() const { return m_cancel; }
    void setClearDisks(bool clear) { m_clearDisks = clear; }
    bool clearDisks() const { return m_clearDisks; }
    void setDestination(const QString& folder) { m_destination = folder; }
    const QString& destination() const { return m_destination; }
    void setSpanning(bool spanning) { m_spanning = spanning; }
    bool spanning() const { return m_spanning; }
    void setPathMode(PathMode mode) { m_pathMode = mode; }
    PathMode pathMode() const { return m_pathMode; }
    void setUseTempFile(bool use) { m_useTempFile = use; }
    bool useTempFile() const { return m_useTempFile; }
    void setTempFolder(const QString& folder) { m_tempFolder = folder; }
    const QString& tempFolder() const { return m_tempFolder; }
    void setArchiveName(const QString& path) { m_archiveName = path; }
    const QString& archiveName() const { return m_archiveName; }
    void setFilesToProcess(const QString& list) { m_files = list; }
    const QString& filesToProcess() const { return m_files; }

    // ISA-L level (0..3) and threads (0: one per core) for compression.
    void setCompression(int level, int threads)
    {
        m_level = level;
        m_threads = threads;
    }

    int zip(int unused = 0);
    int unzip(int unused = 0);
    int test();
    // The entries of the archive, for listings.
    int list(QList<CentralEntry>* entries);

private:
    int writeArchive(ZipSink& sink, const QList<FileToAdd>& files, bool* skipped);
    int spanFromTemp(const QString& tempPath);
    int readEntries(bool extracting);
    std::vector<int> testInParallel(const QList<CentralEntry>& entries,
                                    const QList<qsizetype>& order);
    int extractOne(ZipReader& reader, const CentralEntry& e, const QString& target);
    QString tempPathFor(const QString& folder) const;
    bool replaceFile(const QString& from, const QString& to, int* rc);
    void skip(const QString& name, SkipReason reason);

    platform::IFileSystem& m_fs;
    ZipListener* m_listener;
    std::atomic<bool> m_cancel{false};
    bool m_clearDisks = false;
    QString m_destination;
    bool m_spanning = false;
    PathMode m_pathMode = PathMode::FileNameOnly;
    bool m_useTempFile = true;
    QString m_tempFolder;
    QString m_archiveName;
    QString m_files;
    int m_level = ChunkDeflater::kDefaultLevel;
    int m_threads = 0;
};

} // namespace kv::zip
