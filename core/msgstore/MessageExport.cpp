#include "msgstore/MessageExport.h"

#include "msgstore/DbxFile.h"
#include "msgstore/MbxFile.h"
#include "msgstore/MessageWriter.h"
#include "msgstore/MsgStoreLog.h"
#include "platform/IFileSystem.h"
#include "platform/WinPath.h"
#include "util/FileOperation.h"
#include "util/SystemUtils.h"

#include <QFileInfo>

namespace kv::msgstore {

namespace {

constexpr QChar kBackslash = u'\\';

// "/" read as "\", runs of "\" made one (the leading pair of a share kept), trailing ones
// dropped: the spelling two names of one folder are compared in.
QString normalised(const QString& path)
{
    QString p = path.trimmed();
    p.replace(u'/', kBackslash);
    const bool share = p.startsWith(QLatin1String("\\\\"));
    QString out = share ? QStringLiteral("\\\\") : QString();
    for (qsizetype i = share ? 2 : 0; i < p.size(); ++i)
        if (p[i] != kBackslash || !out.endsWith(kBackslash))
            out += p[i];
    while (out.endsWith(kBackslash) && out.size() > (share ? 2 : 0))
        out.chop(1);
    return out;
}

// A full path below a drive ("C:\x") or a share ("\\server\share\x"), without "." or ".."
// components; roots themselves do not count.
bool isFullFolderBelowRoot(const QString& p)
{
    qsizetype rest = 0;
    if (p.size() >= 3 && p[0].isLetter() && p[1] == u':' && p[2] == kBackslash) {
        rest = 3;
    } else if (p.startsWith(QLatin1String("\\\\"))) {
        // Server and share name are the root; at least one more component must follow.
        const qsizetype server = p.indexOf(kBackslash, 2);
        const qsizetype share = server < 0 ? -1 : p.indexOf(kBackslash, server + 1);
        if (server <= 2 || share < 0 || share == server + 1)
            return false;
        rest = share + 1;
    } else {
        return false;
    }
    const QStringList parts = p.mid(rest).split(kBackslash);
    if (parts.isEmpty() || parts.first().isEmpty())
        return false;
    for (const QString& part : parts)
        if (part == u"." || part == u"..")
            return false;
    return true;
}

} // namespace

QString MessageExport::cleanName(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!QStringView(u"\\/:*?\"<>|.").contains(c))
            out += c;
    return out;
}

QString MessageExport::messageFileName(const QString& subject, qint64 row)
{
    return cleanName(subject).left(kSubjectChars) + u'.' + QString::number(row) +
           QStringLiteral(".eml");
}

QString MessageExport::targetFolderFor(const QString& documentsFolder)
{
    const QString docs = normalised(documentsFolder);
    if (!isFullFolderBelowRoot(docs))
        return {};
    return docs + kBackslash + QLatin1String(kTargetFolderName) + kBackslash;
}

bool MessageExport::isOwnTargetFolder(const QString& path, const QString& documentsFolder)
{
    const QString target = targetFolderFor(documentsFolder);
    if (target.isEmpty())
        return false;
    return normalised(path).compare(normalised(target), Qt::CaseInsensitive) == 0;
}

MessageExport::EmptyResult MessageExport::emptyTargetFolder(platform::IFileSystem& files,
                                                            const QString& folder,
                                                            const QString& documentsFolder)
{
    if (!isOwnTargetFolder(folder, documentsFolder)) {
        qCWarning(lcMsgStore).noquote()
            << "not emptying" << folder << "- it is not the folder" << kTargetFolderName
            << "of the documents folder" << documentsFolder;
        return EmptyResult::Refused;
    }
    if (!SystemUtils::folderExists(files, folder))
        return EmptyResult::Absent;
    FileOperation op(files);
    op.setSilentMode(true);
    op.setConfirmOperation(false);
    op.setIncludeDirectories(true);
    op.addSourceFile(winpath::withTrailingBackslash(normalised(folder)) + QStringLiteral("*.*"));
    if (!op.deleteFiles()) {
        qCWarning(lcMsgStore).noquote() << "cannot empty" << folder << "- error" << op.lastError();
        return EmptyResult::Failed;
    }
    qCInfo(lcMsgStore).noquote() << "emptied" << folder;
    return EmptyResult::Emptied;
}

MessageExport::MessageExport(StoreFormat format, QString priorFolder)
    : m_format(format), m_priorFolder(std::move(priorFolder))
{
}

