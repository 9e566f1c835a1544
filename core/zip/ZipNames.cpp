#include "zip/ZipNames.h"

#include "platform/WinPath.h"
#include "platform/WinWildcard.h"

#include <QSet>

namespace kv::zip {

QStringList splitFileList(const QString& list)
{
    QString text = list;
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    QStringList out;
    for (const QString& item : text.split(QLatin1Char('\r'), Qt::SkipEmptyParts))
        out.append(item);
    return out;
}

std::optional<QString> matchEntry(const QString& entryName, const QString& pattern)
{
    const QString pat = winpath::withoutDrive(pattern);
    if (pat.isEmpty())
        return std::nullopt;
    if (!pat.contains(QLatin1Char('\\'))) {
        // A folder entry ("dir\") has no file name to match.
        const QString file = entryName.endsWith(QLatin1Char('\\')) ? QString()
                                                                    : winpath::fileName(entryName);
        if (!file.isEmpty() && winWildcardMatch(file, pat))
            return file;
        return std::nullopt;
    }
    qsizetype start = 0;
    for (;;) {
        const QString tail = entryName.mid(start);
        if (winWildcardMatch(tail, pat))
            return tail;
        const qsizetype next = entryName.indexOf(QLatin1Char('\\'), start);
        if (next < 0)
            return std::nullopt;
        start = next + 1;
    }
}

bool isHostileName(const QString& name)
{
    QString n = name;
    n.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (n.startsWith(QLatin1Char('\\')) || n.contains(QLatin1Char(':')))
        return true;
    for (const QString& part : n.split(QLatin1Char('\\')))
        if (part == QLatin1String(".."))
            return true;
    return false;
}

QString safeRelativeName(const QString& name)
{
    if (isHostileName(name))
        return {};
    QString n = name;
    n.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList parts;
    for (const QString& part : n.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        for (QChar c : part)
            if (c.unicode() < 0x20)
                return {};
        parts.append(part);
    }
    return parts.join(QLatin1Char('\\'));
}

namespace {

void addFolder(platform::IFileSystem& fs, const QString& folder, const QString& pattern,
               bool recurse, QList<FileToAdd>* out, QSet<QString>* seen, int depth)
{
    if (depth > 64)
        return; // a link loop
    const QString base = winpath::withTrailingBackslash(folder);
    QList<platform::FileEntry> children = fs.find(base + QLatin1Char('*'));
    std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
        return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
    });
    for (const platform::FileEntry& e : children) {
        const QString path = base + e.name;
        if (e.isDirectory()) {
            if (recurse)
                addFolder(fs, path, pattern, recurse, out, seen, depth + 1);
            continue;
        }
        if (!winWildcardMatch(e.name, pattern))
            continue;
        const QString entry = winpath::withoutDrive(path);
        if (seen->contains(entry.toLower()))
            continue;
        seen->insert(entry.toLower());
        out->append({path, entry, e});
    }
}

} // namespace

QList<FileToAdd> expandFiles(platform::IFileSystem& fs, const QStringList& items,
                             const std::function<void(const QString&)>& notFound)
{
    QList<FileToAdd> out;
    QSet<QString> seen;
    for (const QString& raw : items) {
        QString item = raw;
        item.replace(QLatin1Char('/'), QLatin1Char('\\'));
        const qsizetype slash = item.lastIndexOf(QLatin1Char('\\'));
        const QString last = item.mid(slash + 1);
        const qsizetype before = out.size();
        if (winpath::hasWildcard(last)) {
            const QString folder = winpath::clean(item.left(slash + 1));
            addFolder(fs, folder, last, last == QLatin1String("*"), &out, &seen, 0);
            if (out.size() == before) {
                platform::FileEntry info;
                if (!fs.stat(folder, &info))
                    notFound(item);
            }
            continue;
        }
        platform::FileEntry info;
        if (!fs.stat(item, &info)) {
            notFound(item);
            continue;
        }
        if (info.isDirectory()) {
            addFolder(fs, item, QStringLiteral("*"), true, &out, &seen, 0);
            continue;
        }
        const QString entry = winpath::withoutDrive(item);
        if (seen.contains(entry.toLower()))
            continue;
        seen.insert(entry.toLower());
        out.append({item, entry, info});
    }
    return out;
}

} // namespace kv::zip
