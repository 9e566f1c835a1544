#include "platform/posix/FindPattern.h"

#include <vector>

namespace kv::platform::posix {

namespace {

bool restIsWild(const QString& pattern, qsizetype from)
{
    for (qsizetype j = from; j < pattern.size(); ++j) {
        if (pattern[j] != QLatin1Char('*') && pattern[j] != QLatin1Char('?'))
            return false;
    }
    return true;
}

} // namespace

bool FindPattern::matches(const QString& name, const QString& pattern)
{
    const qsizetype n = name.size();
    const qsizetype m = pattern.size();
    // match[i][j]: name from i on matches pattern from j on.
    std::vector<std::vector<char>> match(size_t(n + 1), std::vector<char>(size_t(m + 1), 0));
    match[size_t(n)][size_t(m)] = 1;
    for (qsizetype j = m - 1; j >= 0; --j) {
        const QChar p = pattern[j];
        for (qsizetype i = n; i >= 0; --i) {
            const bool more = i < n;
            bool ok = false;
            if (p == QLatin1Char('*')) {
                ok = match[size_t(i)][size_t(j + 1)] || (more && match[size_t(i + 1)][size_t(j)]);
            } else if (p == QLatin1Char('?')) {
                ok = (more && match[size_t(i + 1)][size_t(j + 1)]) ||
                     ((!more || name[i] == QLatin1Char('.')) && match[size_t(i)][size_t(j + 1)]);
            } else if (p == QLatin1Char('.')) {
                ok = (more && name[i] == QLatin1Char('.') && match[size_t(i + 1)][size_t(j + 1)]) ||
                     (!more && restIsWild(pattern, j + 1));
            } else {
                ok = more &&
                     QString::compare(QString(name[i]), QString(p), Qt::CaseInsensitive) == 0 &&
                     match[size_t(i + 1)][size_t(j + 1)];
            }
            match[size_t(i)][size_t(j)] = ok;
        }
    }
    return match[0][0];
}

} // namespace kv::platform::posix
