#include "platform/posix/WineRegParser.h"

#include "platform/posix/WineRegFile.h"
#include "platform/posix/WineRegText.h"

#include <algorithm>

namespace kv::platform::posix {

namespace {

constexpr int kMaxKeyNameLength = 256; // characters, as wineserver limits them

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isHex(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    return (c | 0x20) - 'a' + 10;
}

qsizetype skipSpaces(const QByteArray& line, qsizetype p)
{
    while (p < line.size() && isSpace(line[p]))
        ++p;
    return p;
}

// strtoul(..., 16): optional blanks, sign and "0x", then as many hex digits as there are;
// saturates on overflow. Sets `end` past what was read (left at `p` when nothing was).
quint64 readHexNumber(const QByteArray& line, qsizetype p, qsizetype* end)
{
    qsizetype q = skipSpaces(line, p);
    bool negative = false;
    if (q < line.size() && (line[q] == '+' || line[q] == '-'))
        negative = line[q++] == '-';
    if (q + 2 < line.size() && line[q] == '0' && (line[q + 1] | 0x20) == 'x' && isHex(line[q + 2]))
        q += 2;
    const qsizetype digits = q;
    quint64 value = 0;
    bool overflow = false;
    while (q < line.size() && isHex(line[q])) {
        if (value > (~quint64(0) >> 4))
            overflow = true;
        value = value * 16 + quint64(hexDigit(line[q]));
        ++q;
    }
    if (q == digits) {
        *end = p;
        return 0;
    }
    *end = q;
    if (overflow)
        return ~quint64(0);
    return negative ? quint64(0) - value : value;
}

QByteArray utf16Bytes(const QString& text)
{
    QByteArray bytes;
    bytes.reserve((text.size() + 1) * 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
}

} // namespace

WineRegParser::WineRegParser(WineRegFile& file, quint64 now) : m_file(file), m_now(now) {}

void WineRegParser::problem(const QString& what)
{
    m_file.noteProblem(m_lineNo, what);
}

bool WineRegParser::nextLine()
{
    const QByteArray& bytes = *m_bytes;
    if (m_next >= bytes.size())
        return false;
    const qsizetype newline = bytes.indexOf('\n', m_next);
    if (newline < 0) {
        m_line = bytes.mid(m_next);
        m_next = bytes.size();
    } else {
        m_line = bytes.mid(m_next, newline - m_next);
        m_next = newline + 1;
        if (m_line.endsWith('\r'))
            m_line.chop(1);
    }
    ++m_lineNo;
    const qsizetype nul = m_line.indexOf('\0');
    if (nul >= 0) {
        m_line.truncate(nul);
        problem(QStringLiteral("NUL byte in the text"));
    }
    return true;
}

void WineRegParser::run(const QByteArray& bytes)
{
    m_bytes = &bytes;
    if (!nextLine() || m_line != "WINE REGISTRY Version 2") {
        m_file.m_state = WineRegFile::State::NotRegistry;
        m_file.m_problem = QStringLiteral("it does not start with \"WINE REGISTRY Version 2\"");
        return;
    }
    static const QByteArray kRelativeTo = ";; All keys relative to ";
    while (nextLine()) {
        const qsizetype p = skipSpaces(m_line, 0);
        if (p >= m_line.size())
            continue;
        switch (m_line[p]) {
        case '[':
            finishKey();
            parseKeyLine(p + 1);
            break;
        case '@':
        case '"':
            if (m_key)
                parseValueLine(p);
            else
                problem(QStringLiteral("value outside a key"));
            break;
        case '#':
            if (m_key) {
                parseKeyOption(p);
            } else if (!parseGlobalOption(p)) {
                m_file.m_state = WineRegFile::State::NotRegistry;
                m_file.m_problem = QStringLiteral("line %1: unknown architecture").arg(m_lineNo);
                return;
            }
            break;
        case ';':
            if (m_lineNo == 2 && m_line.startsWith(kRelativeTo))
                m_file.m_relativeTo = m_line.mid(kRelativeTo.size());
            break;
        default:
            problem(QStringLiteral("unrecognised text"));
            break;
        }
    }
    finishKey();
}

void WineRegParser::parseKeyLine(qsizetype pos)
{
    m_key = nullptr;
    QString path;
    qsizetype p = pos;
    if (!winereg::parseEscaped(m_line, p, ']', &path)) {
        problem(QStringLiteral("malformed key"));
        return;
    }
    p = skipSpaces(m_line, p);
    quint64 seconds = 0;
    bool dated = false;
    while (p < m_line.size() && m_line[p] >= '0' && m_line[p] <= '9') {
        seconds = std::min<quint64>(seconds * 10 + quint64(m_line[p] - '0'), 0xFFFFFFFFull);
        dated = true;
        ++p;
    }
    m_sectionTime = dated ? WineRegFile::fileTimeFromUnix(quint32(seconds)) : m_now;

    if (path.startsWith(QLatin1Char('\\'))) {
        problem(QStringLiteral("malformed key"));
        return;
    }
    WineRegKey* key = m_file.root();
    const QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        WineRegKey* sub = key->findSubKey(part);
        if (!sub) {
            if (part.size() > kMaxKeyNameLength) {
                problem(QStringLiteral("key name too long"));
                return;
            }
            sub = key->addSubKey(part, 0, true);
        }
        key = sub;
    }
    m_key = key;
}

void WineRegParser::setKeyTime(quint64 fileTime)
{
    for (WineRegKey* k = m_key; k && k->modified() == 0; k = k->parent())
        k->setModified(fileTime);
}

void WineRegParser::finishKey()
{
    if (m_key)
        setKeyTime(m_sectionTime);
    m_key = nullptr;
}

void WineRegParser::parseKeyOption(qsizetype pos)
{
    const QByteArray option = m_line.mid(pos);
    if (option.startsWith("#time=")) {
        quint64 time = 0;
        for (qsizetype i = 6; i < option.size() && isHex(option[i]); ++i)
            time = (time << 4) | quint64(hexDigit(option[i]));
        setKeyTime(time);
    } else if (option.startsWith("#class=")) {
        QString name;
        qsizetype p = 8;
        if (option.size() < 8 || option[7] != '"' ||
            !winereg::parseEscaped(option, p, '"', &name)) {
            problem(QStringLiteral("malformed class"));
            return;
        }
        m_key->setClassName(name);
    } else if (option.startsWith("#link")) {
        m_key->setLink(true);
    }
}

bool WineRegParser::parseGlobalOption(qsizetype pos)
{
    const QByteArray option = m_line.mid(pos);
    if (!option.startsWith("#arch="))
        return true;
    const QByteArray arch = option.mid(6);
    if (arch != "win32" && arch != "win64")
        return false;
    m_file.m_arch = arch;
    return true;
}

void WineRegParser::parseValueLine(qsizetype pos)
{
    QString name;
    qsizetype p = pos + 1;
    if (m_line[pos] == '"' && !winereg::parseEscaped(m_line, p, '"', &name)) {
        problem(QStringLiteral("malformed value name"));
        return;
    }
    p = skipSpaces(m_line, p);
    if (p >= m_line.size() || m_line[p] != '=') {
        problem(QStringLiteral("malformed value name"));
        return;
    }
    p = skipSpaces(m_line, p + 1);

    const QByteArray rest = m_line.mid(p);
    RegValue value;
    bool isString = true;
    qsizetype tag = 0;
    if (rest.startsWith('"')) {
        value.type = kRegSz, tag = 1;
    } else if (rest.startsWith("str:\"")) {
        value.type = kRegSz, tag = 5;
    } else if (rest.startsWith("str(2):\"")) {
        value.type = kRegExpandSz, tag = 8;
    } else if (rest.startsWith("str(7):\"")) {
        value.type = kRegMultiSz, tag = 8;
    } else if (rest.startsWith("hex:")) {
        value.type = kRegBinary, tag = 4, isString = false;
    } else if (rest.startsWith("dword:")) {
        value.type = kRegDword, tag = 6, isString = false;
    } else if (rest.startsWith("hex(")) {
        qsizetype end = 0;
        const quint64 type = readHexNumber(rest, 4, &end);
        if (end == 4 || !rest.mid(end).startsWith("):")) {
            problem(QStringLiteral("malformed value type"));
            return;
        }
        value.type = quint32(type), tag = end + 2, isString = false;
    } else {
        problem(QStringLiteral("malformed value type"));
        return;
    }
    p += tag;

    if (isString) {
        QString text;
        if (!winereg::parseEscaped(m_line, p, '"', &text)) {
            problem(QStringLiteral("malformed string value"));
            return;
        }
        value.data = utf16Bytes(text);
    } else if (value.type == kRegDword && rest.startsWith("dword:")) {
        qsizetype end = 0;
        value = RegValue::fromDword(quint32(readHexNumber(m_line, p, &end)));
    } else if (!parseHex(p, &value.data)) {
        problem(QStringLiteral("malformed hex value"));
        return;
    }
    m_key->setValue(name, value, true);
}

bool WineRegParser::parseHex(qsizetype pos, QByteArray* data)
{
    qsizetype p = pos;
    for (;;) {
        while (p < m_line.size() && isHex(m_line[p])) {
            unsigned v = 0;
            while (p < m_line.size() && isHex(m_line[p])) {
                v = std::min(v * 16 + unsigned(hexDigit(m_line[p])), 0x1000u);
                ++p;
            }
            if (v > 0xFF)
                return false;
            data->append(char(v));
            p = skipSpaces(m_line, p);
            if (p < m_line.size() && m_line[p] == ',')
                ++p;
            p = skipSpaces(m_line, p);
        }
        p = skipSpaces(m_line, p);
        if (p >= m_line.size())
            return true;
        if (m_line[p] != '\\' || !nextLine())
            return false;
        p = skipSpaces(m_line, 0);
    }
}

} // namespace kv::platform::posix
