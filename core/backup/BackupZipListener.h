#pragma once

#include "zip/ZipListener.h"

#include <QSet>
#include <QString>

#include <atomic>

namespace kv {

class BackupFileList;
class RunLog;
class RunProgress;
class Ui;

namespace zip {
class ZipComponent;
}

// The zip component's events during a backup: progress by item, the "Saved: " lines of the run
// log, a file that cannot be read (in use) and the next diskette. Runs on the zipping thread;
// everything it touches is either its own or safe to call from there.
class BackupZipListener : public zip::ZipListener
{
public:
    BackupZipListener(Ui& ui, RunProgress& progress, RunLog& log, const BackupFileList& files,
                      zip::ZipComponent& zip, std::atomic<bool>& cancel);

    // Events act for the zipping only; the test's events are the test's result.
    void setZipping(bool zipping) { m_zipping = zipping; }
    void setSelectedSize(qint64 bytes) { m_selectedSize = bytes; }
    // Where progress goes: the wizard page, or the quick-backup window once it is open.
    void setProgress(RunProgress& progress) { m_progress = &progress; }

    void skippingFile(const QString& name, zip::SkipReason reason) override;
    void addingFile(const QString& path, quint64 size) override;
    bool insertDisk(int diskNumber) override;

    int filesAdded() const { return m_files; }
    qint64 bytesDone() const { return m_bytesDone; }
    int filesInUse() const { return m_inUse; }

private:
    Ui& m_ui;
    RunProgress* m_progress;
    RunLog& m_log;
    const BackupFileList& m_list;
    zip::ZipComponent& m_zip;
    std::atomic<bool>& m_cancel;
    bool m_zipping = true;
    qint64 m_selectedSize = 0;
    qint64 m_bytesDone = 0;
    int m_files = 0;
    int m_inUse = 0;
    QSet<int> m_loggedRows; // items of many files (news, favourites) are logged once
};

} // namespace kv
