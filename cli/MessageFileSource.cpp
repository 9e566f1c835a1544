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
        if (m_dbx->FileOpen(hostPath))
            return true;
        *error = QStringLiteral("%1: cannot read the message file: %2")
                     .arg(hostPath, m_dbx->lastError());
        return false;
    case Kind::Mbx:
        m_mbx = std::make_unique<msgstore::MbxFile>();
        if (m_mbx->FileOpen(hostPath))
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
    return m_dbx ? m_dbx->MessageCount() : m_mbx ? m_mbx->MessageCount() : 0;
}

void MessageFileSource::loadHeaders(qint32 n)
{
    if (m_dbx)
        m_dbx->MessageHeaders(n);
    else if (m_mbx)
        m_mbx->FullMessage(n);
}

QString MessageFileSource::from() const
{
    return m_dbx ? m_dbx->MsgFrom() : m_mbx->MsgFrom();
}

QString MessageFileSource::subject() const
{
    return m_dbx ? m_dbx->MsgSubject() : m_mbx->MsgSubject();
}

QString MessageFileSource::date() const
{
    return m_dbx ? m_dbx->MsgDateStr() : m_mbx->MsgDateStr();
}

qint64 MessageFileSource::size(qint32 n)
{
    return m_dbx ? m_dbx->MsgSize(n) : m_mbx->MsgSize(n);
}

bool MessageFileSource::save(qint32 n, const QString& folder, const QString& fileName,
                             QString* error)
{
    if (m_dbx) {
        if (m_dbx->SaveAsFile(n, folder, fileName))
            return true;
        *error = m_dbx->lastError();
        return false;
    }
    bool ok = false;
    m_mbx->FullMessage(n, &ok);
    if (ok && m_mbx->SaveAsFile(folder, fileName))
        return true;
    *error = m_mbx->lastError();
    return false;
}

} // namespace kv::cli
