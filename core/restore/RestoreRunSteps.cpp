#include "backup/ItemGrid.h"
#include "backup/RunProgress.h"
#include "platform/Platform.h"
#include "platform/WinPath.h"
#include "restore/RestoreFolders.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreRunner.h"
#include "shell/Ui.h"
#include "zip/ZipComponent.h"
#include "zip/ZipNames.h"

namespace kv {

using Step = RestoreZipListener::Step;

namespace {

bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
           !name.contains(u'/') && !name.contains(u':');
}

// A folder name below another that cannot climb out of it.
bool isSafeFolderName(const QString& name)
{
    return !name.isEmpty() && !zip::isHostileName(name) && zip::safeRelativeName(name) == name;
}

} // namespace

int RestoreRunner::extract(Step step, const QString& destination, const QStringList& files)
{
    zip::ZipComponent zip(m_platform.files, &m_listener);
    zip.setArchiveName(m_context.archivePath);
    zip.setDestination(destination);
    zip.setFilesToProcess(files.join(u'\r'));
    zip.setSpanning(true);
    // Entries arrive with their stored path from where the name matched: mail files by their
    // file name, news accounts and Favorites below their folder.
    zip.setPathMode(zip::PathMode::FromMatch);
    m_listener.beginStep(step, zip);
    if (m_cancel)
        return zip::kZipCancelled;
    const int rc = zip.unzip();
    qCInfo(lcRestore).noquote() << "extracted" << files.join(u',') << "into" << destination
                                << "result" << rc << zip::resultText(rc);
    return rc;
}

bool RestoreRunner::addressBook()
{
    const RestoreItem* row = firstOfKind(int(ItemKind::AddressBook));
    if (synchronise() || !row || !row->marked)
        return true;
    const WabRestoreTarget option =
        m_ui.chooseWabRestore(m_context.programFolder + QStringLiteral("\\KV2000.hlp"));
    const QString registered = m_platform.system.expandEnvironmentStrings(m_context.currentWabPath);
    QString destination;
    QString target;
    QString kept;
    if (option == WabRestoreTarget::NormalLocation && !registered.isEmpty()) {
        destination = winpath::parent(registered);
        target = winpath::fileName(registered);
        kept = registered.chopped(1) + u'x';
    } else {
        if (option == WabRestoreTarget::NormalLocation)
            log({QStringLiteral("No address book is registered - restoring to a separate file")});
        destination = m_context.documentsFolder.isEmpty() ? m_context.programFolder
                                                          : m_context.documentsFolder;
        destination = winpath::removeTrailingBackslash(destination);
        target = QStringLiteral("RestoredAddressBook.wab");
        kept = winpath::join(destination, target) + QStringLiteral(".bak");
    }
    m_listener.setAddressBookTarget(target, kept);
    const int rc = extract(Step::AddressBook, destination, {QStringLiteral("*.wab")});
    if (stopped())
        return false;
    if (rc == zip::kZipSuccess || rc == zip::kZipNothingToDo) {
        log({QStringLiteral("Restored Address Book to: ") + winpath::join(destination, target)});
        m_outcome.restored.append(row->displayName);
    } else {
        fail(QStringLiteral("WAB Restore Failed - internal error ") + QString::number(rc),
             QStringLiteral("Restore of Address Book - Unexpected Error ") + QString::number(rc));
        return true;
    }
    log({QString()});
    return true;
}

QStringList RestoreRunner::mailFileList()
{
    QStringList files;
    if (m_context.restoreType == 2 && m_context.oe5)
        files << QStringLiteral("folders.dbx") << QStringLiteral("pop3uidl.dbx");
    else if (m_context.restoreType == 2)
        files << QStringLiteral("folders.nch");
    for (const RestoreItem& item : m_items) {
        if (!item.marked ||
            (item.kind != int(ItemKind::MailFolder) && item.kind != int(ItemKind::NewsGroup)))
            continue;
        if (!isPlainFileName(item.fileName)) {
            refused(item.fileName, QStringLiteral("a folder file must be a plain file name"));
            continue;
        }
        files << item.fileName;
        if (item.hasIndex && !synchronise()) {
            const qsizetype dot = item.fileName.lastIndexOf(u'.');
            files << (dot < 0 ? item.fileName + u'.' : item.fileName.left(dot + 1)) +
                         QStringLiteral("idx");
        }
    }
    return files;
}

