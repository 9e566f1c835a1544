#include "platform/posix/WineRegText.h"

#include <algorithm>
#include <cstdio>

namespace kv::platform::posix::winereg {

namespace {

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

// C escapes for the control characters that have one; '.' marks those written in octal.
constexpr char kControlEscapes[33] = ".......abtnvfr.............e....";

char16_t foldUnit(char16_t c)
{
    if (c < 128)
        return (c >= 'A' && c <= 'Z') ? char16_t(c + 32) : c;
    return QChar::toLower(c);
}

void appendOctal(QByteArray& out, unsigned value, bool threeDigits)
{
    char buf[8];
    const int n = threeDigits ? std::snprintf(buf, sizeof buf, "\\%03o", value)
                              : std::snprintf(buf, sizeof buf, "\\%o", value);
    out.append(buf, n);
}

// Decodes one UTF-8 sequence starting at `pos`; returns the code point and advances `pos`,
// or returns -1 and skips one byte when the sequence is not valid.
int decodeUtf8(const QByteArray& s, qsizetype& pos)
{
    const auto byte = [&](qsizetype i) { return i < s.size() ? quint8(s[i]) : 0; };
    const quint8 b0 = byte(pos);
    int need = 0;
    int cp = 0;
    int min = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        need = 1, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        need = 2, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        need = 3, cp = b0 & 0x07, min = 0x10000;
    } else {
        ++pos;
        return -1;
    }
    for (int i = 1; i <= need; ++i) {
        const quint8 b = byte(pos + i);
        if ((b & 0xC0) != 0x80) {
            ++pos;
            return -1;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return -1;
    }
    pos += need + 1;
    return cp;
}

} // namespace

qsizetype appendEscaped(QByteArray& out, const char16_t* text, qsizetype length, char quoteA,
                        char quoteB)
{
    const qsizetype start = out.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t c = text[i];
        const bool hasNext = i + 1 < length;
        if (c > 127) {
            char buf[12];
            const bool pad = hasNext && text[i + 1] < 128 && isHexDigit(text[i + 1]);
            const int n = std::snprintf(buf, sizeof buf, pad ? "\\x%04x" : "\\x%x", unsigned(c));
            out.append(buf, n);
            continue;
        }
        if (c < 32) {
            if (c == 0 && !hasNext)
                continue;
            if (kControlEscapes[c] != '.') {
                out.append('\\');
                out.append(kControlEscapes[c]);
            } else {
                appendOctal(out, c, hasNext && text[i + 1] >= '0' && text[i + 1] <= '7');
            }
            continue;
        }
        if (c == '\\' || c == char16_t(quoteA) || c == char16_t(quoteB))
            out.append('\\');
        out.append(char(c));
    }
    return out.size() - start;
}

bool parseEscaped(const QByteArray& line, qsizetype& pos, char endChar, QString* text)
{
    QString result;
    qsizetype p = pos;
    const qsizetype n = line.size();
    while (p < n && line[p] != endChar) {
        const char c = line[p];
        if (quint8(c) >= 0x80) {
            const int cp = decodeUtf8(line, p);
            if (cp >= 0) {
                const char32_t ucs4 = char32_t(cp);
                result.append(QString::fromUcs4(&ucs4, 1));
            }
            continue;
        }
        if (c != '\\') {
            result.append(QChar(char16_t(c)));
            ++p;
            continue;
        }
        ++p;
        const char e = p < n ? line[p] : '\0';
        switch (e) {
        case 'a':
            result.append(QChar(u'\a'));
            ++p;
            break;
        case 'b':
            result.append(QChar(u'\b'));
            ++p;
            break;
        case 'e':
            result.append(QChar(char16_t(27)));
            ++p;
            break;
        case 'f':
            result.append(QChar(u'\f'));
            ++p;
            break;
        case 'n':
            result.append(QChar(u'\n'));
            ++p;
            break;
        case 'r':
            result.append(QChar(u'\r'));
            ++p;
            break;
        case 't':
            result.append(QChar(u'\t'));
            ++p;
            break;
        case 'v':
            result.append(QChar(u'\v'));
            ++p;
            break;
        case 'x': {
            ++p;
            if (p >= n || !isHexDigit(char16_t(line[p]))) {
                result.append(QLatin1Char('x'));
                break;
            }
            unsigned v = 0;
            for (int i = 0; i < 4 && p < n && isHexDigit(char16_t(line[p])); ++i)
                v = v * 16 + hexValue(line[p++]);
            result.append(QChar(char16_t(v)));
            break;
        }
        case '0':
        case '1':
        case '2':
        case '3':
        case '4':
        case '5':
        case '6':
        case '7': {
            unsigned v = 0;
            for (int i = 0; i < 3 && p < n && line[p] >= '0' && line[p] <= '7'; ++i)
                v = v * 8 + (line[p++] - '0');
            result.append(QChar(char16_t(v)));
            break;
        }
        case '\0':
            // A backslash at the end of the line escapes nothing; the end marker is missing.
            return false;
        default:
            if (quint8(e) >= 0x80)
                continue; // the escaped byte is read as UTF-8 text on the next turn
            result.append(QChar(char16_t(e)));
            ++p;
            break;
        }
    }
    if (p >= n)
        return false;
    pos = p + 1;
    *text = result;
    return true;
}

int compareNames(const QString& a, const QString& b)
{
    const qsizetype len = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < len; ++i) {
        const int diff = int(foldUnit(a[i].unicode())) - int(foldUnit(b[i].unicode()));
        if (diff != 0)
            return diff;
    }
    return int(a.size() - b.size());
}

QString foldName(const QString& name)
{
    QString folded(name.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < name.size(); ++i)
        folded[i] = QChar(foldUnit(name[i].unicode()));
    return folded;
}

} // namespace kv::platform::posix::winereg