MessageExport::~MessageExport() = default;

QString MessageExport::folderPath(const QString& targetFolder, const QString& folderName)
{
    return messageFilePath(targetFolder, cleanName(folderName));
}

bool MessageExport::openFolder(const QString& fileName, QString* error)
{
    if (fileName == m_openName) {
        if (!m_openOk)
            *error = QStringLiteral("%1 is not in the backup's extracted folders").arg(fileName);
        return m_openOk;
    }
    // A fresh reader per folder: a reader that failed to open must never answer with the
    // index of the file it had open before.
    m_dbx.reset();
    m_mbx.reset();
    m_openName = fileName;
    m_openOk = false;
    const QString path = messageFilePath(m_priorFolder, fileName);
    if (fileName.isEmpty() || fileName.contains(u'/') || fileName.contains(kBackslash) ||
        !QFileInfo(path).isFile()) {
        *error = QStringLiteral("%1 is not in the backup's extracted folders").arg(fileName);
        qCWarning(lcMsgStore).noquote()
            << "skipping the messages of" << fileName << "-" << path << "is missing";
        return false;
    }
    if (m_format == StoreFormat::Dbx) {
        m_dbx = std::make_unique<DbxFile>();
        m_openOk = m_dbx->open(path);
        if (!m_openOk)
            *error = m_dbx->lastError();
    } else {
        m_mbx = std::make_unique<MbxFile>();
        m_openOk = m_mbx->open(path);
        if (!m_openOk)
            *error = m_mbx->lastError();
    }
    if (!m_openOk)
        qCWarning(lcMsgStore).noquote()
            << "skipping the messages of" << fileName << "- cannot read" << path << ":" << *error;
    return m_openOk;
}

MessageExport::Result MessageExport::write(const Request& request, const QString& targetFolder)
{
    Result r;
    QString subject;
    // The record's text as it is, NUL fill included, and CR LF after it, as the version-4
    // extraction always wrote it.
    const QByteArray bytes = read(request, false, &subject, &r.status, &r.error);
    if (r.status != Status::Written)
        return r;
    const QString folder = folderPath(targetFolder, request.folderName);
    const QString name = messageFileName(subject, request.row);
    if (!writeMessageFile(folder, name, bytes, m_mbx ? QByteArray("\r\n") : QByteArray(),
                          &r.error)) {
        r.status = Status::WriteFailed;
        qCWarning(lcMsgStore).noquote() << "cannot restore message" << request.number << "of"
                                        << request.fileName << ":" << r.error;
        return r;
    }
    r.filePath = messageFilePath(folder, name);
    return r;
}

QByteArray MessageExport::messageBytes(const Request& request, Status* status, QString* error)
{
    return read(request, true, nullptr, status, error);
}

QByteArray MessageExport::read(const Request& request, bool trimFill, QString* subject,
                               Status* status, QString* error)
{
    *status = Status::FolderMissing;
    if (!openFolder(request.fileName, error))
        return {};
    *status = Status::MessageMissing;
    MessageFileReader& reader = m_dbx ? static_cast<MessageFileReader&>(*m_dbx) : *m_mbx;
    if (request.number < 1 || request.number > reader.messageCount()) {
        *error = QStringLiteral("%1 holds no message %2 (it has %3)")
                     .arg(request.fileName)
                     .arg(request.number)
                     .arg(reader.messageCount());
        qCWarning(lcMsgStore).noquote() << "cannot restore:" << *error;
        return {};
    }
    bool ok = false;
    QByteArray bytes;
    if (m_dbx) {
        m_dbx->loadHeaders(request.number);
        if (subject)
            *subject = m_dbx->subject();
        bytes = m_dbx->message(request.number, &ok);
    } else {
        bytes = m_mbx->message(request.number, &ok);
        if (subject)
            *subject = m_mbx->subject();
    }
    if (!ok) {
        *error = QStringLiteral("message %1 of %2 cannot be read: %3")
                     .arg(request.number)
                     .arg(request.fileName, reader.lastError());
        qCWarning(lcMsgStore).noquote() << "cannot restore:" << *error;
        return {};
    }
    // An ".mbx" record is padded with NULs to its allocated length.
    if (trimFill && m_mbx) {
        qsizetype end = bytes.size();
        while (end > 0 && bytes[end - 1] == '\0')
            --end;
        bytes.truncate(end);
    }
    *status = Status::Written;
    return bytes;
}

} // namespace kv::msgstore
