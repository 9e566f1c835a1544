#include "platform/posix/WineSystem.h"

#include "platform/posix/PosixLog.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace kv::platform::posix {

namespace {

const QString kWindowsFolder = QStringLiteral("C:\\windows");
const QString kDefaultProgramFolder = QStringLiteral("C:\\Program Files\\Korvane");
const QString kShellFoldersKey =
    QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
const QString kSystemEnvironmentKey =
    QStringLiteral("System\\CurrentControlSet\\Control\\Session Manager\\Environment");
const QString kUserEnvironmentKey = QStringLiteral("Environment");

struct NamedVersion
{
    const char* names; // Wine's spelling and its aliases, separated by "|"
    WindowsVersion version;
};

// The versions Wine can be set to report, with the numbers it reports for them.
const NamedVersion kVersions[] = {
    {"win31", {3, 10, 0, 0, {}}},
    {"win95", {4, 0, 950, 1, {}}},
    {"win98", {4, 10, 2222, 1, QStringLiteral(" A")}},
    {"winme", {4, 90, 3000, 1, QStringLiteral(" ")}},
    {"nt351", {3, 51, 1057, 2, QStringLiteral("Service Pack 5")}},
    {"nt40", {4, 0, 1381, 2, QStringLiteral("Service Pack 6a")}},
    {"win2000|win2k", {5, 0, 2195, 2, QStringLiteral("Service Pack 4")}},
    {"winxp", {5, 1, 2600, 2, QStringLiteral("Service Pack 3")}},
    {"winxp64", {5, 2, 3790, 2, QStringLiteral("Service Pack 2")}},
    {"win2003|win2k3", {5, 2, 3790, 2, QStringLiteral("Service Pack 2")}},
    {"vista", {6, 0, 6002, 2, QStringLiteral("Service Pack 2")}},
    {"win2008|win2k8", {6, 0, 6002, 2, QStringLiteral("Service Pack 2")}},
    {"win7", {6, 1, 7601, 2, QStringLiteral("Service Pack 1")}},
    {"win2008r2|win2k8r2", {6, 1, 7601, 2, QStringLiteral("Service Pack 1")}},
    {"win8", {6, 2, 9200, 2, {}}},
    {"win81", {6, 3, 9600, 2, {}}},
    {"win10", {10, 0, 19043, 2, {}}},
    {"win11", {10, 0, 22000, 2, {}}},
};

QString hostUserName()
{
    const QString user = qEnvironmentVariable("USER");
    if (!user.isEmpty())
        return user;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    return QStringLiteral("user");
}

} // namespace

WineSystem::WineSystem(IRegistry& registry, QString programFolder, Clock clock, QString userName)
    : m_registry(registry), m_programFolder(std::move(programFolder)), m_clock(std::move(clock)),
      m_userName(std::move(userName))
{
    if (m_programFolder.isEmpty())
        m_programFolder = kDefaultProgramFolder;
    while (m_programFolder.size() > 3 && m_programFolder.endsWith(QLatin1Char('\\')))
        m_programFolder.chop(1);
    if (m_userName.isEmpty())
        m_userName = hostUserName();
}

QString WineSystem::userName()
{
    return m_userName;
}

QString WineSystem::windowsDirectory()
{
    return kWindowsFolder;
}

QString WineSystem::systemDirectory()
{
    return windowsVersion().isNt() ? kWindowsFolder + QStringLiteral("\\system32")
                                   : kWindowsFolder + QStringLiteral("\\system");
}

QString WineSystem::profileFolder()
{
    return QStringLiteral("C:\\users\\") + m_userName;
}

QString WineSystem::shellFolder(const QString& name, const QString& fallback)
{
    RegValue value;
    if (m_registry.queryValue(Hive::CurrentUser, kShellFoldersKey, name, &value) == kErrorSuccess &&
        value.isString() && !value.toString().isEmpty())
        return value.toString();
    return fallback;
}

