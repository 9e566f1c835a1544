#include "platform/WinPath.h"

namespace kv::winpath {

namespace {

constexpr QChar kBackslash = QLatin1Char('\\');

bool isDriveSpec(QStringView path)
{
    return path.size() == 2 && path[0].isLetter() && path[1] == QLatin1Char(':');
}

} // namespace

QString join(const QString& folder, const QString& name)
{
    if (folder.isEmpty())
        return name;
    if (folder.endsWith(kBackslash))
        return folder + name;
    return folder + kBackslash + name;
}

QString parent(const QString& path)
{
    const QString p = clean(path);
    if (isRoot(p))
        return p;
    const qsizetype at = p.lastIndexOf(kBackslash);
    if (at < 0)
        return {};
    const QString head = p.left(at);
    if (isDriveSpec(head))
        return head + kBackslash;
    return head.isEmpty() ? QString(kBackslash) : head;
}

QString fileName(const QString& path)
{
    const QString p = clean(path);
    if (isRoot(p))
        return {};
    const qsizetype at = p.lastIndexOf(kBackslash);
    return at < 0 ? p : p.mid(at + 1);
}

bool hasWildcard(const QString& path)
{
    return path.contains(QLatin1Char('*')) || path.contains(QLatin1Char('?'));
}

bool isRoot(const QString& path)
{
    const QString cleaned = clean(path);
    QStringView p(cleaned);
    if (p.endsWith(kBackslash))
        p.chop(1);
    if (isDriveSpec(p))
        return true;
    // "\\server\share": exactly two components after the leading "\\".
    if (p.startsWith(QLatin1String("\\\\"))) {
        const QStringView rest = p.mid(2);
        return rest.count(kBackslash) == 1 && !rest.startsWith(kBackslash) &&
               !rest.endsWith(kBackslash);
    }
    return false;
}

QString clean(const QString& path)
{
    QString p = path;
    while (p.size() > 1 && p.endsWith(kBackslash) && !isDriveSpec(QStringView(p).chopped(1)))
        p.chop(1);
    if (isDriveSpec(p))
        p += kBackslash;
    return p;
}

QString removeTrailingBackslash(const QString& path)
{
    return path.endsWith(kBackslash) ? path.chopped(1) : path;
}

QString withTrailingBackslash(const QString& path)
{
    return path.endsWith(kBackslash) ? path : path + kBackslash;
}

QString withoutDrive(const QString& path)
{
    QString name = path;
    name.replace(QLatin1Char('/'), kBackslash);
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':'))
        name.remove(0, 2);
    while (name.startsWith(kBackslash))
        name.remove(0, 1);
    return name;
}

bool samePath(const QString& a, const QString& b)
{
    return clean(a).compare(clean(b), Qt::CaseInsensitive) == 0;
}

bool isInside(const QString& path, const QString& folder)
{
    QString f = clean(folder);
    if (!f.endsWith(kBackslash))
        f += kBackslash;
    const QString p = clean(path);
    return p.size() > f.size() && p.startsWith(f, Qt::CaseInsensitive);
}

} // namespace kv::winpath
