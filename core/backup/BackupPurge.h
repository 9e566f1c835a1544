#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// Deletes surplus old archives after a successful backup: of the archives named
// "<base name>*.eaz" in the backup's folder, only the newest `keep` stay. The oldest go first;
// a file dated more than 100 days ahead is never taken for the oldest (a wrong clock on the
// machine that wrote it), and the archive just written is never deleted.
class BackupPurge
{
public:
    explicit BackupPurge(platform::IFileSystem& files) : m_files(files) {}

    // True when more archives than `keep` exist, i.e. purging has work to do.
    bool due(const QString& folder, const QString& baseName, int keep);
    // The deleted paths, oldest first.
    QStringList run(const QString& folder, const QString& baseName, int keep,
                    const QString& newArchive, const QDateTime& now);

private:
    platform::IFileSystem& m_files;
};

} // namespace kv