QMap<QString, QString> WineSystem::environment()
{
    QMap<QString, QString> env;
    const auto set = [&env](const QString& name, const QString& value) {
        env.insert(name.toUpper(), value);
    };
    // Machine-wide first, then the user's profile, then the user's own variables: later ones
    // win, as they do when Windows builds a new process's environment.
    set(QStringLiteral("SystemRoot"), kWindowsFolder);
    set(QStringLiteral("windir"), kWindowsFolder);
    set(QStringLiteral("SystemDrive"), QStringLiteral("C:"));
    set(QStringLiteral("ProgramFiles"), QStringLiteral("C:\\Program Files"));
    set(QStringLiteral("CommonProgramFiles"), QStringLiteral("C:\\Program Files\\Common Files"));
    set(QStringLiteral("ALLUSERSPROFILE"), QStringLiteral("C:\\ProgramData"));
    set(QStringLiteral("ProgramData"), QStringLiteral("C:\\ProgramData"));
    set(QStringLiteral("PUBLIC"), QStringLiteral("C:\\users\\Public"));
    set(QStringLiteral("ComSpec"), systemDirectory() + QStringLiteral("\\cmd.exe"));
    set(QStringLiteral("COMPUTERNAME"),
        QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).toUpper());

    const auto load = [&](Hive hive, const QString& key) {
        QList<RegNamedValue> values;
        if (m_registry.enumValues(hive, key, &values) != kErrorSuccess)
            return;
        for (const RegNamedValue& named : values) {
            if (!named.value.isString() || named.name.isEmpty())
                continue;
            QString text = named.value.toString();
            if (named.value.type == kRegExpandSz)
                text = expand(text, env);
            const QString upper = named.name.toUpper();
            if (upper == QLatin1String("PATH") && hive == Hive::CurrentUser && env.contains(upper))
                text = env.value(upper) + QLatin1Char(';') +
                       text; // the user's PATH extends the machine's
            env.insert(upper, text);
        }
    };
    load(Hive::LocalMachine, kSystemEnvironmentKey);

    const QString profile = profileFolder();
    set(QStringLiteral("USERNAME"), m_userName);
    set(QStringLiteral("USERPROFILE"), profile);
    set(QStringLiteral("HOMEDRIVE"), QStringLiteral("C:"));
    set(QStringLiteral("HOMEPATH"), profile.mid(2));
    set(QStringLiteral("APPDATA"),
        shellFolder(QStringLiteral("AppData"), profile + QStringLiteral("\\AppData\\Roaming")));
    set(QStringLiteral("LOCALAPPDATA"),
        shellFolder(QStringLiteral("Local AppData"), profile + QStringLiteral("\\AppData\\Local")));

    load(Hive::CurrentUser, kUserEnvironmentKey);

    const QString temp = profile + QStringLiteral("\\Temp");
    if (!env.contains(QStringLiteral("TEMP")))
        set(QStringLiteral("TEMP"), temp);
    if (!env.contains(QStringLiteral("TMP")))
        set(QStringLiteral("TMP"), env.value(QStringLiteral("TEMP")));
    return env;
}

QString WineSystem::tempPath()
{
    const QMap<QString, QString> env = environment();
    QString path;
    for (const char* name : {"TMP", "TEMP", "USERPROFILE"}) {
        path = env.value(QString::fromLatin1(name));
        if (!path.isEmpty())
            break;
    }
    if (path.isEmpty())
        path = kWindowsFolder;
    if (!path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('\\');
    return path;
}

QString WineSystem::environmentVariable(const QString& name)
{
    return environment().value(name.toUpper());
}

QString WineSystem::expand(const QString& text, const QMap<QString, QString>& variables)
{
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c != QLatin1Char('%')) {
            out += c;
            ++i;
            continue;
        }
        const qsizetype close = text.indexOf(QLatin1Char('%'), i + 1);
        if (close < 0) {
            out += text.mid(i); // a lone "%" is plain text
            break;
        }
        const QString name = text.mid(i + 1, close - i - 1);
        const auto it = name.isEmpty() ? variables.end() : variables.find(name.toUpper());
        if (it != variables.end()) {
            out += it.value();
            i = close + 1;
        } else {
            // Unknown: kept as written, and its closing "%" may open the next name, as
            // ExpandEnvironmentStrings does it.
            out += QLatin1Char('%') + name;
            i = close;
        }
    }
    return out;
}

QString WineSystem::expandEnvironmentStrings(const QString& text)
{
    return expand(text, environment());
}

std::optional<WindowsVersion> WineSystem::versionNamed(const QString& name)
{
    const QString wanted = name.trimmed().toLower();
    for (const NamedVersion& entry : kVersions) {
        const QStringList names = QString::fromLatin1(entry.names).split(QLatin1Char('|'));
        if (names.contains(wanted))
            return entry.version;
    }
    return std::nullopt;
}

WindowsVersion WineSystem::windowsVersion()
{
    struct Place
    {
        Hive hive;
        QString key;
    };
    // Wine's order: the program's own setting, then the user's, then the machine's.
    const Place places[] = {
        {Hive::CurrentUser, QStringLiteral("Software\\Wine\\AppDefaults\\KV2000.exe")},
        {Hive::CurrentUser, QStringLiteral("Software\\Wine")},
        {Hive::LocalMachine, QStringLiteral("Software\\Wine")},
    };
    for (const Place& place : places) {
        RegValue value;
        if (m_registry.queryValue(place.hive, place.key, QStringLiteral("Version"), &value) !=
                kErrorSuccess ||
            !value.isString())
            continue;
        if (const auto version = versionNamed(value.toString()))
            return *version;
        qCWarning(lcPosix) << "unknown Windows version" << value.toString() << "in" << place.key;
    }
    return *versionNamed(QStringLiteral("win7"));
}

QString WineSystem::programFolder()
{
    return m_programFolder;
}

QDateTime WineSystem::now()
{
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

} // namespace kv::platform::posix
