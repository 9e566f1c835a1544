#include "support/FaultInjectingFileSystem.h"

namespace kv::test {

using namespace kv::platform;

bool FaultInjectingFileSystem::pass(FileCall call, const QString& path)
{
    static const QStringList names =
        QStringLiteral("open stat find createDirectory makeSurePath removeFile removeDirectory "
                       "moveFile copyFile "
                       "setModified moveToRecycleBin diskSpace volumeInformation")
            .split(u' ');
    m_calls.append(names.at(int(call)) + u' ' + path);
    m_injected = m_faults.value({int(call), path.toLower()}, kErrorSuccess);
    return m_injected == kErrorSuccess;
}

bool FaultInjectingFileSystem::writeFile(const QString& windowsPath, const QByteArray& bytes)
{
    m_fs.makeSurePath(windowsPath);
    auto device = m_fs.open(windowsPath, QIODevice::WriteOnly | QIODevice::Truncate);
    return device && device->write(bytes) == bytes.size();
}

QByteArray FaultInjectingFileSystem::readFile(const QString& windowsPath)
{
    auto device = m_fs.open(windowsPath, QIODevice::ReadOnly);
    return device ? device->readAll() : QByteArray();
}

bool FaultInjectingFileSystem::diskSpace(const QString& root, DiskSpace* out)
{
    if (!pass(FileCall::DiskSpace, root))
        return false;
    const auto it = m_diskSpace.constFind(root.isEmpty() ? QChar() : root.at(0).toUpper());
    if (it == m_diskSpace.constEnd())
        return m_fs.diskSpace(root, out);
    *out = *it;
    return true;
}

} // namespace kv::test
