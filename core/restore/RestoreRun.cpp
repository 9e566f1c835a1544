#include "restore/RestoreRun.h"

#include "backup/ItemGrid.h"
#include "backup/ItemList.h"
#include "backup/RunProgress.h"
#include "platform/Platform.h"
#include "restore/RegistryRestore.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreRunner.h"
#include "shell/GuardedRegistry.h"
#include "shell/Strings.h"
#include "shell/Ui.h"

namespace kv {

RestoreRun::RestoreRun(platform::Platform& platform, Ui& ui, RunProgress& progress)
    : m_platform(platform), m_ui(ui), m_progress(progress)
{
}

RestoreOutcome RestoreRun::run(const RestoreContext& context, const QList<RestoreItem>& items)
{
    m_cancel = false;
    RestoreRunner runner(m_platform, m_ui, m_progress, m_cancel, context, items);
    return runner.run();
}

RestoreRunner::RestoreRunner(platform::Platform& platform, Ui& ui, RunProgress& progress,
                             std::atomic<bool>& cancel, const RestoreContext& context,
                             const QList<RestoreItem>& items)
    : m_platform(platform), m_ui(ui), m_progress(progress), m_cancel(cancel), m_context(context),
      m_items(items), m_log(platform.files),
      m_listener(platform.files, ui, progress, m_log, context, items, cancel)
{
}

RestoreOutcome RestoreRunner::run()
{
    if (!anythingMarked()) {
        qCInfo(lcRestore) << "nothing is marked for the restore";
        m_outcome.status = RestoreOutcome::Status::NothingMarked;
        return m_outcome;
    }
    // Before anything changes: the folders must not be replaced when the settings cannot be.
    if (registryHeld()) {
        m_outcome.status = RestoreOutcome::Status::RegistryHeld;
        return m_outcome;
    }
    int expected = m_context.restoreType == 2 ? 2 : 0;
    for (const RestoreItem& item : m_items)
        if (item.marked && !isSettingsGroup(item.kind))
            expected += item.hasIndex ? 2 : 1;
    m_listener.setExpectedFiles(expected);
    m_progress.setPercent(0);

    openLog();
    if (!addressBook() || !mailFolders())
        return stop();
    if (synchronise()) {
        m_outcome.status = RestoreOutcome::Status::SynchroniseReady;
        return m_outcome;
    }
    if (!news() || !favorites())
        return stop();
    settingsGroups();
    finish();
    return m_outcome;
}

bool RestoreRunner::anythingMarked() const
{
    if (m_context.restoreType == 2)
        return true; // a full restore brings the store's own files back in any case
    for (const RestoreItem& item : m_items)
        if (item.marked)
            return true;
    return false;
}

bool RestoreRunner::registryHeld()
{
    if (m_context.oe4ImportMode || synchronise())
        return false;
    const bool nt = m_context.ntFamily || m_platform.system.windowsVersion().isNt();
    bool settings = false;
    for (const RestoreItem& item : m_items)
        if (item.marked && isSettingsGroup(item.kind) &&
            !(nt && item.kind == int(ItemKind::RemoteAccess)))
            settings = true;
    if (!settings || !m_platform.registry.heldByAnotherProgram())
        return false;
    qCWarning(lcRestore) << "the registry is held by another program; nothing is restored";
    m_ui.messageBox(GuardedRegistry::lockedText(), MsgButtons::Ok, MsgIcon::Exclamation, title());
    return true;
}

void RestoreRunner::openLog()
{
    if (synchronise()) {
        m_progress.setProgressText(QStringLiteral("Retrieving message folders"));
        return;
    }
    // Without a log the run goes on, as it always did; the user is told of failures anyway.
    if (!m_log.open(RunLog::tempPath(m_context.programFolder)))
        qCWarning(lcRestore).noquote() << "restoring without a log";
    log({QStringLiteral("V5 - Korvane Restore -- ") + ItemList::dateText(m_platform.system.now())});
    if (m_context.oe5)
        log({QStringLiteral("Identity key: ") + m_context.currentIdentityId});
    log({QString()});
}

void RestoreRunner::settingsGroups()
{
    if (m_context.oe4ImportMode)
        return;
    const bool nt = m_context.ntFamily || m_platform.system.windowsVersion().isNt();
    const std::pair<ItemKind, bool> order[] = {
        {ItemKind::Preferences, false}, {ItemKind::Rules, true},
        {ItemKind::Accounts, true},     {ItemKind::Signatures, true},
        {ItemKind::BlockSenders, true}, {ItemKind::RemoteAccess, true},
    };
    RegistryRestore restore(m_platform, m_log, m_ui);
    for (const auto& [kind, deleteFirst] : order) {
        const RestoreItem* row = firstOfKind(int(kind));
        if (!row || !row->marked || (kind == ItemKind::RemoteAccess && nt))
            continue;
        m_progress.setProgressText(QStringLiteral("Restoring: ") + row->displayName);
        RegistryRestoreRequest request;
        request.kind = kind;
        request.archivePath = m_context.archivePath;
        request.entryName = row->fileName;
        request.displayName = row->displayName;
        request.deleteFirst = deleteFirst;
        request.oe5 = m_context.oe5;
        request.backupIdentityId = m_context.backupIdentityId;
        request.currentIdentityId = m_context.currentIdentityId;
        request.programFolder = m_context.programFolder;
        request.programTitle = title();
        switch (restore.run(request)) {
        case RegistryRestoreOutcome::Restored:
            m_outcome.restored.append(row->displayName);
            break;
        case RegistryRestoreOutcome::Skipped:
        case RegistryRestoreOutcome::Declined:
            break;
        case RegistryRestoreOutcome::NotExtracted:
        case RegistryRestoreOutcome::RegistryHeld:
        case RegistryRestoreOutcome::Failed:
            ++m_outcome.failedSteps;
            break;
        }
    }
}

void RestoreRunner::finish()
{
    log({QStringLiteral("V5 - Korvane Restore Ended: ") +
             ItemList::dateText(m_platform.system.now()),
         QString(), QStringLiteral("Korvane 2000 Version: ") + m_context.versionText});
    if (m_log.isOpen()) {
        if (m_log.closeAndRename(m_context.restoreLogPath))
            m_outcome.logPath = m_context.restoreLogPath;
        else
            qCWarning(lcRestore).noquote() << "the restore log keeps its temporary name";
    }
    m_outcome.skippedFiles = m_listener.skippedFiles();
    m_progress.setPercent(100);
    QString text = QStringLiteral("Restore is Complete");
    if (m_context.oe4ImportMode) {
        const QChar br = Strings::kLineBreak;
        text = QStringLiteral("The Outlook Express 4 Mail folders have been restored to:") + br +
               m_context.oe4MailFolder + br + br +
               QStringLiteral("Start OE5 and follow the instructions in the Korvane Help file") +
               br + QStringLiteral("Look for the help topic \"Migrating from OE4 to OE5\"");
    }
    m_ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, title());
}

