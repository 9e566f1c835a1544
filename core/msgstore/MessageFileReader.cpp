#include "msgstore/MessageFileReader.h"

#include "msgstore/MsgStoreLog.h"

#include <QFileInfo>

namespace kv::msgstore {

namespace {

bool badName(const QString& name)
{
    return name.isEmpty() || name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

} // namespace

MessageFileReader::OpenStep MessageFileReader::mapFile(const QString& hostPath)
{
    if (m_file.isOpen()) {
        if (hostPath == m_name)
            return OpenStep::AlreadyOpen;
        close();
    }
    m_name = hostPath;
    const QFileInfo info(hostPath);
    QString error;
    if (badName(hostPath) || !info.exists() || info.isDir())
        error = QStringLiteral("the file does not exist");
    else if (m_file.open(hostPath, &error))
        return OpenStep::Mapped;
    failOpen(error);
    return OpenStep::Failed;
}

void MessageFileReader::opened(qint32 count)
{
    m_count = count;
    m_cursor = 0;
    m_full.clear();
    m_error.clear();
}

bool MessageFileReader::failOpen(const QString& why)
{
    m_error = why;
    qCWarning(lcMsgStore).noquote() << "cannot read" << m_name << "-" << why;
    m_file.close();
    return false;
}

bool MessageFileReader::fail(const QString& why)
{
    m_error = why;
    qCWarning(lcMsgStore).noquote() << m_name << "-" << why;
    return false;
}

} // namespace kv::msgstore
