#pragma once

#include "platform/WinError.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kv::platform {
class IFileSystem;
}

namespace kv {

// Private profile (INI) files, read and written the way the Windows profile calls do it:
// section and key names compare without regard to case and surrounding blanks, values are
// trimmed and lose one pair of surrounding quotes, and a write changes only the line it
// concerns so that comments and the user's own layout survive. Files are ANSI text with
// CR LF line ends.
class ProfileFile
{
public:
    // Loads the text of a file. A missing file is an empty profile (error kErrorFileNotFound);
    // a file that exists but cannot be read gives nullopt, so that a write never replaces
    // what could not be read.
    static std::optional<ProfileFile> load(platform::IFileSystem& files, const QString& path,
                                           platform::WinError* error = nullptr);
    explicit ProfileFile(const QString& text = QString());

    // GetPrivateProfileString: the value, or the default (both cut to bufferChars - 1
    // characters, as the caller's buffer would). A key written without "=" reads as missing.
    QString getString(const QString& section, const QString& key, const QString& defaultValue,
                      int bufferChars = 255) const;
    // GetPrivateProfileInt: the leading decimal number of the value; the default when the key
    // is missing, 0 when the value holds no number.
    int getInt(const QString& section, const QString& key, int defaultValue) const;
    bool hasSection(const QString& section) const;

    // WritePrivateProfileString with a value, a null value (delete the key) or a null key
    // (delete every section of that name). True when the text changed.
    bool setString(const QString& section, const QString& key, const QString& value);
    bool removeKey(const QString& section, const QString& key);
    bool removeSection(const QString& section);

    QString text() const; // lines joined with CR LF, ending with one

    // The file-level calls: load, change, save. kErrorSuccess or the file system's error.
    static platform::WinError write(platform::IFileSystem& files, const QString& path,
                                    const QString& section, const QString& key,
                                    const std::optional<QString>& value);
    static platform::WinError deleteSection(platform::IFileSystem& files, const QString& path,
                                            const QString& section);

private:
    struct Line
    {
        enum Kind
        {
            Blank,
            Comment,
            Section,
            Key
        } kind = Blank;
        QString name;  // section or key name, trimmed
        QString value; // key value, trimmed
        bool hasValue = false;
    };
    static Line parse(const QString& raw);
    // Index of the header line of the first section of that name, or -1.
    qsizetype findSection(const QString& section) const;
    // One past the last line of the section whose header is at index.
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString& key) const;
    platform::WinError save(platform::IFileSystem& files, const QString& path) const;

    QStringList m_raw;
    QList<Line> m_lines;
};

} // namespace kv
