#include "restore/RestoreZipListener.h"

#include "backup/ItemGrid.h"
#include "backup/RunLog.h"
#include "backup/RunProgress.h"
#include "platform/IFileSystem.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreSkipLines.h"
#include "restore/RestoreStart.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "zip/ZipComponent.h"
#include "zip/ZipNames.h"

namespace kv {

namespace {

// A name that stays in the folder it is written to: no folder part, no drive, no "..".
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
           !name.contains(u'/') && !name.contains(u':');
}

// "Inbox.idx" -> "Inbox.mbx": the extension field replaced, as the index belongs to its folder.
QString withExtension(const QString& name, const QString& extension)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot < 0 ? name + u'.' : name.left(dot + 1)) + extension;
}

// The last three characters replaced: a folder's index file beside its message file.
QString indexFileOf(const QString& path)
{
    return path.chopped(qMin<qsizetype>(3, path.size())) + QStringLiteral("idx");
}

QString withoutExtension(const QString& name)
{
    return name.size() > 4 ? name.chopped(4) : name;
}

} // namespace

RestoreZipListener::RestoreZipListener(platform::IFileSystem& files, Ui& ui, RunProgress& progress,
                                       RunLog& log, const RestoreContext& context,
                                       const QList<RestoreItem>& items, std::atomic<bool>& cancel)
    : m_files(files), m_ui(ui), m_progress(progress), m_log(log), m_context(context),
      m_items(items), m_cancel(cancel)
{
}

void RestoreZipListener::beginStep(Step step, zip::ZipComponent& zip)
{
    m_step = step;
    m_zip = &zip;
    m_pending = {};
    if (step != Step::Favorites)
        m_favoritesPrefix.clear();
}

void RestoreZipListener::setAddressBookTarget(const QString& targetName, const QString& keptPath)
{
    m_wabTarget = targetName;
    m_wabKept = keptPath;
    m_wabSaved = false;
}

void RestoreZipListener::skippingFile(const QString& name, zip::SkipReason reason)
{
    ++m_skipped;
    qCInfo(lcRestore).noquote() << "skipped" << name << "reason" << int(reason);
    reportSkippedFile(int(reason), name, &m_log, m_step == Step::Synchronise, m_ui);
}

void RestoreZipListener::extractingFile(const QString& entryName, QString& destName)
{
    m_pending = {};
    if (m_cancel) {
        if (m_zip)
            m_zip->setCancel(true);
        return;
    }
    switch (m_step) {
    case Step::Synchronise:
        return;
    case Step::AddressBook:
        if (entryName.endsWith(QStringLiteral("wab"), Qt::CaseInsensitive)) {
            m_progress.setProgressText(QStringLiteral("Restoring: Windows Address Book"));
            destName = m_wabTarget;
        }
        return;
    case Step::MailFolders:
        mailEntry(entryName, destName);
        return;
    case Step::News:
    case Step::Favorites:
        otherEntry(entryName, destName);
        return;
    }
}

void RestoreZipListener::mailEntry(const QString& entryName, QString& destName)
{
    const bool index = entryName.endsWith(QStringLiteral("idx"), Qt::CaseInsensitive);
    const QString mailbox = index ? withExtension(entryName, QStringLiteral("mbx")) : entryName;
    const RestoreItem* row = nullptr;
    for (const RestoreItem& item : m_items) {
        const bool mail =
            item.kind == int(ItemKind::MailFolder) || item.kind == int(ItemKind::NewsGroup);
        if (mail && item.fileName.compare(mailbox, Qt::CaseInsensitive) == 0) {
            row = &item;
            break;
        }
    }
    if (!row) {
        // The store's own files of a full restore: replaced like any folder file.
        otherEntry(entryName, destName);
        return;
    }
    if (!row->restoreToName.isEmpty() && !isPlainFileName(row->restoreToName)) {
        refuse(entryName, QStringLiteral("its target folder file is not a plain file name"),
               destName);
        return;
    }
    const QString display = row->displayName + (index ? QStringLiteral(" - Index") : QString());
    m_progress.setProgressText(QStringLiteral("Restoring: ") + display);
    QString line = QStringLiteral("Restored Folder: ") + display;
    if (!row->restoreToName.isEmpty()) {
        destName = index ? indexFileOf(row->restoreToName) : row->restoreToName;
        line += QStringLiteral(" --- as Folder: ") + withoutExtension(destName);
    }
    m_pending.logLine = line;
    m_pending.folderName = index ? QString() : row->displayName;
    m_pending.recycle = true;
    m_pending.recycleIdx = !m_context.oe5 && !index;
}

