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

bool writeMessageFile(const QString& folder, const QString& fileName, const QByteArray& first,
                      const QByteArray& second, QString* error)
{
    const QString path = messageFilePath(folder, fileName);
    const QString dir = path.left(path.size() - fileName.size());
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create the folder %1").arg(dir);
        return false;
    }
    if (!QFile::remove(path) && QFileInfo::exists(path)) {
        *error = QStringLiteral("cannot replace %1").arg(path);
        return false;
    }
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        *error = QStringLiteral("cannot create %1: %2").arg(path, out.errorString());
        return false;
    }
    bool ok = out.write(first) == first.size();
    if (ok && !second.isEmpty())
        ok = out.write(second) == second.size();
    if (ok)
        ok = out.flush();
    out.close();
    if (!ok || out.error() != QFileDevice::NoError) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, out.errorString());
        QFile::remove(path);
        return false;
    }
    return true;
}

} // namespace kv::msgstore
