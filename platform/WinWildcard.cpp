#include "platform/WinWildcard.h"

#include <vector>

namespace kv {

namespace {

constexpr QChar kDot = QLatin1Char('.');
constexpr QChar kStar = QLatin1Char('*');
constexpr QChar kQuestion = QLatin1Char('?');

bool onlyWildcardsFrom(QStringView pattern, qsizetype from)
{
    for (qsizetype j = from; j < pattern.size(); ++j) {
        if (pattern[j] != kStar && pattern[j] != kQuestion)
            return false;
    }
    return true;
}

} // namespace

bool winWildcardMatch(QStringView name, QStringView pattern)
{
    const qsizetype n = name.size();
    const qsizetype m = pattern.size();
    const qsizetype lastDot = name.lastIndexOf(kDot);
    // Filled from the ends backwards: next[i] tells whether name[i..] matches pattern[j+1..],
    // cur[i] whether it matches pattern[j..].
    std::vector<char> next(size_t(n + 1), 0);
    std::vector<char> cur(size_t(n + 1), 0);
    next[size_t(n)] = 1;
    for (qsizetype j = m - 1; j >= 0; --j) {
        const QChar p = pattern[j];
        const bool starBeforeDot = p == kStar && j + 1 < m && pattern[j + 1] == kDot;
        const bool dotBeforeWildcards = p == kDot && onlyWildcardsFrom(pattern, j + 1);
        for (qsizetype i = n; i >= 0; --i) {
            const bool more = i < n;
            bool ok = false;
            if (p == kStar) {
                const bool mayTake = more && !(starBeforeDot && i == lastDot);
                ok = next[size_t(i)] || (mayTake && cur[size_t(i + 1)]);
            } else if (p == kQuestion) {
                ok = (more && next[size_t(i + 1)]) ||
                     ((!more || name[i] == kDot) && next[size_t(i)]);
            } else if (p == kDot) {
                ok = (more && name[i] == kDot && next[size_t(i + 1)]) ||
                     (!more && dotBeforeWildcards && next[size_t(i)]);
            } else {
                ok = more && name[i].toCaseFolded() == p.toCaseFolded() && next[size_t(i + 1)];
            }
            cur[size_t(i)] = ok;
        }
        std::swap(cur, next);
    }
    return next[0];
}

} // namespace kv
