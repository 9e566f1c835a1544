#include "platform/posix/WineRegistry.h"

#include "platform/posix/WineRegKey.h"
#include "platform/posix/WineServerLock.h"

#include <QDateTime>
#include <QLoggingCategory>

namespace kv::platform::posix {

namespace {

Q_LOGGING_CATEGORY(lcRegistry, "kv.platform.registry")

constexpr int kMaxLinkDepth = 16;
constexpr int kMaxKeyNameLength = 255;
constexpr int kMaxValueNameLength = 16383;

const QString kDefaultUserKey = QStringLiteral(".Default");

QString keyName(Hive hive, const QString& path)
{
    return path.isEmpty() ? hiveName(hive) : hiveName(hive) + QLatin1Char('\\') + path;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

quint64 systemFileTime()
{
    return WineRegFile::fileTimeFromUnix(0) + quint64(QDateTime::currentMSecsSinceEpoch()) * 10000;
}

} // namespace

WineRegistry::WineRegistry(WinePrefix prefix) : m_prefix(std::move(prefix)), m_clock(systemFileTime)
{
}

WineRegistry::~WineRegistry() = default;

WinError WineRegistry::fail(WinError code, const QString& text)
{
    m_lastError = text;
    qCWarning(lcRegistry).noquote() << text;
    return code;
}

WineRegStore* WineRegistry::storeObject(int index)
{
    if (!m_stores[index]) {
        QString path;
        QByteArray relativeTo;
        if (index == kSystem) {
            path = m_prefix.systemRegPath();
            relativeTo = "REGISTRY\\\\Machine";
        } else if (index == kUser) {
            path = m_prefix.userRegPath();
            relativeTo = QByteArray("REGISTRY\\\\User\\\\") + kDefaultUserSid;
        } else {
            path = m_prefix.userDefRegPath();
            relativeTo = "REGISTRY\\\\User\\\\.Default";
        }
        m_stores[index] = std::make_unique<WineRegStore>(path, relativeTo);
    }
    return m_stores[index].get();
}

WinError WineRegistry::store(int index, WineRegStore** out)
{
    *out = storeObject(index);
    QString text;
    const WinError error = (*out)->load(now(), &text);
    if (error != kErrorSuccess)
        return fail(error, text);
    return kErrorSuccess;
}

QString WineRegistry::userSid()
{
    WineRegStore* user = storeObject(kUser);
    if (user->load(now(), nullptr) == kErrorSuccess) {
        const QList<QByteArray> parts = user->file()->relativeTo().split('\\');
        if (!parts.isEmpty() && parts.last().startsWith("S-"))
            return QString::fromLatin1(parts.last());
    }
    return QString::fromLatin1(kDefaultUserSid);
}

WinError WineRegistry::target(Hive hive, const QString& path, Target* out)
{
    QStringList parts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    for (const QString& part : parts) {
        if (part.size() > kMaxKeyNameLength)
            return fail(kErrorInvalidParameter,
                        QStringLiteral("The registry key name \"%1\" is too long.").arg(part));
    }
    switch (hive) {
    case Hive::CurrentUser:
        *out = {kUser, parts};
        return kErrorSuccess;
    case Hive::LocalMachine:
        *out = {kSystem, parts};
        return kErrorSuccess;
    case Hive::ClassesRoot:
        *out = {kSystem,
                QStringList{QStringLiteral("Software"), QStringLiteral("Classes")} + parts};
        return kErrorSuccess;
    case Hive::CurrentConfig:
        *out = {kSystem,
                QStringList{QStringLiteral("System"), QStringLiteral("CurrentControlSet"),
                            QStringLiteral("Hardware Profiles"), QStringLiteral("Current")} +
                    parts};
        return kErrorSuccess;
    case Hive::Users: {
        if (parts.isEmpty()) {
            *out = {-1, {}};
            return kErrorSuccess;
        }
        const QString user = parts.takeFirst();
        if (sameName(user, kDefaultUserKey)) {
            *out = {kUserDefault, parts};
            return kErrorSuccess;
        }
        if (sameName(user, userSid())) {
            *out = {kUser, parts};
            return kErrorSuccess;
        }
        m_lastError =
            QStringLiteral("The registry key %1 does not exist.").arg(keyName(hive, path));
        return kErrorFileNotFound;
    }
    case Hive::DynData:
        break;
    }
    return fail(kErrorInvalidHandle,
                QStringLiteral("HKEY_DYN_DATA exists only on Windows 95 and 98; this Windows "
                               "environment has no such hive."));
}

WinError WineRegistry::walk(Location from, const QStringList& parts, bool create, int depth,
                            Location* out)
{
    Location cur = from;
    for (const QString& part : parts) {
        WineRegKey* sub = cur.key->findSubKey(part);
        if (!sub) {
            if (!create)
                return kErrorFileNotFound;
            if (const WinError error = touchFile(cur.file); error != kErrorSuccess)
                return error;
            sub = cur.key->addSubKey(part, now());
            cur.key->setModified(now());
        }
        cur.key = sub;
        if (sub->isLink()) {
            Location linked;
            if (const WinError error = followLink(sub, depth + 1, &linked); error != kErrorSuccess)
                return error;
            cur = linked;
        }
    }
    *out = cur;
    return kErrorSuccess;
}

WinError WineRegistry::followLink(const WineRegKey* link, int depth, Location* out)
{
    if (depth > kMaxLinkDepth)
        return fail(kErrorFileNotFound,
                    QStringLiteral("Too many registry links below %1.").arg(link->path()));
    const RegNamedValue* value = link->findValue(QStringLiteral("SymbolicLinkValue"));
    if (!value || value->value.type != kRegLink)
        return kErrorFileNotFound;
    QStringList parts = value->value.toString().split(QLatin1Char('\\'), Qt::SkipEmptyParts);
    int file = -1;
    if (parts.size() >= 2 && sameName(parts[0], QStringLiteral("Registry"))) {
        if (sameName(parts[1], QStringLiteral("Machine"))) {
            file = kSystem;
            parts = parts.mid(2);
        } else if (parts.size() >= 3 && sameName(parts[1], QStringLiteral("User"))) {
            if (sameName(parts[2], kDefaultUserKey))
                file = kUserDefault;
            else if (sameName(parts[2], userSid()))
                file = kUser;
            parts = parts.mid(3);
        }
    }
    if (file < 0)
        return kErrorFileNotFound;
    WineRegStore* target = nullptr;
    if (const WinError error = store(file, &target); error != kErrorSuccess)
        return error;
    return walk(Location{file, target->file()->root()}, parts, false, depth, out);
}

WinError WineRegistry::resolve(Hive hive, const QString& path, bool create, Location* out)
{
    Target t;
    if (const WinError error = target(hive, path, &t); error != kErrorSuccess) {
        if (error == kErrorFileNotFound && create)
            return fail(kErrorAccessDenied,
                        QStringLiteral("Keys cannot be created directly under HKEY_USERS."));
        return error;
    }
    if (t.file < 0) {
        *out = {};
        return kErrorSuccess;
    }
    WineRegStore* s = nullptr;
    if (const WinError error = store(t.file, &s); error != kErrorSuccess)
        return error;
    const WinError error = walk(Location{t.file, s->file()->root()}, t.parts, create, 0, out);
    if (error == kErrorFileNotFound) {
        // HKCR and HKCC are roots even when the file does not hold their key yet.
        if (path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).isEmpty()) {
            *out = Location{t.file, nullptr};
            return kErrorSuccess;
        }
        m_lastError =
            QStringLiteral("The registry key %1 does not exist.").arg(keyName(hive, path));
    }
    return error;
}

bool WineRegistry::heldByAnotherProgram() const
{
    return WineServerLock(m_prefix.folder()).serverRunning();
}

WinError WineRegistry::beginWrite()
{
    const QString held = WineServerLock(m_prefix.folder()).heldLockFile();
    if (held.isEmpty())
        return kErrorSuccess;
    return fail(kErrorAccessDenied,
                QStringLiteral("Wine is running on the prefix %1; close its programs (or run "
                               "\"wineserver -k\") and try again. While Wine runs it keeps the "
                               "registry in memory and would overwrite any change, so the "
                               "registry can only be read.")
                    .arg(m_prefix.folder()));
}

WinError WineRegistry::touchFile(int index)
{
    WineRegStore* s = m_stores[index].get();
    QString text;
    if (const WinError error = s->checkWritable(&text); error != kErrorSuccess)
        return fail(error, text);
    s->markDirty();
    return kErrorSuccess;
}

QByteArray WineRegistry::prefixArch()
{
    for (int i : {kSystem, kUser, kUserDefault}) {
        WineRegStore* s = storeObject(i);
        if (s->load(now(), nullptr) == kErrorSuccess && s->existsOnDisk() && s->file()->arch())
            return *s->file()->arch();
    }
    return {};
}

WinError WineRegistry::commit()
{
    return m_writeThrough ? flush() : kErrorSuccess;
}

WinError WineRegistry::flush()
{
    WinError result = kErrorSuccess;
    for (auto& s : m_stores) {
        if (!s || !s->dirty())
            continue;
        // All files of a prefix must name the same architecture, or Wine refuses them.
        if (!s->existsOnDisk() && !s->file()->arch()) {
            const QByteArray arch = prefixArch();
            if (!arch.isEmpty())
                s->file()->setArch(arch);
        }
        QString text;
        const WinError error = s->save(&text);
        if (error != kErrorSuccess) {
            // The file on disk is still whole; forget what could not be written so that what
            // is read next is what the file holds.
            s->discard();
            result = fail(error, text);
        }
    }
    return result;
}

WinError WineRegistry::openKey(Hive hive, const QString& path)
{
    Location loc;
    return resolve(hive, path, false, &loc);
}

WinError WineRegistry::createKey(Hive hive, const QString& path)
{
    if (const WinError error = beginWrite(); error != kErrorSuccess)
        return error;
    Location loc;
    if (const WinError error = resolve(hive, path, true, &loc); error != kErrorSuccess)
        return error;
    return commit();
}

WinError WineRegistry::queryValue(Hive hive, const QString& path, const QString& name,
                                  RegValue* out)
{
    Location loc;
    if (const WinError error = resolve(hive, path, false, &loc); error != kErrorSuccess)
        return error;
    const RegNamedValue* value = loc.key ? loc.key->findValue(name) : nullptr;
    if (!value) {
        m_lastError = QStringLiteral("The registry value \"%1\" of %2 does not exist.")
                          .arg(name, keyName(hive, path));
        return kErrorFileNotFound;
    }
    *out = value->value;
    return kErrorSuccess;
}

WinError WineRegistry::setValue(Hive hive, const QString& path, const QString& name,
                                const RegValue& value)
{
    if (name.size() > kMaxValueNameLength)
        return fail(kErrorInvalidParameter, QStringLiteral("The registry value name is too long."));
    if (const WinError error = beginWrite(); error != kErrorSuccess)
        return error;
    Location loc;
    if (const WinError error = resolve(hive, path, true, &loc); error != kErrorSuccess)
        return error;
    if (!loc.key)
        return fail(kErrorAccessDenied,
                    QStringLiteral("Values cannot be stored directly in HKEY_USERS."));
    QString text;
    if (const WinError error = m_stores[loc.file]->checkWritable(&text); error != kErrorSuccess)
        return fail(error, text);
    if (loc.key->setValue(name, value)) {
        loc.key->setModified(now());
        m_stores[loc.file]->markDirty();
    }
    return commit();
}

WinError WineRegistry::deleteValue(Hive hive, const QString& path, const QString& name)
{
    if (const WinError error = beginWrite(); error != kErrorSuccess)
        return error;
    Location loc;
    if (const WinError error = resolve(hive, path, false, &loc); error != kErrorSuccess)
        return error;
    if (!loc.key || !loc.key->findValue(name)) {
        m_lastError = QStringLiteral("The registry value \"%1\" of %2 does not exist.")
                          .arg(name, keyName(hive, path));
        return kErrorFileNotFound;
    }
    if (const WinError error = touchFile(loc.file); error != kErrorSuccess)
        return error;
    loc.key->removeValue(name);
    loc.key->setModified(now());
    return commit();
}

WinError WineRegistry::deleteKeyTree(Hive hive, const QString& path)
{
    if (const WinError error = beginWrite(); error != kErrorSuccess)
        return error;
    Target t;
    if (const WinError error = target(hive, path, &t); error != kErrorSuccess)
        return error;
    const qsizetype ownParts = path.split(QLatin1Char('\\'), Qt::SkipEmptyParts).size();
    if (t.file < 0 || ownParts == 0 || (hive == Hive::Users && ownParts == 1))
        return fail(kErrorAccessDenied,
                    QStringLiteral("The root of a registry hive (%1) cannot be deleted.")
                        .arg(keyName(hive, path)));
    WineRegStore* s = nullptr;
    if (const WinError error = store(t.file, &s); error != kErrorSuccess)
        return error;
    Location parent;
    const QString last = t.parts.takeLast();
    WinError error = walk(Location{t.file, s->file()->root()}, t.parts, false, 0, &parent);
    WineRegKey* key = error == kErrorSuccess ? parent.key->findSubKey(last) : nullptr;
    if (!key) {
        m_lastError =
            QStringLiteral("The registry key %1 does not exist.").arg(keyName(hive, path));
        return kErrorFileNotFound;
    }
    if (error = touchFile(parent.file); error != kErrorSuccess)
        return error;
    // A link is removed itself; what it points to stays.
    parent.key->removeSubKey(key);
    parent.key->setModified(now());
    return commit();
}

WinError WineRegistry::enumSubKeys(Hive hive, const QString& path, QStringList* names)
{
    Location loc;
    if (const WinError error = resolve(hive, path, false, &loc); error != kErrorSuccess)
        return error;
    QStringList result;
    if (loc.file < 0) {
        result << kDefaultUserKey << userSid();
    } else if (loc.key) {
        for (const auto& sub : loc.key->subKeys())
            result << sub->name();
    }
    *names = result;
    return kErrorSuccess;
}

WinError WineRegistry::enumValues(Hive hive, const QString& path, QList<RegNamedValue>* values)
{
    Location loc;
    if (const WinError error = resolve(hive, path, false, &loc); error != kErrorSuccess)
        return error;
    *values = loc.key ? loc.key->values() : QList<RegNamedValue>{};
    return kErrorSuccess;
}

} // namespace kv::platform::posix
