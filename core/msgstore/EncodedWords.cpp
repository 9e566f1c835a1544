#include "msgstore/EncodedWords.h"

#include "platform/Ansi.h"

#include <QStringDecoder>

#include <optional>

namespace kv::msgstore {

namespace {

// Charset names are short; a longer "name" is text that merely starts with "=?", and the cap
// keeps a failed attempt from reading far.
constexpr qsizetype kMaxCharsetLength = 64;

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool decodeQ(QByteArrayView text, QByteArray* bytes)
{
    bytes->reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            bytes->append(' ');
        } else if (c == '=') {
            if (i + 2 >= text.size())
                return false;
            const int high = hexValue(text[i + 1]);
            const int low = hexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            bytes->append(char(high * 16 + low));
            i += 2;
        } else {
            bytes->append(c);
        }
    }
    return true;
}

struct Word
{
    qsizetype end = 0; // one past the closing "?="
    QByteArray charset;
    QByteArray bytes;
};

// Reads the encoded word whose "=?" is at `at`. Every scan stops at the next "?" or white space,
// so the attempts that start at successive "=?" never read the same text more than a few times.
bool parseWord(const QByteArray& raw, qsizetype at, Word* word)
{
    const qsizetype n = raw.size();
    const qsizetype charsetBegin = at + 2;
    qsizetype i = charsetBegin;
    while (i < n && raw[i] != '?' && !isSpace(raw[i]) && i - charsetBegin <= kMaxCharsetLength)
        ++i;
    if (i >= n || raw[i] != '?' || i == charsetBegin || i - charsetBegin > kMaxCharsetLength)
        return false;
    QByteArray charset = raw.mid(charsetBegin, i - charsetBegin);
    // A language tag ("utf-8*en") says nothing about the bytes.
    const qsizetype star = charset.indexOf('*');
    if (star >= 0)
        charset.truncate(star);
    if (charset.isEmpty() || i + 2 >= n || raw[i + 2] != '?')
        return false;
    const char encoding = char(raw[i + 1] | 0x20);
    if (encoding != 'b' && encoding != 'q')
        return false;
    i += 3;
    const qsizetype textBegin = i;
    while (i < n && raw[i] != '?' && !isSpace(raw[i]))
        ++i;
    if (i + 1 >= n || raw[i] != '?' || raw[i + 1] != '=')
        return false;
    const QByteArrayView text(raw.constData() + textBegin, i - textBegin);
    if (encoding == 'q') {
        if (!decodeQ(text, &word->bytes))
            return false;
    } else {
        auto decoded = QByteArray::fromBase64Encoding(text.toByteArray(),
                                                      QByteArray::AbortOnBase64DecodingErrors);
        if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok)
            return false;
        word->bytes = std::move(decoded.decoded);
    }
    word->charset = charset.toLower();
    word->end = i + 2;
    return true;
}

bool isAnsiName(const QByteArray& charset)
{
    const QByteArray name = charset.toLower();
    return name.isEmpty() || name == "windows-1252" || name == "cp1252";
}

class HeaderDecoder
{
public:
    explicit HeaderDecoder(const QByteArray& fallbackCharset)
    {
        // The program's own ANSI conversion keeps the bytes code page 1252 leaves undefined, as
        // every other text read from the records does.
        if (!isAnsiName(fallbackCharset)) {
            m_fallback.emplace(fallbackCharset.constData(), QStringConverter::Flag::Stateless);
            if (!m_fallback->isValid())
                m_fallback.reset();
        }
    }

    bool knows(const QByteArray& charset)
    {
        if (charset != m_wordCharset) {
            m_wordDecoder.emplace(charset.constData(), QStringConverter::Flag::Stateless);
            m_wordCharset = charset;
        }
        return m_wordDecoder->isValid();
    }

    void addPlain(QByteArrayView text)
    {
        if (text.isEmpty())
            return;
        flushWords();
        m_plain.append(text);
    }

    // Adjacent words of one charset are decoded together: mailers split a multi-byte character
    // across two words although each should stand alone.
    void addWord(const Word& word)
    {
        flushPlain();
        if (word.charset != m_pendingCharset)
            flushWords();
        m_pendingCharset = word.charset;
        m_pendingBytes.append(word.bytes);
    }

    QString finish()
    {
        flushWords();
        flushPlain();
        return std::move(m_out);
    }

private:
    void flushPlain()
    {
        if (m_plain.isEmpty())
            return;
        m_out += m_fallback ? QString(m_fallback->decode(m_plain)) : ansi::toUnicode(m_plain);
        m_plain.clear();
    }

    void flushWords()
    {
        if (m_pendingCharset.isEmpty())
            return;
        if (knows(m_pendingCharset))
            m_out += QString(m_wordDecoder->decode(m_pendingBytes));
        m_pendingBytes.clear();
        m_pendingCharset.clear();
    }

    std::optional<QStringDecoder> m_fallback;
    std::optional<QStringDecoder> m_wordDecoder;
    QByteArray m_wordCharset;
    QByteArray m_pendingCharset;
    QByteArray m_pendingBytes;
    QByteArray m_plain;
    QString m_out;
};

} // namespace

QString decodeHeaderText(const QByteArray& raw, const QByteArray& fallbackCharset)
{
    HeaderDecoder decoder(fallbackCharset);
    const qsizetype n = raw.size();
    bool afterWord = false;
    qsizetype i = 0;
    while (i < n) {
        const qsizetype at = raw.indexOf("=?", i);
        if (at < 0) {
            decoder.addPlain(QByteArrayView(raw).sliced(i));
            break;
        }
        const QByteArrayView before = QByteArrayView(raw).sliced(i, at - i);
        Word word;
        if (!parseWord(raw, at, &word) || !decoder.knows(word.charset)) {
            decoder.addPlain(before);
            // A word with an unknown charset is shown whole; a malformed one resumes after its
            // "=?", where no other word can start.
            const qsizetype resume = word.end > at ? word.end : at + 2;
            decoder.addPlain(QByteArrayView(raw).sliced(at, resume - at));
            afterWord = false;
            i = resume;
            continue;
        }
        bool onlySpace = true;
        for (char c : before)
            onlySpace = onlySpace && isSpace(c);
        if (!(afterWord && onlySpace))
            decoder.addPlain(before);
        decoder.addWord(word);
        afterWord = true;
        i = word.end;
    }
    return decoder.finish();
}

} // namespace kv::msgstore