bool RestoreRunner::mailFolders()
{
    RestoreFolders folders(m_platform.files, m_ui, &m_log);
    const bool full = m_context.restoreType == 2;
    if (full && !m_context.oe5 && !synchronise() &&
        !folders.moveAsideFolder(m_context.oe4MailFolder)) {
        // Its files would be overwritten with nothing kept: leave the folder as it is.
        ++m_outcome.failedSteps;
        log({QStringLiteral("Restoring Message Folders - the prior folder could not be saved"),
             QString()});
        return true;
    }
    const QStringList files = mailFileList();
    if (files.isEmpty())
        return true;
    if (full && m_context.oe5 && !synchronise()) {
        switch (folders.offerSafetyCopy(m_context.storeFolder, m_platform.system.now().date())) {
        case SafetyCopyResult::Made:
        case SafetyCopyResult::Declined:
            break;
        case SafetyCopyResult::Cancelled:
            return false;
        case SafetyCopyResult::Failed:
            // Never overwrite the store without the copy the user asked for.
            ++m_outcome.failedSteps;
            return false;
        }
    }
    const QString destination = synchronise() ? m_context.tempFolder : m_context.storeFolder;
    const int rc = extract(synchronise() ? Step::Synchronise : Step::MailFolders,
                           winpath::removeTrailingBackslash(destination), files);
    m_outcome.mailResult = rc;
    m_outcome.restored.append(m_listener.restoredFolders());
    if (stopped()) {
        log({QStringLiteral("Message Folders Restore Cancelled"), QString()});
        return false;
    }
    if (synchronise())
        return true;
    if (rc == zip::kZipSuccess || rc == zip::kZipNothingToDo || rc == zip::kZipFilesSkipped) {
        log({QStringLiteral("Message Folders Restore Complete"), QString()});
        if (rc == zip::kZipFilesSkipped)
            m_ui.messageBox(QStringLiteral("One or more files were skipped - see log for details"),
                            MsgButtons::Ok, MsgIcon::Information, title());
    } else if (rc == zip::kZipCancelled) {
        log({QStringLiteral("Message Folders Restore Cancelled"), QString()});
    } else {
        fail(QStringLiteral("Mail Folder Restore Failed - internal error ") + QString::number(rc),
             QStringLiteral("Restoring Message Folders - Unexpected error - ") +
                 QString::number(rc));
    }
    return true;
}

bool RestoreRunner::news()
{
    if (m_context.oe5 || m_context.oe4ImportMode)
        return true;
    RestoreFolders folders(m_platform.files, m_ui, &m_log);
    for (const RestoreItem& item : m_items) {
        if (item.kind != int(ItemKind::Oe4NewsAccount) || !item.marked)
            continue;
        const QString name = winpath::removeTrailingBackslash(item.fileName);
        if (m_context.oe4NewsFolder.isEmpty() || !isSafeFolderName(name)) {
            refused(item.fileName, QStringLiteral("no news folder to restore it into"));
            continue;
        }
        if (!folders.moveAsideFolder(winpath::join(m_context.oe4NewsFolder, name))) {
            ++m_outcome.failedSteps;
            continue; // the account's prior folder could not be kept: it is not overwritten
        }
        const int rc =
            extract(Step::News, winpath::removeTrailingBackslash(m_context.oe4NewsFolder),
                    {name + QStringLiteral("\\*.*")});
        if (stopped())
            return false;
        if (rc == zip::kZipSuccess || rc == zip::kZipNothingToDo || rc == 30) {
            log({QStringLiteral("Outlook Express 4 News Restored"), QString()});
            m_outcome.restored.append(item.displayName);
        } else {
            fail(QStringLiteral("News Account Restore Failed - internal error ") +
                     QString::number(rc),
                 QStringLiteral("Restoring OE4 News Unexpected Error - ") + QString::number(rc));
        }
    }
    return true;
}

bool RestoreRunner::favorites()
{
    const RestoreItem* row = firstOfKind(int(ItemKind::Favorites));
    if (!row || !row->marked || m_context.favoritesFolder.isEmpty())
        return true;
    const QString stored = winpath::removeTrailingBackslash(row->fileName);
    const QString prefix = winpath::withoutDrive(stored);
    // A drive root or a climbing name would take every entry of the archive, or reach out.
    if (!isSafeFolderName(prefix)) {
        refused(row->fileName, QStringLiteral("not a folder the Favorites can be taken from"));
        return true;
    }
    const QString folder = winpath::removeTrailingBackslash(m_context.favoritesFolder);
    if (!m_platform.files.makeSurePath(folder + u'\\'))
        qCWarning(lcRestore).noquote() << "cannot create" << folder << m_platform.files.lastError();
    m_listener.setFavoritesPrefix(prefix + u'\\');
    const int rc = extract(Step::Favorites, folder, {stored + QStringLiteral("\\*.*")});
    if (stopped())
        return false;
    if (rc == zip::kZipSuccess || (rc >= 10 && rc <= 50 && rc % 10 == 0)) {
        log({QStringLiteral("Internet Explorer Favorites Restored")});
        m_outcome.restored.append(row->displayName);
    } else {
        fail(QStringLiteral("Favorites Restore Failed - internal error ") + QString::number(rc),
             QStringLiteral("Restoring Favorites - Unexpected Error - ") + QString::number(rc));
        return true;
    }
    log({QString()});
    return true;
}

} // namespace kv
