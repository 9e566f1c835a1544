#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace kv::test {

TempDir::TempDir() : m_dir(QDir::tempPath() + QStringLiteral("/kv-test-XXXXXX"))
{
    EXPECT_TRUE(m_dir.isValid()) << "cannot create a temporary folder";
    m_path = QDir::cleanPath(m_dir.path());
}

QString TempDir::writeHostFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    EXPECT_EQ(f.write(bytes), bytes.size());
    return path;
}

QString samplePath(const QString& relative)
{
    return QStringLiteral(KV_SAMPLES_DIR) + QLatin1Char('/') + relative;
}

QString copySample(const TempDir& dir, const QString& relative)
{
    const QString target = dir.file(QFileInfo(relative).fileName());
    QFile::remove(target);
    EXPECT_TRUE(QFile::copy(samplePath(relative), target)) << relative.toStdString();
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace kv::test
