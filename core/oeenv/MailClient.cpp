#include "oeenv/MailClient.h"

#include "oeenv/OeEnvLog.h"
#include "oeenv/RegistryAccess.h"
#include "shell/AppSettings.h"
#include "util/NulText.h"
#include "util/SystemUtils.h"

#include "platform/IFileSystem.h"
#include "platform/ISystem.h"
#include "platform/WinPath.h"

namespace kv::MailClient {

using namespace kv::platform;

namespace {

const QString kHkcu = QStringLiteral("HKCU");

// The API buffers these values were read through.
constexpr int kExpandBufferChars = 512;
constexpr int kUserNameBufferChars = 512;

QString fitBuffer(const QString& text, int chars)
{
    return cutAtNul(text).left(chars - 1);
}

QString readHkcu(RegistryAccess& reg, const QString& key, const QString& name)
{
    QString value;
    reg.readString(kHkcu, key, name, &value);
    return value;
}

} // namespace

QString mailDllPath(RegistryAccess& reg)
{
    QString path;
    reg.readString(QStringLiteral("HKCR"), QLatin1String(kMailDllClsidKey), QString(), &path);
    if (path.isEmpty())
        reg.readString(QStringLiteral("HKLM"), QLatin1String(kClientsMailKey),
                       QStringLiteral("DLLPath"), &path);
    return path;
}

ClientVersion versionOfDll(const QString& dllPath)
{
    if (dllPath.isEmpty())
        return ClientVersion::Missing;
    return winpath::fileName(dllPath).compare(QLatin1String("MSOE.DLL"), Qt::CaseInsensitive) == 0
               ? ClientVersion::OE5
               : ClientVersion::OE4;
}

Oe4Store oe4StoreRoot(RegistryAccess& reg, IFileSystem& files, ISystem& system)
{
    Oe4Store store;
    QString root = readHkcu(reg, QLatin1String(kOe4Key), QStringLiteral("Store Root"));
    if (root.isEmpty())
        return store;
    root = expandStoredPath(system, winpath::removeTrailingBackslash(root) + QLatin1Char('\\'));
    const QString mail = root + QStringLiteral("Mail\\");
    const QString news = root + QStringLiteral("News\\");
    if (SystemUtils::folderExists(files, mail))
        store.mailFolder = mail;
    if (SystemUtils::folderExists(files, news))
        store.newsFolder = news;
    store.newsFlag = int(store.newsFolder.size());
    return store;
}

QString Identities::idList() const
{
    QString list;
    for (const QString& id : ids)
        list += id + QChar(0);
    return list;
}

Identities enumerateIdentities(RegistryAccess& reg)
{
    Identities result;
    QString list;
    if (reg.enumSubKeys(kHkcu, QLatin1String(kIdentitiesKey), &list) != 0)
        return result;
    for (const QString& id : list.split(QChar(0), Qt::SkipEmptyParts)) {
        result.ids.append(id);
        result.names.append(readHkcu(reg, QLatin1String(kIdentitiesKey) + QLatin1Char('\\') + id,
                                     QStringLiteral("Username")));
    }
    const QString key = QLatin1String(kIdentitiesKey);
    const int def = indexOfId(result.ids, readHkcu(reg, key, QStringLiteral("Default User ID")));
    const int last = indexOfId(result.ids, readHkcu(reg, key, QStringLiteral("Last User ID")));
    result.defaultIndex = def > 0 ? def : 1;
    result.lastIndex = last > 0 ? last : 1;
    return result;
}

int indexOfId(const QStringList& ids, const QString& id)
{
    if (id.isEmpty())
        return 0;
    for (int i = 0; i < ids.size(); ++i)
        if (ids[i].compare(id, Qt::CaseInsensitive) == 0)
            return i + 1;
    return 0;
}

IdentityOption identityOption(AppSettings& settings)
{
    bool ok = false;
    const int option = settings.get(Setting::IdentOption, QString()).trimmed().toInt(&ok);
    for (IdentityOption known :
         {IdentityOption::Default, IdentityOption::Last, IdentityOption::Prompt})
        if (ok && option == int(known))
            return known;
    return IdentityOption::Default;
}

QString identityStoreRoot(RegistryAccess& reg, const QString& identityId)
{
    return readHkcu(reg,
                    QLatin1String(kIdentitiesKey) + QLatin1Char('\\') + identityId +
                        QLatin1Char('\\') + QLatin1String(kIdentityStoreKey),
                    QStringLiteral("Store Root"));
}

QString expandStoredPath(ISystem& system, const QString& path)
{
    QStringList parts = path.split(QLatin1Char('\\'));
    QString& first = parts.front();
    if (first.size() >= 2 && first.startsWith(u'%') && first.endsWith(u'%'))
        first = fitBuffer(system.expandEnvironmentStrings(first), kExpandBufferChars);
    return parts.join(QLatin1Char('\\'));
}

QString safeName(const QString& text)
{
    static const QString kUnsafe = QStringLiteral("\\/:*?\"<>|.");
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!kUnsafe.contains(c))
            out.append(c);
    return out;
}

QString myDocumentsFolder(RegistryAccess& reg, IFileSystem& files)
{
    const QString personal =
        readHkcu(reg, QLatin1String(kShellFoldersKey), QStringLiteral("Personal"));
    return (!personal.isEmpty() && SystemUtils::folderExists(files, personal)) ? personal : QString();
}

QString windowsUserName(ISystem& system)
{
    return fitBuffer(system.userName(), kUserNameBufferChars);
}

} // namespace kv::MailClient
