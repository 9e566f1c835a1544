#pragma once

#include <QIODevice>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <memory>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// The run log "~temp.log" in the program folder: one line per event, CR LF, ANSI. It becomes
// the identity's last-backup (or last-restore) log when the run ends. Lines may come from the
// thread that zips while the caller's thread writes too, so every write holds a lock.
class RunLog
{
public:
    explicit RunLog(platform::IFileSystem& files);
    ~RunLog();

    static QString tempPath(const QString& programFolder);

    // Deletes an old file of the name and opens a new one. False when it cannot be created
    // (the run goes on without a log, as it always did).
    bool open(const QString& path);
    bool isOpen() const;
    void write(const QString& line);
    void write(const QStringList& lines);
    void close();
    // Closes the log and gives it its final name, replacing a file of that name.
    bool closeAndRename(const QString& finalPath);

    // Everything written so far, for tests and the command line.
    QStringList lines() const;

private:
    platform::IFileSystem& m_files;
    mutable QMutex m_mutex;
    std::unique_ptr<QIODevice> m_out;
    QString m_path;
    QStringList m_lines;
};

} // namespace kv
