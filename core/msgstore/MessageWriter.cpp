#include "msgstore/MessageWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kv::msgstore {

QString messageFilePath(const QString& folder, const QString& fileName)
{
    QString dir = folder;
    if (dir.endsWith(QLatin1Char('/')))
        dir.chop(1);
    return dir + QLatin1Char('/') + fileName;
}

namespace {

bool writeParts(QFile& out, const QByteArray& first, const QByteArray& second)
{
    bool ok = out.write(first) == first.size();
    if (ok && !second.isEmpty())
        ok = out.write(second) == second.size();
    return ok && out.flush();
}

} // namespace

bool writeMessageFile(const QString& folder, const QString& fileName, const QByteArray& first,
                      const QByteArray& second, QString* error)
{
    const QString path = messageFilePath(folder, fileName);
    QFile out(path);
    // A whole folder is usually extracted into a fresh place: creating the file where none is
    // costs one call, where looking for the folder and an old file first costs three more.
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        const QString dir = path.left(path.size() - fileName.size());
        if (!QDir().mkpath(dir)) {
            *error = QStringLiteral("cannot create the folder %1").arg(dir);
            return false;
        }
        // An old file of that name is deleted, not overwritten, so no old bytes remain and a
        // read-only or hard-linked old file is left alone rather than changed.
        if (!QFile::remove(path) && QFileInfo::exists(path)) {
            *error = QStringLiteral("cannot replace %1").arg(path);
            return false;
        }
        if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            *error = QStringLiteral("cannot create %1: %2").arg(path, out.errorString());
            return false;
        }
    }
    bool ok = writeParts(out, first, second);
    out.close();
    if (!ok || out.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace kv::msgstore