// A run stopped early keeps its log under the temporary name, as a cancelled run always did.
RestoreOutcome RestoreRunner::stop()
{
    qCInfo(lcRestore) << "the restore was stopped";
    const bool kept = m_log.isOpen();
    m_log.close();
    m_outcome.status = RestoreOutcome::Status::Cancelled;
    m_outcome.skippedFiles = m_listener.skippedFiles();
    m_outcome.logPath = kept ? RunLog::tempPath(m_context.programFolder) : QString();
    return m_outcome;
}

const RestoreItem* RestoreRunner::firstOfKind(int kind) const
{
    for (const RestoreItem& item : m_items)
        if (item.kind == kind)
            return &item;
    return nullptr;
}

bool RestoreRunner::stopped() const
{
    return m_cancel || m_listener.diskRefused();
}

void RestoreRunner::fail(const QString& message, const QString& logLine)
{
    ++m_outcome.failedSteps;
    qCWarning(lcRestore).noquote() << logLine;
    m_ui.messageBox(message, MsgButtons::Ok, MsgIcon::Information, title());
    log({logLine, QString()});
}

void RestoreRunner::refused(const QString& what, const QString& why)
{
    ++m_outcome.failedSteps;
    qCWarning(lcRestore).noquote() << "refused" << what << ":" << why;
    log({QStringLiteral("Refused: '%1' - %2").arg(what, why), QString()});
}

void RestoreRunner::log(const QStringList& lines)
{
    if (m_log.isOpen())
        m_log.write(lines);
}

QString RestoreRunner::title() const
{
    return m_context.programTitle.isEmpty() ? Strings::programTitle() : m_context.programTitle;
}

} // namespace kv
