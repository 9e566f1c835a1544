#pragma once

#include <QString>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// A folder of our own made fresh below another one (the system's temporary folder) and removed
// with everything in it when this object goes. Fresh, so that nothing an earlier run left there
// is ever read as if this run had written it.
class ScratchFolder
{
public:
    // stem: the start of the folder's name; the process id and a counter follow it.
    ScratchFolder(platform::IFileSystem& files, QString stem);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Makes the folder below parent (a Windows path); false when none can be made.
    bool make(const QString& parent);
    // With one trailing "\"; "" until made.
    const QString& path() const { return m_path; }

private:
    platform::IFileSystem& m_files;
    QString m_stem;
    QString m_path;
};

} // namespace kv
