#include "util/Like.h"

namespace kv {

namespace {

// Matches one "[...]" set at pattern[pi] against c; sets pi past the set. False when the
// set is not closed, in which case "[" is matched literally.
bool matchSet(const QString& pattern, qsizetype& pi, QChar c, bool* matched)
{
    qsizetype i = pi + 1;
    bool negate = false;
    if (i < pattern.size() && pattern[i] == QLatin1Char('!')) {
        negate = true;
        ++i;
    }
    bool hit = false;
    bool first = true;
    const QChar lc = c.toCaseFolded();
    while (i < pattern.size() && (first || pattern[i] != QLatin1Char(']'))) {
        first = false;
        QChar lo = pattern[i].toCaseFolded();
        QChar hi = lo;
        if (i + 2 < pattern.size() && pattern[i + 1] == QLatin1Char('-') &&
            pattern[i + 2] != QLatin1Char(']')) {
            hi = pattern[i + 2].toCaseFolded();
            i += 2;
        }
        if (lc >= lo && lc <= hi)
            hit = true;
        ++i;
    }
    if (i >= pattern.size())
        return false;
    pi = i + 1;
    *matched = hit != negate;
    return true;
}

} // namespace

bool likeMatch(const QString& text, const QString& pattern)
{
    qsizetype ti = 0, pi = 0;
    qsizetype starP = -1, starT = 0;
    while (ti < text.size()) {
        bool advanced = false;
        if (pi < pattern.size()) {
            const QChar p = pattern[pi];
            const QChar c = text[ti];
            if (p == QLatin1Char('*')) {
                starP = pi++;
                starT = ti;
                continue;
            }
            if (p == QLatin1Char('?') || (p == QLatin1Char('#') && c.isDigit())) {
                ++pi;
                advanced = true;
            } else if (p == QLatin1Char('[')) {
                qsizetype next = pi;
                bool matched = false;
                if (matchSet(pattern, next, c, &matched)) {
                    if (matched) {
                        pi = next;
                        advanced = true;
                    }
                } else if (c == p) {
                    ++pi;
                    advanced = true;
                }
            } else if (p != QLatin1Char('#') && p.toCaseFolded() == c.toCaseFolded()) {
                ++pi;
                advanced = true;
            }
        }
        if (advanced) {
            ++ti;
        } else if (starP >= 0) {
            pi = starP + 1;
            ti = ++starT;
        } else {
            return false;
        }
    }
    while (pi < pattern.size() && pattern[pi] == QLatin1Char('*'))
        ++pi;
    return pi == pattern.size();
}

} // namespace kv
