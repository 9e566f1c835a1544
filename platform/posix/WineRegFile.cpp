#include "platform/posix/WineRegFile.h"

#include "platform/posix/WineRegParser.h"
#include "platform/posix/WineRegText.h"

#include <cstdio>

namespace kv::platform::posix {

namespace {

constexpr qint64 kTicksPerSecond = 10000000;
// 100 ns ticks from 1601-01-01 to 1970-01-01.
constexpr qint64 kTicks1601To1970 = qint64(86400) * (369 * 365 + 89) * kTicksPerSecond;

void appendFormat(QByteArray& out, const char* format, unsigned a, unsigned b = 0)
{
    char buf[48];
    const int n = std::snprintf(buf, sizeof buf, format, a, b);
    out.append(buf, n);
}

qsizetype appendEscapedString(QByteArray& out, const QString& text, char a, char b)
{
    return winereg::appendEscaped(out, reinterpret_cast<const char16_t*>(text.utf16()), text.size(),
                                  a, b);
}

void appendPath(QByteArray& out, const WineRegKey* key, const WineRegKey* base)
{
    if (key->parent() && key->parent() != base) {
        appendPath(out, key->parent(), base);
        out.append("\\\\");
    }
    appendEscapedString(out, key->name(), '[', ']');
}

QString utf16FromBytes(const QByteArray& bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        text[i] = QChar(char16_t(quint8(bytes[2 * i]) | (quint8(bytes[2 * i + 1]) << 8)));
    return text;
}

bool isTerminatedString(const RegValue& value)
{
    const QByteArray& d = value.data;
    return d.size() >= 2 && d.size() % 2 == 0 && d[d.size() - 1] == '\0' && d[d.size() - 2] == '\0';
}

void appendValue(QByteArray& out, const RegNamedValue& named)
{
    const RegValue& value = named.value;
    qsizetype count = 0;
    if (!named.name.isEmpty()) {
        out.append('"');
        count = 1 + appendEscapedString(out, named.name, '"', '"');
        out.append("\"=");
        count += 2;
    } else {
        out.append("@=");
        count = 2;
    }

    const bool stringType =
        value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
    if (stringType && isTerminatedString(value)) {
        if (value.type != kRegSz)
            appendFormat(out, "str(%x):", value.type);
        out.append('"');
        const QString text = utf16FromBytes(value.data);
        appendEscapedString(out, text, '"', '"');
        out.append("\"\n");
        return;
    }
    if (value.type == kRegDword && value.data.size() == 4) {
        appendFormat(out, "dword:%08x\n", value.toDword());
        return;
    }

    const qsizetype before = out.size();
    if (value.type == kRegBinary)
        out.append("hex:");
    else
        appendFormat(out, "hex(%x):", value.type);
    count += out.size() - before;
    const qsizetype len = value.data.size();
    for (qsizetype i = 0; i < len; ++i) {
        appendFormat(out, "%02x", quint8(value.data[i]));
        count += 2;
        if (i < len - 1) {
            out.append(',');
            if (++count > 76) {
                out.append("\\\n  ");
                count = 2;
            }
        }
    }
    out.append('\n');
}

void appendKey(QByteArray& out, const WineRegKey* key, const WineRegKey* base)
{
    if (key->hasOwnSection()) {
        out.append("\n[");
        if (key != base)
            appendPath(out, key, base);
        appendFormat(out, "] %u\n", WineRegFile::unixFromFileTime(key->modified()));
        appendFormat(out, "#time=%x%08x\n", unsigned(key->modified() >> 32),
                     unsigned(key->modified() & 0xFFFFFFFFu));
        if (key->className()) {
            out.append("#class=\"");
            appendEscapedString(out, *key->className(), '"', '"');
            out.append("\"\n");
        }
        if (key->isLink())
            out.append("#link\n");
        for (const RegNamedValue& value : key->values())
            appendValue(out, value);
    }
    for (const auto& sub : key->subKeys())
        appendKey(out, sub.get(), base);
}

} // namespace

WineRegFile::WineRegFile(QByteArray relativeTo) : m_relativeTo(std::move(relativeTo))
{
    clear(0);
}

WineRegFile::~WineRegFile() = default;

void WineRegFile::clear(quint64 now)
{
    m_root = std::make_unique<WineRegKey>(QString(), nullptr, now);
    m_state = State::Good;
    m_problem.clear();
}

void WineRegFile::noteProblem(int line, const QString& what)
{
    if (m_state == State::Good)
        m_state = State::Damaged;
    if (m_problem.isEmpty())
        m_problem = QStringLiteral("line %1: %2").arg(line).arg(what);
}

WineRegFile::State WineRegFile::parse(const QByteArray& bytes, quint64 now)
{
    clear(now);
    WineRegParser parser(*this, now);
    parser.run(bytes);
    return m_state;
}

QByteArray WineRegFile::serialize() const
{
    QByteArray out;
    out.reserve(64 * 1024);
    out.append("WINE REGISTRY Version 2\n;; All keys relative to ");
    out.append(m_relativeTo);
    out.append('\n');
    if (m_arch) {
        out.append("\n#arch=");
        out.append(*m_arch);
        out.append('\n');
    }
    appendKey(out, m_root.get(), m_root.get());
    return out;
}

quint64 WineRegFile::fileTimeFromUnix(quint32 seconds)
{
    return quint64(qint64(seconds) * kTicksPerSecond + kTicks1601To1970);
}

quint32 WineRegFile::unixFromFileTime(quint64 fileTime)
{
    return quint32((qint64(fileTime) - kTicks1601To1970) / kTicksPerSecond);
}

} // namespace kv::platform::posix
