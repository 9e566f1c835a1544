#include "DialogFilter.h"

namespace kv::gui {

namespace {

struct Entry
{
    QString description;
    QString filespec;
};

QList<Entry> entries(const QString& filter)
{
    QList<Entry> out;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            continue;
        out.append({parts[i], parts[i + 1]});
    }
    // A description without a pattern (an unfinished filter) still shows, matching everything.
    if (parts.size() % 2 == 1 && !parts.last().trimmed().isEmpty())
        out.append({parts.last(), QStringLiteral("*")});
    return out;
}

} // namespace

QString DialogFilter::append(const QString& filter, const QString& description,
                             const QString& filespec)
{
    QString out = filter;
    if (!out.isEmpty() && !out.endsWith(u'|'))
        out += u'|';
    out += description;
    if (!filespec.contains(u';'))
        out += QStringLiteral(" (") + filespec + u')';
    out += u'|' + filespec + u'|';
    return out;
}

int DialogFilter::entryCount(const QString& filter)
{
    return int(entries(filter).size());
}

QStringList DialogFilter::toNameFilters(const QString& filter)
{
    QStringList out;
    for (const Entry& entry : entries(filter)) {
        QStringList patterns;
        for (const QString& raw : entry.filespec.split(u';')) {
            const QString pattern = raw.trimmed();
            if (pattern.isEmpty())
                continue;
            patterns.append(pattern == QStringLiteral("*.*") ? QStringLiteral("*") : pattern);
        }
        if (patterns.isEmpty())
            patterns.append(QStringLiteral("*"));
        out.append(entry.description.trimmed() + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return out;
}

QStringList DialogFilter::descriptions(const QString& filter)
{
    QStringList out;
    for (const Entry& entry : entries(filter))
        out.append(entry.description.trimmed());
    return out;
}

} // namespace kv::gui
