#include "msgstore/HeaderValue.h"

#include "platform/Ansi.h"

#include <cstring>

namespace kv::msgstore {

namespace {

inline uchar lower(uchar c)
{
    return (c >= 'A' && c <= 'Z') ? uchar(c + 32) : c;
}

bool equalNoCase(const char* a, const char* b, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (lower(uchar(a[i])) != lower(uchar(b[i])))
            return false;
    return true;
}

} // namespace

qsizetype indexOfNoCase(QByteArrayView text, QByteArrayView name)
{
    const qsizetype n = name.size();
    if (n == 0 || n > text.size())
        return n == 0 ? 0 : -1;
    const char* t = text.data();
    const qsizetype last = text.size() - n;

    // Header lists are searched thousands of times when a folder is listed, so the search jumps
    // between occurrences of the name's first character that has no case (the ":" of a header
    // name) instead of comparing at every position.
    qsizetype anchor = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const uchar c = uchar(name[i]);
        if (lower(c) == c && !(c >= 'a' && c <= 'z')) {
            anchor = i;
            break;
        }
    }
    if (anchor < 0) {
        for (qsizetype i = 0; i <= last; ++i)
            if (equalNoCase(t + i, name.data(), n))
                return i;
        return -1;
    }
    const char a = name[anchor];
    qsizetype from = anchor;
    while (from <= last + anchor) {
        const void* hit = std::memchr(t + from, a, size_t(last + anchor - from + 1));
        if (!hit)
            return -1;
        const qsizetype pos = static_cast<const char*>(hit) - t;
        const qsizetype start = pos - anchor;
        if (equalNoCase(t + start, name.data(), n))
            return start;
        from = pos + 1;
    }
    return -1;
}

QString headerValue(QByteArrayView text, QByteArrayView name)
{
    if (text.isEmpty())
        return {};
    const qsizetype at = indexOfNoCase(text, name);
    if (at < 0)
        return {};
    qsizetype begin = at + name.size();
    const void* cr = std::memchr(text.data() + begin, '\r', size_t(text.size() - begin));
    if (!cr)
        return {};
    const qsizetype end = static_cast<const char*>(cr) - text.data();
    while (begin < end && text[begin] == ' ')
        ++begin;
    return ansi::toUnicode(text.data() + begin, end - begin);
}

} // namespace kv::msgstore
