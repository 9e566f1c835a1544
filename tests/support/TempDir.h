#pragma once

#include <QString>
#include <QTemporaryDir>

namespace kv::test {

// A scratch folder removed after the test; its path has no trailing "/".
class TempDir
{
public:
    TempDir();
    const QString& path() const { return m_path; }
    QString file(const QString& relative) const { return m_path + QLatin1Char('/') + relative; }
    QString write(const QString& relative, const QByteArray& bytes) const
    {
        return writeHostFile(file(relative), bytes);
    }

    // Writes a file (creating its parents) and returns its path; a failure fails the test.
    static QString writeHostFile(const QString& path, const QByteArray& bytes);

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// The shared sample folder (real files from the mail client) and a file in it.
QString samplePath(const QString& relative);
// Copies a sample into the folder, so that tests never open the read-only originals.
QString copySample(const TempDir& dir, const QString& relative);
QByteArray readFile(const QString& path);

} // namespace kv::test
