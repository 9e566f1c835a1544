#include "backup/SettingsExport.h"

#include "backup/RegistryScript.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"

#include <QFileDevice>
#include <QLoggingCategory>
#include <QMap>

Q_LOGGING_CATEGORY(lcSettingsExport, "kv.backup.settings")

namespace kv {

using namespace platform;

namespace {

const QString kSharedAccounts = QStringLiteral("Software\\Microsoft\\Internet Account Manager");

struct GroupKeys
{
    ItemKind kind;
    QString oe4Key;
    QString oe5Tail; // below the identity's "Software\Microsoft\Outlook Express\5.0"; "" = special
};

const QList<GroupKeys>& groupKeys()
{
    static const QList<GroupKeys> keys = {
        {ItemKind::Rules, QStringLiteral("Software\\Microsoft\\Outlook Express\\Mail\\Inbox Rules"),
         QStringLiteral("Rules")},
        {ItemKind::Preferences, QStringLiteral("Software\\Microsoft\\Outlook Express\\Mail"),
         QStringLiteral("Mail")},
        {ItemKind::Accounts, kSharedAccounts, QString()},
        {ItemKind::Signatures, QStringLiteral("Software\\Microsoft\\Outlook Express\\Signatures"),
         QStringLiteral("Signatures")},
        {ItemKind::BlockSenders,
         QStringLiteral("Software\\Microsoft\\Outlook Express\\Block Senders"),
         QStringLiteral("Block Senders")},
        {ItemKind::RemoteAccess, QStringLiteral("RemoteAccess"), QString()},
    };
    return keys;
}

QString identityRoot(const QString& identityId)
{
    return QStringLiteral("Identities\\") + identityId;
}

QString keyFor(const GroupKeys& group, const SettingsExportRequest& request)
{
    if (!request.oe5 || group.oe5Tail.isEmpty())
        return group.oe4Key;
    return identityRoot(request.identityId) +
           QStringLiteral("\\Software\\Microsoft\\Outlook Express\\5.0\\") + group.oe5Tail;
}

// The accounts of an identity without its own default account live in the shared key. The script
// then restores them twice: first re-rooted below the identity, then where they were, so that
// either place the mail client looks finds them. Only key lines are re-rooted: a value that
// merely mentions the hive's name is data and stays as it was.
QByteArray underIdentityAndShared(const QByteArray& script, const QString& identityId)
{
    const QByteArray hive = "[HKEY_CURRENT_USER";
    const QByteArray moved = hive + "\\" + ansi::fromUnicode(identityRoot(identityId));
    QByteArray first;
    QByteArray rest;
    qsizetype pos = 0;
    for (int index = 0; pos < script.size(); ++index) {
        qsizetype end = script.indexOf("\r\n", pos);
        end = end < 0 ? script.size() : end + 2;
        QByteArray line = script.mid(pos, end - pos);
        pos = end;
        if (index > 0)
            rest += line;
        const char after = line.size() > hive.size() ? line.at(hive.size()) : 0;
        if (line.startsWith(hive) && (after == '\\' || after == ']'))
            line.replace(0, hive.size(), moved);
        first += line;
    }
    return first + rest;
}

QString reasonText(WinError error)
{
    if (error == kErrorDiskFull || error == kErrorHandleDiskFull)
        return QStringLiteral("the disk is full");
    if (error == kErrorPathNotFound)
        return QStringLiteral("the folder does not exist");
    if (error == kErrorAccessDenied)
        return QStringLiteral("access is denied");
    return QStringLiteral("Windows error %1").arg(error);
}

// The script goes to a file beside the target and takes the target's name only once it is
// complete, so a full disk never leaves half a script that the restore would import.
WinError writeWhole(IFileSystem& files, const QString& path, const QByteArray& bytes)
{
    const QString temp = path + QStringLiteral(".tmp");
    files.removeFile(temp);
    std::unique_ptr<QIODevice> out = files.open(temp, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!out)
        return files.lastError() ? files.lastError() : kErrorWriteFault;
    bool complete = out->write(bytes) == bytes.size();
    out->close();
    if (auto* file = qobject_cast<QFileDevice*>(out.get()))
        complete = complete && file->error() == QFileDevice::NoError;
    out.reset();
    WinError error = kErrorSuccess;
    if (!complete)
        error = files.lastError() ? files.lastError() : kErrorWriteFault;
    else if (!files.moveFile(temp, path))
        error = files.lastError() ? files.lastError() : kErrorWriteFault;
    if (error != kErrorSuccess)
        files.removeFile(temp);
    return error;
}

} // namespace

const QList<SettingsGroup>& settingsGroups()
{
    static const QList<SettingsGroup> groups = {
        {ItemKind::Rules, QStringLiteral("Rules Wizard"), QStringLiteral("\\Rules Wizard.reg"),
         QStringLiteral("[[ The Inbox Assistand rule definitions ]]")},
        {ItemKind::Preferences, QStringLiteral("Preferences"), QStringLiteral("\\Preferences.reg"),
         QStringLiteral("[[ Outlook Express preference settings ]]")},
        {ItemKind::Accounts, QStringLiteral("Accounts"), QStringLiteral("\\Internet Accounts.reg"),
         QStringLiteral("[[ Mail and News Group account information ]]")},
        {ItemKind::Signatures, QStringLiteral("Signatures"), QStringLiteral("\\Signatures.reg"),
         QStringLiteral("[[ Outlook Express Signatures ]]")},
        {ItemKind::BlockSenders, QStringLiteral("Block Senders"),
         QStringLiteral("\\Block Senders.reg"),
         QStringLiteral("[[ Outlook Express Block Senders]]")},
        {ItemKind::RemoteAccess, QStringLiteral("Remote Acccess"),
         QStringLiteral("\\Remote Access.reg"), QStringLiteral("[[ Windows Dial-up Networking ]]")},
    };
    return groups;
}

const SettingsGroup* settingsGroup(ItemKind kind)
{
    for (const SettingsGroup& group : settingsGroups())
        if (group.kind == kind)
            return &group;
    return nullptr;
}

QStringList settingsGroupKeys(ItemKind kind, bool oe5, const QString& identityId)
{
    for (const GroupKeys& group : groupKeys()) {
        if (group.kind != kind)
            continue;
        QStringList keys{keyFor(group, {QString(), oe5, identityId})};
        if (oe5 && kind == ItemKind::Accounts)
            keys << identityRoot(identityId) + u'\\' + kSharedAccounts;
        return keys;
    }
    return {};
}

SettingsExport::SettingsExport(platform::Platform& platform) : m_platform(platform) {}

SettingsExportResult SettingsExport::run(const SettingsExportRequest& request)
{
    IRegistry& registry = m_platform.registry;
    IFileSystem& files = m_platform.files;
    // A file left by an earlier run must not be offered as if this run had written it.
    for (const SettingsGroup& group : settingsGroups())
        files.removeFile(request.programFolder + group.fileName);

    QMap<ItemKind, QByteArray> scripts;
    for (const GroupKeys& group : groupKeys()) {
        if (group.kind == ItemKind::RemoteAccess && m_platform.system.windowsVersion().isNt())
            continue; // the NT family keeps its dial-up entries elsewhere
        // Version 4 keeps the rules as a subkey of the preferences, exported on their own.
        const bool withSubkeys = request.oe5 || group.kind != ItemKind::Preferences;
        scripts[group.kind] = RegistryScript::exportKey(registry, Hive::CurrentUser,
                                                        keyFor(group, request), withSubkeys);
    }
    if (request.oe5) {
        const QString ownAccounts = identityRoot(request.identityId) + u'\\' + kSharedAccounts;
        RegValue value;
        QString defaultAccount;
        if (registry.queryValue(Hive::CurrentUser, ownAccounts,
                                QStringLiteral("Default Mail Account"), &value) == kErrorSuccess &&
            value.isString())
            defaultAccount = value.toString();
        QByteArray& accounts = scripts[ItemKind::Accounts];
        if (!defaultAccount.isEmpty()) {
            const QByteArray own =
                RegistryScript::exportKey(registry, Hive::CurrentUser, ownAccounts, true);
            if (!own.isEmpty())
                accounts = own;
        } else if (!accounts.isEmpty()) {
            accounts = underIdentityAndShared(accounts, request.identityId);
        }
    }

    SettingsExportResult result;
    for (ItemKind kind : {ItemKind::Accounts, ItemKind::BlockSenders, ItemKind::Preferences,
                          ItemKind::RemoteAccess, ItemKind::Rules, ItemKind::Signatures}) {
        const SettingsGroup* group = settingsGroup(kind);
        const QString path = request.programFolder + group->fileName;
        const QByteArray script = scripts.value(kind);
        QString written;
        if (!script.isEmpty()) {
            const WinError error = writeWhole(files, path, script);
            if (error == kErrorSuccess) {
                written = path;
            } else {
                const QString reason = reasonText(error);
                result.errors << QStringLiteral("The settings \"%1\" could not be saved in \"%2\": "
                                                "%3.")
                                     .arg(group->rowText, path, reason);
                qCWarning(lcSettingsExport) << "cannot write" << path << ":" << reason;
            }
        }
        result.groups.append({kind, group->rowText, written});
    }
    return result;
}

} // namespace kv
