#include "platform/posix/WinePathMapper.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace kv::platform::posix {

namespace {

// A host path with its existing part made canonical (links resolved), so that a path reached
// through a link still finds its drive. The missing tail is kept as given.
QString canonicalish(const QString& hostPath)
{
    QString path = QDir::cleanPath(QDir(QStringLiteral("/")).absoluteFilePath(hostPath));
    QStringList tail;
    while (!path.isEmpty()) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (!canonical.isEmpty()) {
            if (tail.isEmpty())
                return canonical;
            return QDir::cleanPath(canonical + QLatin1Char('/') + tail.join(QLatin1Char('/')));
        }
        if (path == QLatin1String("/"))
            break;
        tail.prepend(QFileInfo(path).fileName());
        path = QFileInfo(path).path();
    }
    return QDir::cleanPath(hostPath);
}

bool isUnder(const QString& path, const QString& root)
{
    if (root == QLatin1String("/"))
        return path.startsWith(QLatin1Char('/'));
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

WinePathMapper::WinePathMapper(WinePrefix prefix) : m_prefix(std::move(prefix)) {}

QList<QChar> WinePathMapper::driveLetters() const
{
    static const QRegularExpression drive(QStringLiteral("^[a-zA-Z]:$"));
    QList<QChar> letters;
    const QDir dir(m_prefix.dosDevicesPath());
    const QStringList names =
        dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (!drive.match(name).hasMatch())
            continue;
        const QChar letter = name.at(0).toLower();
        if (!letters.contains(letter))
            letters.append(letter);
    }
    std::sort(letters.begin(), letters.end());
    return letters;
}

QString WinePathMapper::driveRoot(QChar letter) const
{
    if (!letter.isLetter())
        return {};
    const QChar lower = letter.toLower();
    for (const QChar spelling : {lower, lower.toUpper()}) {
        const QString link =
            m_prefix.dosDevicesPath() + QLatin1Char('/') + spelling + QLatin1Char(':');
        const QFileInfo info(link);
        if (info.isSymLink())
            return QDir::cleanPath(info.symLinkTarget());
        if (info.isDir())
            return QDir::cleanPath(info.absoluteFilePath());
    }
    return {};
}

QChar WinePathMapper::driveOf(const QString& windowsPath)
{
    if (windowsPath.size() < 2 || windowsPath.at(1) != QLatin1Char(':') ||
        !windowsPath.at(0).isLetter() || windowsPath.at(0).unicode() > 0x7f)
        return {};
    if (windowsPath.size() > 2 && windowsPath.at(2) != QLatin1Char('\\') &&
        windowsPath.at(2) != QLatin1Char('/'))
        return {}; // "C:file" is relative to a drive's current folder, which we do not keep
    return windowsPath.at(0).toLower();
}

QChar WinePathMapper::rootDrive(const QString& root)
{
    if (root.size() > 3 ||
        (root.size() == 3 && root.at(2) != QLatin1Char('\\') && root.at(2) != QLatin1Char('/')))
        return {};
    return driveOf(root);
}

QStringList WinePathMapper::components(const QString& windowsPath)
{
    QString rest = windowsPath.mid(2);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    QStringList out;
    for (const QString& part : rest.split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out.append(part);
    }
    return out;
}

QString WinePathMapper::matchEntry(const QString& hostFolder, const QString& name)
{
    const QString exact = hostFolder + QLatin1Char('/') + name;
    if (QFileInfo::exists(exact) || QFileInfo(exact).isSymLink())
        return name;
    const QStringList entries =
        QDir(hostFolder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                       QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}

QString WinePathMapper::toHostPath(const QString& windowsPath) const
{
    const QChar letter = driveOf(windowsPath);
    if (letter.isNull())
        return {};
    QString host = driveRoot(letter);
    if (host.isEmpty())
        return {};
    bool resolving = true;
    for (const QString& part : components(windowsPath)) {
        QString name = part;
        if (resolving) {
            const QString found = matchEntry(host, part);
            if (found.isEmpty())
                resolving = false; // below a missing component nothing can exist
            else
                name = found;
        }
        host = host == QLatin1String("/") ? host + name : host + QLatin1Char('/') + name;
    }
    return host;
}

QString WinePathMapper::toWindowsPath(const QString& hostPath) const
{
    const QString path = canonicalish(hostPath);
    QChar best;
    QString bestRoot;
    for (const QChar letter : driveLetters()) {
        const QString root = canonicalish(driveRoot(letter));
        if (!isUnder(path, root))
            continue;
        if (best.isNull() || root.size() > bestRoot.size()) {
            best = letter;
            bestRoot = root;
        }
    }
    QString rest;
    if (best.isNull()) {
        best = QLatin1Char('z'); // Wine's own fallback: the host root is Z:
        rest = path;
    } else {
        rest = bestRoot == QLatin1String("/") ? path : path.mid(bestRoot.size());
    }
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (!rest.startsWith(QLatin1Char('\\')))
        rest.prepend(QLatin1Char('\\'));
    return best.toUpper() + QLatin1Char(':') + rest;
}

} // namespace kv::platform::posix
