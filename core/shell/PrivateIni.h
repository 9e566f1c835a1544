#pragma once

#include <QString>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// One section of a private profile file, addressed by file and section name. Operations
// that need both names record their misuse in errorCode() instead of failing loudly.
class PrivateIni
{
public:
    static constexpr int kBufferChars = 255;

    explicit PrivateIni(platform::IFileSystem& files);
    virtual ~PrivateIni() = default;

    // 1 when the last operation ran before both names were set, else 0.
    int errorCode() const { return m_errorCode; }
    bool isReady() const { return m_ready; }

    virtual void clearEntry(const QString& key);
    virtual void deleteEntry(const QString& key) { clearEntry(key); }
    // Removes the whole section, then forgets the section name.
    virtual void deleteSection();
    // The key's text, read through a 255-character buffer; "" when nothing was read.
    virtual QString getString(const QString& key, const QString& defaultValue);
    const QString& fileName() const { return m_fileName; }
    virtual void setFileName(const QString& fileName);
    const QString& sectionName() const { return m_sectionName; }
    virtual void setSectionName(const QString& sectionName);
    // Writes the key without the readiness check; false when the file could not be written
    // or a name is missing.
    virtual bool writeString(const QString& key, const QString& value);

private:
    bool checkReady();
    void updateReady() { m_ready = !m_fileName.isEmpty() && !m_sectionName.isEmpty(); }

    platform::IFileSystem& m_files;
    QString m_fileName;
    QString m_sectionName;
    bool m_ready = false;
    int m_errorCode = 0;
};

} // namespace kv