void RestoreZipListener::otherEntry(const QString& entryName, QString& destName)
{
    QString shown = entryName.section(u'\\', 0, 0);
    if (!m_favoritesPrefix.isEmpty() &&
        entryName.startsWith(m_favoritesPrefix, Qt::CaseInsensitive)) {
        const QString stripped = entryName.mid(m_favoritesPrefix.size());
        // What is left must still be a name below the Favorites folder.
        if (zip::isHostileName(stripped) || zip::safeRelativeName(stripped).isEmpty()) {
            refuse(entryName, QStringLiteral("it would be written outside the Favorites folder"),
                   destName);
            return;
        }
        destName = stripped;
        shown = stripped;
    }
    m_progress.setProgressText(QStringLiteral("Restoring: ") + shown);
    m_pending.logLine = QStringLiteral("Restored Folder: ") + withoutExtension(shown);
    // Favorites and the store's own files are overwritten in place: keep what they replace.
    m_pending.recycle = true;
}

void RestoreZipListener::refuse(const QString& entryName, const QString& why, QString& destName)
{
    qCWarning(lcRestore).noquote() << "refused entry" << entryName << ":" << why;
    log({QStringLiteral("Refused: '%1' - %2").arg(entryName, why)});
    // An empty name is one the component will not write: it skips the entry as corrupted.
    destName.clear();
    m_pending = {};
}

bool RestoreZipListener::replacingFile(const QString& target)
{
    if (m_step == Step::Synchronise) {
        fileDone();
        return true;
    }
    if (m_step == Step::AddressBook) {
        if (!keepAddressBook(target))
            return false;
        fileDone();
        return true;
    }
    if (m_pending.recycle && exists(target) && !recycle(target)) {
        log({QStringLiteral("Unable to move %1 to the Recycle Bin - the existing file was kept")
                 .arg(target)});
        return false;
    }
    if (m_pending.recycleIdx) {
        // Without its old index the folder's new message file is read afresh; a stale index
        // left beside it is only logged, as the message file itself is in place.
        const QString index = indexFileOf(target);
        if (exists(index) && !recycle(index))
            log({QStringLiteral("Unable to move %1 to the Recycle Bin").arg(index)});
    }
    if (!m_pending.logLine.isEmpty())
        log({m_pending.logLine});
    if (!m_pending.folderName.isEmpty())
        m_restoredFolders.append(m_pending.folderName);
    m_pending = {};
    fileDone();
    return true;
}

// The previous address book takes its kept name only now that its replacement is sound; a
// second address-book entry of the same archive never pushes the user's own file out.
bool RestoreZipListener::keepAddressBook(const QString& target)
{
    if (m_wabSaved || !exists(target)) {
        m_wabSaved = true;
        return true;
    }
    if (exists(m_wabKept) && !m_files.removeFile(m_wabKept)) {
        qCWarning(lcRestore).noquote()
            << "cannot delete" << m_wabKept << "error" << m_files.lastError();
        log({QStringLiteral("Unable to delete %1 - the address book was not replaced")
                 .arg(m_wabKept)});
        return false;
    }
    if (!m_files.moveFile(target, m_wabKept)) {
        qCWarning(lcRestore).noquote()
            << "cannot rename" << target << "to" << m_wabKept << "error" << m_files.lastError();
        log({QStringLiteral("Unable to rename %1 to %2 - the address book was not replaced")
                 .arg(target, m_wabKept)});
        return false;
    }
    m_wabSaved = true;
    return true;
}

bool RestoreZipListener::insertDisk(int diskNumber)
{
    const QString title =
        m_context.programTitle.isEmpty() ? Strings::programTitle() : m_context.programTitle;
    if (m_ui.messageBox(RestoreStart::insertDiskText(diskNumber), MsgButtons::OkCancel,
                        MsgIcon::Information, title) == MsgResult::Ok)
        return true;
    qCInfo(lcRestore) << "disk" << diskNumber << "refused";
    m_diskRefused = true;
    return false;
}

bool RestoreZipListener::recycle(const QString& path)
{
    if (m_files.moveToRecycleBin(path))
        return true;
    qCWarning(lcRestore).noquote()
        << "cannot move" << path << "to the Recycle Bin, error" << m_files.lastError();
    return false;
}

bool RestoreZipListener::exists(const QString& path)
{
    platform::FileEntry entry;
    return !path.isEmpty() && m_files.stat(path, &entry);
}

void RestoreZipListener::log(const QStringList& lines)
{
    // A synchronise run has no log; its problems reach the user as skipped-entry boxes.
    if (m_log.isOpen())
        m_log.write(lines);
}

void RestoreZipListener::fileDone()
{
    ++m_done;
    m_progress.setPercent(qMin(100, m_done * 100 / m_expected));
}

} // namespace kv
