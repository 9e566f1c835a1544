#include "msgstore/MboxWriter.h"

#include "msgstore/HeaderValue.h"
#include "msgstore/MsgStoreLog.h"

#include <QLocale>
#include <QTimeZone>

namespace kv::msgstore {

namespace {

constexpr QByteArrayView kFrom("From ");
const QByteArray kUnknownSender("MAILER-DAEMON");

// The header block: everything before the first empty line (CR LF or bare LF messages alike).
QByteArrayView headerBlock(QByteArrayView message)
{
    qsizetype end = message.indexOf("\n\r\n");
    const qsizetype bare = message.indexOf("\n\n");
    if (end < 0 || (bare >= 0 && bare < end))
        end = bare;
    return end < 0 ? message : message.first(end + 1);
}

// The first line of the field, which must start a line (unlike the readers' search, which also
// finds "From: " inside "X-Original-From: "), trimmed.
QByteArray fieldValue(QByteArrayView block, QByteArrayView name)
{
    qsizetype from = 0;
    while (from < block.size()) {
        const qsizetype at = indexOfNoCase(block.sliced(from), name);
        if (at < 0)
            return {};
        const qsizetype pos = from + at;
        if (pos == 0 || block[pos - 1] == '\n') {
            qsizetype end = block.indexOf('\n', pos);
            if (end < 0)
                end = block.size();
            return block.sliced(pos + name.size(), end - pos - name.size()).toByteArray().trimmed();
        }
        from = pos + 1;
    }
    return {};
}

bool usableAddress(const QByteArray& address)
{
    if (address.isEmpty() || address.size() > 256)
        return false;
    for (char c : address)
        if (uchar(c) <= ' ' || uchar(c) >= 0x7F)
            return false;
    return true;
}

QByteArray senderAddress(QByteArrayView block)
{
    const QByteArray value = fieldValue(block, "From:");
    QByteArray address;
    const qsizetype open = value.lastIndexOf('<');
    const qsizetype close = open >= 0 ? value.indexOf('>', open) : -1;
    if (close > open + 1) {
        address = value.mid(open + 1, close - open - 1).trimmed();
    } else {
        for (const QByteArray& word : value.split(' '))
            if (word.contains('@')) {
                address = word;
                break;
            }
        // Trim the punctuation a bare address may be wrapped in.
        while (!address.isEmpty() && QByteArrayView("\"',;()").contains(address.front()))
            address.remove(0, 1);
        while (!address.isEmpty() && QByteArrayView("\"',;()").contains(address.back()))
            address.chop(1);
    }
    return usableAddress(address) ? address : kUnknownSender;
}

QDateTime messageDate(QByteArrayView block)
{
    QByteArray value = fieldValue(block, "Date:");
    // A trailing zone comment such as "(PST)" is not part of the date Qt reads.
    const qsizetype comment = value.indexOf('(');
    if (comment > 0)
        value = value.left(comment).trimmed();
    return QDateTime::fromString(QString::fromLatin1(value), Qt::RFC2822Date);
}

// "Mon Dec  7 04:30:11 2026", the layout mbox readers expect after the address.
QByteArray asctime(const QDateTime& when)
{
    const QDateTime utc = when.toUTC();
    const QLocale c = QLocale::c();
    return c.toString(utc, QStringLiteral("ddd MMM ")).toLatin1() +
           QByteArray::number(utc.date().day()).rightJustified(2, ' ') + ' ' +
           c.toString(utc, QStringLiteral("hh:mm:ss yyyy")).toLatin1();
}

bool quotedLine(QByteArrayView message, qsizetype start)
{
    qsizetype i = start;
    while (i < message.size() && message[i] == '>')
        ++i;
    return message.sliced(i).startsWith(kFrom);
}

} // namespace

MboxWriter::MboxWriter() = default;
MboxWriter::~MboxWriter() = default;

QByteArray MboxWriter::separatorLine(const QByteArray& message, const QDateTime& fallbackDate)
{
    const QByteArrayView block = headerBlock(message);
    QDateTime date = messageDate(block);
    if (!date.isValid())
        date = fallbackDate.isValid() ? fallbackDate : QDateTime::currentDateTimeUtc();
    return "From " + senderAddress(block) + ' ' + asctime(date) + '\n';
}

QByteArray MboxWriter::quoteFromLines(const QByteArray& message)
{
    QByteArray out;
    out.reserve(message.size() + 16);
    qsizetype written = 0;
    qsizetype start = 0;
    while (start < message.size()) {
        if (quotedLine(message, start)) {
            out.append(QByteArrayView(message).sliced(written, start - written));
            out.append('>');
            written = start;
        }
        const qsizetype end = message.indexOf('\n', start);
        if (end < 0)
            break;
        start = end + 1;
    }
    out.append(QByteArrayView(message).sliced(written));
    return out;
}

bool MboxWriter::fail(const QString& why)
{
    m_error = why;
    qCWarning(lcMsgStore).noquote() << "mbox export:" << why;
    abandon();
    return false;
}

bool MboxWriter::open(const QString& hostPath, const QDateTime& fallbackDate)
{
    abandon();
    m_error.clear();
    m_count = 0;
    m_fallback = fallbackDate.isValid() ? fallbackDate : QDateTime::currentDateTimeUtc();
    m_file = std::make_unique<QSaveFile>(hostPath);
    if (!m_file->open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot create %1: %2").arg(hostPath, m_file->errorString()));
    return true;
}

bool MboxWriter::add(const QByteArray& message)
{
    if (!m_file)
        return fail(QStringLiteral("no mbox file is open"));
    QByteArray text = quoteFromLines(message);
    if (!text.endsWith('\n'))
        text.append('\n');
    text.append('\n');
    const QByteArray separator = separatorLine(message, m_fallback);
    if (m_file->write(separator) != separator.size() || m_file->write(text) != text.size())
        return fail(
            QStringLiteral("cannot write %1: %2").arg(m_file->fileName(), m_file->errorString()));
    ++m_count;
    return true;
}

bool MboxWriter::finish()
{
    if (!m_file)
        return fail(QStringLiteral("no mbox file is open"));
    const QString path = m_file->fileName();
    const bool ok = m_file->commit();
    const QString why = m_file->errorString();
    m_file.reset();
    if (!ok)
        return fail(QStringLiteral("cannot write %1: %2").arg(path, why));
    return true;
}

void MboxWriter::abandon()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset();
    }
}

} // namespace kv::msgstore
