#include "MessageFileSource.h"

#include <QFile>
#include <QFileInfo>

namespace kv::cli {

namespace {

enum class Kind
{
    Unknown,
    Dbx,
    Mbx
};

Kind kindOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("dbx"))
        return Kind::Dbx;
    if (suffix == QLatin1String("mbx"))
        return Kind::Mbx;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return Kind::Unknown;
    const QByteArray magic = f.read(4);
    if (magic == QByteArray("\xCF\xAD\x12\xFE", 4))
        return Kind::Dbx;
    if (magic == "JMF6")
        return Kind::Mbx;
    return Kind::Unknown;
}

} // namespace

bool MessageFileSource::open(const QString& hostPath, QString* error)
{
    if (!QFileInfo(hostPath).isFile()) {
        *error = QStringLiteral("%1: no such file").arg(hostPath);
        return false;
    }
    switch (kindOf(hostPath)) {
    case Kind::Dbx:
        m_dbx = std::make_unique<msgstore::DbxFile>();
        if (m_dbx->open(hostPath))
            return true;
        *error = QStringLiteral("%1: cannot read the message file: %2")
                     .arg(hostPath, m_dbx->lastError());
        return false;
    case Kind::Mbx:
        m_mbx = std::make_unique<msgstore::MbxFile>();
        if (m_mbx->open(hostPath))
            return true;
        *error = QStringLiteral("%1: cannot read the message file: %2")
                     .arg(hostPath, m_mbx->lastError());
        return false;
    case Kind::Unknown:
        break;
    }
    *error = QStringLiteral("%1: not a .dbx or .mbx message file").arg(hostPath);
    return false;
}

qint32 MessageFileSource::count() const
{
    return m_dbx ? m_dbx->messageCount() : m_mbx ? m_mbx->messageCount() : 0;
}

void MessageFileSource::loadHeaders(qint32 n)
{
    if (m_dbx)
        m_dbx->loadHeaders(n);
    else if (m_mbx)
        m_mbx->loadHeaders(n);
}

QString MessageFileSource::from() const
{
    return m_dbx ? m_dbx->from() : m_mbx->from();
}

QString MessageFileSource::subject() const
{
    return m_dbx ? m_dbx->subject() : m_mbx->subject();
}

QString MessageFileSource::date() const
{
    return m_dbx ? m_dbx->dateText() : m_mbx->dateText();
}

qint64 MessageFileSource::size(qint32 n)
{
    return m_dbx ? m_dbx->messageSize(n) : m_mbx->messageSize(n);
}

bool MessageFileSource::save(qint32 n, const QString& folder, const QString& fileName,
                             QString* error)
{
    if (m_dbx ? m_dbx->saveAs(n, folder, fileName) : m_mbx->saveAs(n, folder, fileName))
        return true;
    *error = m_dbx ? m_dbx->lastError() : m_mbx->lastError();
    return false;
}

} // namespace kv::cli
