#include "support/FaultInjectingFileSystem.h"

namespace kv::test {

using namespace kv::platform;

namespace {

const char* const kCallNames[] = {
    "open",
    "stat",
    "find",
    "createDirectory",
    "makeSurePath",
    "removeFile",
    "removeDirectory",
    "moveFile",
    "copyFile",
    "setModified",
    "moveToRecycleBin",
    "diskSpace",
    "volumeInformation",
};

QString faultKey(FileCall call, const QString& path)
{
    return QLatin1String(kCallNames[int(call)]) + u'|' + path.toLower();
}

} // namespace

FaultInjectingFileSystem::FaultInjectingFileSystem(const QString& folder, FakeRegistry* registry)
    : m_prefix(folder, registry), m_files(m_prefix.prefix(), m_prefix.registry())
{
}

void FaultInjectingFileSystem::failOn(FileCall call, const QString& windowsPath, WinError error)
{
    m_faults.insert(faultKey(call, windowsPath), error);
}

void FaultInjectingFileSystem::setDiskSpace(quint64 freeBytes, quint64 totalBytes, QChar letter)
{
    m_diskSpace.insert(letter.toUpper(), DiskSpace{freeBytes, totalBytes});
}

bool FaultInjectingFileSystem::pass(FileCall call, const QString& path)
{
    m_calls.append(QLatin1String(kCallNames[int(call)]) + u' ' + path);
    m_injected = m_faults.value(faultKey(call, path), kErrorSuccess);
    return m_injected == kErrorSuccess;
}

WinError FaultInjectingFileSystem::lastError() const
{
    return m_injected != kErrorSuccess ? m_injected : m_files.lastError();
}

bool FaultInjectingFileSystem::writeFile(const QString& windowsPath, const QByteArray& bytes)
{
    m_files.makeSurePath(windowsPath);
    auto device = m_files.open(windowsPath, QIODevice::WriteOnly | QIODevice::Truncate);
    return device && device->write(bytes) == bytes.size();
}

QByteArray FaultInjectingFileSystem::readFile(const QString& windowsPath)
{
    auto device = m_files.open(windowsPath, QIODevice::ReadOnly);
    return device ? device->readAll() : QByteArray();
}

std::unique_ptr<QIODevice> FaultInjectingFileSystem::open(const QString& path,
                                                          QIODevice::OpenMode mode)
{
    return pass(FileCall::Open, path) ? m_files.open(path, mode) : nullptr;
}

bool FaultInjectingFileSystem::stat(const QString& path, FileEntry* out)
{
    return pass(FileCall::Stat, path) && m_files.stat(path, out);
}

QList<FileEntry> FaultInjectingFileSystem::find(const QString& pattern)
{
    return pass(FileCall::Find, pattern) ? m_files.find(pattern) : QList<FileEntry>();
}

bool FaultInjectingFileSystem::createDirectory(const QString& path)
{
    return pass(FileCall::CreateDirectory, path) && m_files.createDirectory(path);
}

bool FaultInjectingFileSystem::makeSurePath(const QString& path)
{
    return pass(FileCall::MakeSurePath, path) && m_files.makeSurePath(path);
}

bool FaultInjectingFileSystem::removeFile(const QString& path)
{
    return pass(FileCall::RemoveFile, path) && m_files.removeFile(path);
}

bool FaultInjectingFileSystem::removeDirectory(const QString& path)
{
    return pass(FileCall::RemoveDirectory, path) && m_files.removeDirectory(path);
}

bool FaultInjectingFileSystem::moveFile(const QString& from, const QString& to)
{
    return pass(FileCall::MoveFile, from) && m_files.moveFile(from, to);
}

bool FaultInjectingFileSystem::copyFile(const QString& from, const QString& to, bool failIfExists)
{
    return pass(FileCall::CopyFile, from) && m_files.copyFile(from, to, failIfExists);
}

bool FaultInjectingFileSystem::setModified(const QString& path, const QDateTime& utc)
{
    return pass(FileCall::SetModified, path) && m_files.setModified(path, utc);
}

bool FaultInjectingFileSystem::moveToRecycleBin(const QString& path)
{
    return pass(FileCall::MoveToRecycleBin, path) && m_files.moveToRecycleBin(path);
}

bool FaultInjectingFileSystem::diskSpace(const QString& root, DiskSpace* out)
{
    if (!pass(FileCall::DiskSpace, root))
        return false;
    const auto it = m_diskSpace.constFind(root.isEmpty() ? QChar() : root.at(0).toUpper());
    if (it == m_diskSpace.constEnd())
        return m_files.diskSpace(root, out);
    *out = *it;
    return true;
}

bool FaultInjectingFileSystem::volumeInformation(const QString& root, VolumeInfo* out)
{
    return pass(FileCall::VolumeInformation, root) && m_files.volumeInformation(root, out);
}

} // namespace kv::test
