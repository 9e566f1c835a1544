#include "shell/PrivateIni.h"

#include "shell/ProfileFile.h"
#include "shell/ShellLog.h"

#include "platform/IFileSystem.h"

namespace kv {

using namespace kv::platform;

PrivateIni::PrivateIni(IFileSystem& files) : m_files(files) {}

void PrivateIni::setFileName(const QString& fileName)
{
    m_fileName = fileName.trimmed();
    updateReady();
}

void PrivateIni::setSectionName(const QString& sectionName)
{
    m_sectionName = sectionName.trimmed();
    updateReady();
}

bool PrivateIni::checkReady()
{
    m_errorCode = m_ready ? 0 : 1;
    if (!m_ready)
        qCWarning(lcShell) << "profile file used before its file and section were named";
    return m_ready;
}

void PrivateIni::clearEntry(const QString& key)
{
    if (!checkReady())
        return;
    ProfileFile::write(m_files, m_fileName, m_sectionName, key, std::nullopt);
}

void PrivateIni::deleteSection()
{
    if (!checkReady())
        return;
    ProfileFile::deleteSection(m_files, m_fileName, m_sectionName);
    m_sectionName.clear();
    m_ready = false;
}

QString PrivateIni::getString(const QString& key, const QString& defaultValue)
{
    if (!checkReady())
        return QString();
    std::optional<ProfileFile> profile = ProfileFile::load(m_files, m_fileName);
    if (!profile)
        return QString();
    return profile->getString(m_sectionName, key, defaultValue, kBufferChars);
}

bool PrivateIni::writeString(const QString& key, const QString& value)
{
    if (m_fileName.isEmpty() || m_sectionName.isEmpty()) {
        qCWarning(lcShell) << "profile write without a file or section name";
        return false;
    }
    return ProfileFile::write(m_files, m_fileName, m_sectionName, key, value) == kErrorSuccess;
}

} // namespace kv
