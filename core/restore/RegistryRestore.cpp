#include "restore/RegistryRestore.h"

#include "backup/RegistryScript.h"
#include "backup/RunLog.h"
#include "backup/SettingsExport.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "platform/WinPath.h"
#include "restore/RegistryImport.h"
#include "restore/RestoreLog.h"
#include "shell/GuardedRegistry.h"
#include "shell/Ui.h"
#include "zip/ZipComponent.h"

#include <QDateTime>
#include <QFileDevice>

namespace kv {

using namespace platform;

namespace {

const QByteArray kScriptHeader = "REGEDIT4\r\n\r\n";

QList<RegistryKeyPrefix> prefixesOf(const QStringList& keys)
{
    QList<RegistryKeyPrefix> prefixes;
    for (const QString& key : keys)
        prefixes.append({Hive::CurrentUser, key});
    return prefixes;
}

} // namespace

RegistryRestore::RegistryRestore(Platform& platform, RunLog& log, Ui& ui)
    : m_platform(platform), m_log(log), m_ui(ui)
{
}

QString RegistryRestore::confirmationText(const QString& scriptPath)
{
    return QStringLiteral("Are you sure you want to add the information in %1 to the registry?")
        .arg(scriptPath);
}

QString RegistryRestore::extractionFailedText(const QString& displayName, int result)
{
    return QStringLiteral("The settings group \"%1\" could not be taken from the backup file "
                          "(error %2), so these settings were not restored.")
        .arg(displayName)
        .arg(result);
}

QString RegistryRestore::failedText(const QString& displayName)
{
    return QStringLiteral("Restore of regisrty data for xxx failed.")
        .replace(QStringLiteral("xxx"), displayName);
}

RegistryRestoreOutcome RegistryRestore::run(const RegistryRestoreRequest& request)
{
    const SettingsGroup* group = settingsGroup(request.kind);
    if (!group) {
        qCWarning(lcRestore) << "not a settings group:" << int(request.kind);
        return RegistryRestoreOutcome::Skipped;
    }
    // The NT family keeps its dial-up entries elsewhere; a script from another system would
    // only leave a key nobody reads.
    if (request.kind == ItemKind::RemoteAccess && m_platform.system.windowsVersion().isNt())
        return RegistryRestoreOutcome::Skipped;
    const QString& name = request.displayName;
    // Checked before anything is touched: every write would be refused half-way otherwise.
    if (m_platform.registry.heldByAnotherProgram()) {
        qCWarning(lcRestore).noquote() << "registry held by another program; not restoring" << name;
        m_log.write({QStringLiteral("Restoring %1 - %2").arg(name, GuardedRegistry::lockedText()),
                     QString()});
        m_ui.messageBox(GuardedRegistry::lockedText(), MsgButtons::Ok, MsgIcon::Exclamation,
                        request.programTitle);
        return RegistryRestoreOutcome::RegistryHeld;
    }

    const QString path = winpath::join(request.programFolder, winpath::fileName(request.entryName));
    m_platform.files.removeFile(path);
    const int result = extract(request, path);
    if (result != 0) {
        qCWarning(lcRestore).noquote() << "cannot extract" << request.entryName << ":" << result;
        m_log.write({QStringLiteral("Restoring %1 - Unexpected Error - %2").arg(name).arg(result),
                     QString()});
        m_ui.messageBox(extractionFailedText(name, result), MsgButtons::Ok, MsgIcon::Exclamation,
                        request.programTitle);
        return RegistryRestoreOutcome::NotExtracted;
    }
    if (request.oe5 && !request.backupIdentityId.isEmpty() &&
        request.backupIdentityId.compare(request.currentIdentityId, Qt::CaseInsensitive) != 0 &&
        !rewriteIdentity(request, path))
        return fail(request, QStringLiteral("its file could not be rewritten for this identity"));
    bool read = false;
    const QByteArray script = readFile(path, &read);
    if (!read)
        return fail(request, QStringLiteral("its file could not be read"));

    if (m_ui.messageBox(confirmationText(path), MsgButtons::YesNo, MsgIcon::Question,
                        QStringLiteral("Registry Editor")) != MsgResult::Yes) {
        m_log.write(
            {QStringLiteral("%1 - Not restored: the import was declined").arg(name), QString()});
        return RegistryRestoreOutcome::Declined;
    }

    const QStringList keys =
        settingsGroupKeys(request.kind, request.oe5, request.currentIdentityId);
    bool saved = false;
    const QString safetyCopy = saveCurrent(request, keys, &saved);
    if (!saved)
        return fail(request, QStringLiteral("the current settings could not be saved first"));

    bool ok = true;
    if (request.deleteFirst) {
        for (const QString& key : keys) {
            const WinError error = m_platform.registry.deleteKeyTree(Hive::CurrentUser, key);
            if (error != kErrorSuccess && error != kErrorFileNotFound) {
                qCWarning(lcRestore).noquote() << "cannot delete" << key << ":" << error;
                ok = false;
                break;
            }
        }
    }
    ok = ok && import(script, keys, name);
    if (ok) {
        m_log.write({name + QStringLiteral(" Restored"), QString()});
        return RegistryRestoreOutcome::Restored;
    }
    putBack(safetyCopy, keys, name);
    return fail(request, QStringLiteral("the import failed"));
}

int RegistryRestore::extract(const RegistryRestoreRequest& request, const QString& path)
{
    zip::ZipComponent zip(m_platform.files);
    zip.setArchiveName(request.archivePath);
    zip.setDestination(request.programFolder);
    zip.setPathMode(zip::PathMode::FromMatch);
    zip.setFilesToProcess(request.entryName);
    const int result = zip.unzip();
    FileEntry entry;
    // A name that matched nothing leaves no file, whatever the component reported.
    if (result == 0 && !m_platform.files.stat(path, &entry))
        return zip::kZipNothingToDo;
    return result;
}

// The archive's keys name the identity it was made for; the settings belong to the current one.
bool RegistryRestore::rewriteIdentity(const RegistryRestoreRequest& request, const QString& path)
{
    IFileSystem& files = m_platform.files;
    const QString old = path + QStringLiteral(".old");
    files.removeFile(old);
    if (!files.moveFile(path, old)) {
        qCWarning(lcRestore).noquote() << "cannot rename" << path << ":" << files.lastError();
        return false;
    }
    bool read = false;
    QString text = ansi::toUnicode(readFile(old, &read));
    text.replace(request.backupIdentityId, request.currentIdentityId, Qt::CaseInsensitive);
    return read && writeFile(path, ansi::fromUnicode(text));
}

// The group's keys as they are now, so that a failed import can be undone and the user can go
// back by hand. "" with ok set when none of them exists.
QString RegistryRestore::saveCurrent(const RegistryRestoreRequest& request, const QStringList& keys,
                                     bool* ok)
{
    QByteArray script;
    for (const QString& key : keys) {
        QByteArray part =
            RegistryScript::exportKey(m_platform.registry, Hive::CurrentUser, key, true);
        if (!script.isEmpty() && part.startsWith(kScriptHeader))
            part.remove(0, kScriptHeader.size());
        script += part;
    }
    *ok = true;
    if (script.isEmpty())
        return {};
    const QString stem = winpath::fileName(settingsGroup(request.kind)->fileName).chopped(4);
    const QString path = winpath::join(
        request.programFolder,
        QStringLiteral("%1 before restore %2.reg")
            .arg(stem, m_platform.system.now().toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"))));
    *ok = writeFile(path, script);
    if (*ok)
        m_log.write(QStringLiteral("Prior settings saved in: ") + path);
    return *ok ? path : QString();
}

bool RegistryRestore::import(const QByteArray& script, const QStringList& keys, const QString& name)
{
    const RegistryImportResult result =
        RegistryImport(m_platform.registry, prefixesOf(keys)).run(script);
    for (const QString& problem : result.problems)
        m_log.write(QStringLiteral("%1 - Skipped: %2").arg(name, problem));
    if (!result.ok()) {
        qCWarning(lcRestore).noquote() << "import of" << name << "failed:" << result.errorText;
        m_log.write(QStringLiteral("%1 - %2").arg(name, result.errorText));
        return false;
    }
    if (result.keysWritten + result.valuesWritten + result.keysDeleted + result.valuesDeleted ==
        0) {
        qCWarning(lcRestore).noquote() << "nothing of" << name << "could be imported";
        m_log.write(QStringLiteral("%1 - Nothing in the file belongs to these settings").arg(name));
        return false;
    }
    return true;
}

// Undoes a half-done import: the group's keys go back to what the safety copy holds (or away,
// when there were none).
void RegistryRestore::putBack(const QString& safetyCopy, const QStringList& keys,
                              const QString& name)
{
    for (const QString& key : keys)
        m_platform.registry.deleteKeyTree(Hive::CurrentUser, key);
    if (safetyCopy.isEmpty())
        return;
    bool read = false;
    const QByteArray script = readFile(safetyCopy, &read);
    const RegistryImportResult result =
        read ? RegistryImport(m_platform.registry, prefixesOf(keys)).run(script)
             : RegistryImportResult{};
    if (read && result.ok()) {
        m_log.write(QStringLiteral("Prior settings put back from: ") + safetyCopy);
        return;
    }
    qCWarning(lcRestore).noquote() << "cannot put back" << name << "from" << safetyCopy;
    m_log.write(QStringLiteral("Prior settings could not be put back; they remain in: ") +
                safetyCopy);
}

RegistryRestoreOutcome RegistryRestore::fail(const RegistryRestoreRequest& request,
                                             const QString& why)
{
    qCWarning(lcRestore).noquote() << "restore of" << request.displayName << "failed:" << why;
    m_log.write(
        {request.displayName + QStringLiteral(" ******** Restore Failed ********"), QString()});
    m_ui.messageBox(failedText(request.displayName), MsgButtons::Ok, MsgIcon::Information,
                    request.programTitle);
    return RegistryRestoreOutcome::Failed;
}

bool RegistryRestore::writeFile(const QString& path, const QByteArray& bytes)
{
    IFileSystem& files = m_platform.files;
    std::unique_ptr<QIODevice> out = files.open(path, QIODevice::WriteOnly | QIODevice::Truncate);
    bool ok = out && out->write(bytes) == bytes.size();
    if (out) {
        out->close();
        if (auto* file = qobject_cast<QFileDevice*>(out.get()))
            ok = ok && file->error() == QFileDevice::NoError;
    }
    if (!ok) {
        qCWarning(lcRestore).noquote() << "cannot write" << path << ":" << files.lastError();
        files.removeFile(path);
    }
    return ok;
}

QByteArray RegistryRestore::readFile(const QString& path, bool* ok)
{
    std::unique_ptr<QIODevice> in = m_platform.files.open(path, QIODevice::ReadOnly);
    *ok = bool(in);
    if (!in) {
        qCWarning(lcRestore).noquote()
            << "cannot read" << path << ":" << m_platform.files.lastError();
        return {};
    }
    return in->readAll();
}

} // namespace kv
