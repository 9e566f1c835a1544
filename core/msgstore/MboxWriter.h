#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QSaveFile>
#include <QString>

#include <memory>

namespace kv::msgstore {

// Writes messages into one mbox file in the "mboxrd" convention that desktop mail clients
// import: before each message a "From " line with the sender's address and a date, inside it
// every line that begins with any number of ">" followed by "From " gets one ">" more, and after
// it a blank line. The message bytes are otherwise kept exactly, CR LF line ends included; only
// a message that does not end with a line break gets one, so that the blank line stands alone.
// The file appears all at once when finished (a temporary file renamed over the target), so a
// failed or abandoned export leaves any older file of that name as it was.
class MboxWriter
{
public:
    MboxWriter();
    ~MboxWriter();
    MboxWriter(const MboxWriter&) = delete;
    MboxWriter& operator=(const MboxWriter&) = delete;

    // fallbackDate stands in for a message whose Date header cannot be read; an invalid one
    // means the time of opening.
    bool open(const QString& hostPath, const QDateTime& fallbackDate = {});
    bool add(const QByteArray& message);
    // Makes the file appear; false (and no file) when any write failed.
    bool finish();
    // Drops what was written; the target stays as it was.
    void abandon();

    int messageCount() const { return m_count; }
    const QString& error() const { return m_error; }

    // The separator line (with its LF) for a message: its sender's address and date.
    static QByteArray separatorLine(const QByteArray& message, const QDateTime& fallbackDate);
    // The message with every ">*From " line quoted once more.
    static QByteArray quoteFromLines(const QByteArray& message);

private:
    bool fail(const QString& why);

    std::unique_ptr<QSaveFile> m_file;
    QDateTime m_fallback;
    QString m_error;
    int m_count = 0;
};

} // namespace kv::msgstore
