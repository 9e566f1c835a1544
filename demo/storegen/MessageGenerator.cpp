#include "MessageGenerator.h"

#include <QByteArray>
#include <QList>

#include <random>

namespace kv::storegen {

namespace {

// Words of the body text, with Windows-1252 letters and punctuation among them.
const char* const kWords[] = {
    "the",
    "meeting",
    "report",
    "attached",
    "please",
    "find",
    "budget",
    "project",
    "draft",
    "caf\xE9",
    "na\xEFve",
    "Gr\xF6\xDF"
    "e",
    "\x80"
    "50",
    "r\xE9sum\xE9",
    "\x93quoted\x94",
    "\x96",
    "Z\xFCrich",
    "se\xF1or",
    "d\xE9j\xE0",
    "schedule",
    "tomorrow",
    "review",
    "thanks",
    "regards",
    "invoice",
    "shipment",
    "order",
    "customer",
    "server",
    "backup",
    "folder",
    "message",
    "week",
    "Monday",
    "price",
    "offer",
    "team",
    "update",
    "question",
    "answer",
};

struct Person
{
    const char* name;   // ANSI, as shown
    const char* header; // as written in the header (encoded words where needed)
    const char* address;
};

const Person kPeople[] = {
    {"Anna Berg", "Anna Berg", "anna.berg@example.com"},
    {"J\xFCrgen M\xFCller", "=?iso-8859-1?Q?J=FCrgen_M=FCller?=", "jmueller@example.de"},
    {"Fran\xE7oise Dupr\xE9", "=?iso-8859-1?B?RnJhbudvaXNlIER1cHLp?=", "fdupre@example.fr"},
    {"Bob Smith", "\"Smith, Bob\"", "bob@example.org"},
    {"Ola Nordmann", "Ola Nordmann", "ola@example.no"},
    {"Maria Garc\xEDs", "=?windows-1252?Q?Maria_Garc=EDs?=", "mgarcia@example.es"},
    {"", "", "noreply@lists.example.net"},
    {"Sven \xC5kesson", "=?iso-8859-1?Q?Sven_=C5kesson?=", "sven@example.se"},
};

const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

class Rng
{
public:
    Rng(std::uint64_t seed, std::uint64_t index)
        : m_gen(seed * 0x9E3779B97F4A7C15ull ^ (index + 1) * 0xC2B2AE3D27D4EB4Full)
    {
    }
    // Distributions of the standard library differ between implementations; a modulo keeps
    // the output the same everywhere.
    std::uint64_t below(std::uint64_t n) { return n ? m_gen() % n : 0; }
    bool percent(int p) { return int(below(100)) < p; }
    std::uint64_t raw() { return m_gen(); }

private:
    std::mt19937_64 m_gen;
};

QByteArray words(Rng& rng, int count)
{
    QByteArray s;
    for (int i = 0; i < count; ++i) {
        if (i)
            s += ' ';
        s += kWords[rng.below(std::size(kWords))];
    }
    return s;
}

QByteArray paragraphText(Rng& rng, int lines)
{
    QByteArray s;
    for (int i = 0; i < lines; ++i)
        s += words(rng, 6 + int(rng.below(8))) + "\r\n";
    return s;
}

QByteArray base64Lines(const QByteArray& data)
{
    const QByteArray b64 = data.toBase64();
    QByteArray s;
    s.reserve(b64.size() + b64.size() / 76 * 2 + 2);
    for (qsizetype i = 0; i < b64.size(); i += 76)
        s += b64.mid(i, 76) + "\r\n";
    return s;
}

QByteArray randomBytes(Rng& rng, int n)
{
    QByteArray b(n, '\0');
    for (int i = 0; i < n; i += 8) {
        const std::uint64_t r = rng.raw();
        for (int k = 0; k < 8 && i + k < n; ++k)
            b[i + k] = char((r >> (8 * k)) & 0xFF);
    }
    return b;
}

QByteArray mailbox(const Person& p)
{
    return p.header[0] ? QByteArray(p.header) + " <" + p.address + ">" : QByteArray(p.address);
}

// Windows FILETIME for a day and time after 1 Jan 2001 (100 ns ticks since 1601).
std::uint64_t fileTime(std::uint64_t secondsSince2001)
{
    const std::uint64_t epoch2001 = 12622780800ull; // seconds from 1601 to 2001
    return (epoch2001 + secondsSince2001) * 10000000ull;
}

// The date as a sender one hour east of Greenwich writes it, for a UTC instant.
QByteArray rfc822Date(std::uint64_t utcSecondsSince2001)
{
    const std::uint64_t secondsSince2001 = utcSecondsSince2001 + 3600;
    // Civil date from days since 2001-01-01 (a Monday).
    std::uint64_t days = secondsSince2001 / 86400;
    const std::uint64_t secs = secondsSince2001 % 86400;
    int year = 2001;
    auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
    while (days >= std::uint64_t(leap(year) ? 366 : 365)) {
        days -= leap(year) ? 366 : 365;
        ++year;
    }
    const int mdays[] = {31, leap(year) ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = 0;
    while (days >= std::uint64_t(mdays[month])) {
        days -= std::uint64_t(mdays[month]);
        ++month;
    }
    const std::uint64_t weekday = (secondsSince2001 / 86400) % 7;
    return QByteArray(kDays[weekday]) + ", " + QByteArray::number(int(days) + 1) + ' ' +
           kMonths[month] + ' ' + QByteArray::number(year) + ' ' +
           QByteArray::number(int(secs / 3600)).rightJustified(2, '0') + ':' +
           QByteArray::number(int(secs / 60 % 60)).rightJustified(2, '0') + ':' +
           QByteArray::number(int(secs % 60)).rightJustified(2, '0') + " +0100";
}

} // namespace

MessageGenerator::MessageGenerator(std::uint64_t seed) : MessageGenerator(seed, Options{}) {}

MessageGenerator::MessageGenerator(std::uint64_t seed, Options options)
    : m_seed(seed), m_options(options)
{
}

MailMessage MessageGenerator::message(std::uint64_t index) const
{
    Rng rng(m_seed, index);
    const Feature feature = Feature(index % kRunLength);
    const Person& from = kPeople[rng.below(std::size(kPeople))];
    const Person& to = kPeople[rng.below(std::size(kPeople))];
    const std::uint64_t when = index * 3607 + rng.below(3600) + 86400ull * 365 * (m_seed % 5);

    MailMessage m;
    m.fromName = from.name;
    m.fromAddress = from.address;
    m.toName = to.name;
    m.toAddress = to.address;
    m.fileTime = fileTime(when);
    m.read = rng.percent(70);
    m.messageId = "<" + QByteArray::number(m_seed) + "." + QByteArray::number(index) + "." +
                  QByteArray::number(rng.raw() % 1000000) + "@mail.example.com>";

    QByteArray subjectHeader;
    if (feature == Feature::EncodedSubject || rng.percent(10)) {
        m.subject = "Gr\xFC\xDF"
                    "e aus " +
                    words(rng, 2);
        subjectHeader = "=?iso-8859-1?Q?Gr=FC=DFe_aus_?= " + m.subject.mid(9);
    } else {
        m.subject = (rng.percent(25) ? "Re: " : "") + words(rng, 3 + int(rng.below(10)));
        subjectHeader = m.subject;
        // Long subjects are folded onto a continuation line, as mailers write them.
        if (subjectHeader.size() > 60) {
            const qsizetype cut = subjectHeader.indexOf(' ', 40);
            if (cut > 0)
                subjectHeader.insert(cut, "\r\n");
        }
    }

    QByteArray h;
    const int hops =
        feature == Feature::LongHeader ? 24 + int(rng.below(10)) : 1 + int(rng.below(3));
    for (int i = 0; i < hops; ++i)
        h += "Received: from relay" + QByteArray::number(i) + ".example.net ([192.0.2." +
             QByteArray::number(int(rng.below(250)) + 1) + "])\r\n\tby mx" +
             QByteArray::number(i + 1) + ".example.com with ESMTP id " +
             QByteArray::number(rng.raw(), 16) + "\r\n\tfor <" + to.address + ">; " +
             rfc822Date(when - std::uint64_t(hops - i)) + "\r\n";
    h += "Message-ID: " + m.messageId + "\r\n";
    h += "From: " + mailbox(from) + "\r\n";
    if (feature == Feature::ReplyToFirst || rng.percent(10))
        h += "Reply-To: " + mailbox(kPeople[(index + 3) % std::size(kPeople)]) + "\r\n";
    h += "To: " + mailbox(to) + "\r\n";
    if (rng.percent(15))
        h += "Cc: " + mailbox(kPeople[(index + 5) % std::size(kPeople)]) + ",\r\n\t" +
             mailbox(kPeople[(index + 6) % std::size(kPeople)]) + "\r\n";
    h += "Subject: " + subjectHeader + "\r\n";
    h += "Date: " + rfc822Date(when) + "\r\n";
    h += "MIME-Version: 1.0\r\n";
    h += "X-Priority: 3\r\nX-Mailer: Example Mailer 5.50.4133.2400\r\n";

    if (feature == Feature::NoBody) {
        m.raw = h + "\r\n";
        return m;
    }

    const QByteArray text = paragraphText(rng, 3 + int(rng.below(40)));
    const bool attach = rng.percent(m_options.attachmentPercent);
    const QByteArray boundary = "----=_NextPart_000_" +
                                QByteArray::number(index, 16).rightJustified(4, '0') +
                                "_01C2A1B3." + QByteArray::number(m_seed, 16);
    if (attach) {
        // Sizes spread over three orders of magnitude, most of them small.
        const int maxBytes = std::max(64, m_options.maxAttachmentBytes);
        int size = std::max(1, m_options.minAttachmentBytes);
        const int steps = int(rng.below(11));
        for (int i = 0; i < steps && size * 2 <= maxBytes; ++i)
            size *= 2;
        size += int(rng.below(std::uint64_t(size)));
        size = std::clamp(size, std::min(m_options.minAttachmentBytes, maxBytes), maxBytes);
        m.hasAttachment = true;
        h += "Content-Type: multipart/mixed;\r\n\tboundary=\"" + boundary + "\"\r\n\r\n";
        m.raw =
            h + "This is a multi-part message in MIME format.\r\n\r\n--" + boundary +
            "\r\nContent-Type: "
            "text/plain;\r\n\tcharset=\"Windows-1252\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
            text + "\r\n--" + boundary +
            "\r\nContent-Type: application/octet-stream;\r\n\tname=\"data" +
            QByteArray::number(index) +
            ".bin\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: "
            "attachment;\r\n\tfilename=\"data" +
            QByteArray::number(index) + ".bin\"\r\n\r\n" + base64Lines(randomBytes(rng, size)) +
            "\r\n--" + boundary + "--\r\n\r\n";
    } else if (feature == Feature::Multipart || rng.percent(15)) {
        h += "Content-Type: multipart/alternative;\r\n\tboundary=\"" + boundary + "\"\r\n\r\n";
        QByteArray html = text;
        html.replace("\r\n", "<BR>\r\n");
        m.raw =
            h + "This is a multi-part message in MIME format.\r\n\r\n--" + boundary +
            "\r\nContent-Type: "
            "text/plain;\r\n\tcharset=\"Windows-1252\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
            text + "\r\n--" + boundary +
            "\r\nContent-Type: "
            "text/html;\r\n\tcharset=\"Windows-1252\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
            "<HTML><BODY>\r\n" + html + "</BODY></HTML>\r\n\r\n--" + boundary + "--\r\n\r\n";
    } else {
        h += "Content-Type: "
             "text/plain;\r\n\tcharset=\"Windows-1252\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n";
        m.raw = h + text;
    }
    return m;
}

} // namespace kv::storegen
