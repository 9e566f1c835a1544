#include "backup/BackupZipListener.h"

#include "backup/BackupFileList.h"
#include "backup/BackupLog.h"
#include "backup/RunLog.h"
#include "backup/RunProgress.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "zip/ZipComponent.h"

namespace kv {

BackupZipListener::BackupZipListener(Ui& ui, RunProgress& progress, RunLog& log,
                                     const BackupFileList& files, zip::ZipComponent& zip,
                                     std::atomic<bool>& cancel)
    : m_ui(ui), m_progress(&progress), m_log(log), m_list(files), m_zip(zip), m_cancel(cancel)
{
}

void BackupZipListener::skippingFile(const QString& name, zip::SkipReason reason)
{
    if (!m_zipping)
        return;
    // Whatever keeps a file from being read (another program holding it, a file that vanished
    // since the inventory), the backup would silently lack it: the run stops instead.
    ++m_inUse;
    qCWarning(lcBackup) << "cannot read" << name << "reason" << int(reason)
                        << "- the backup is stopped";
    m_log.write({QStringLiteral("Unable to copy file: ") + name, QString()});
    const QString crlf = QStringLiteral("\r\n");
    m_ui.messageBox(Strings::get(StringId::FileInUse) + crlf + name + crlf +
                        Strings::get(StringId::FileInUseNotCopied),
                    MsgButtons::Ok, MsgIcon::Critical, Strings::programTitle());
    m_zip.setCancel(true);
}

void BackupZipListener::addingFile(const QString& path, quint64 size)
{
    if (!m_zipping)
        return;
    if (m_cancel)
        m_zip.setCancel(true); // asked before the component started, which clears the flag
    ++m_files;
    m_bytesDone += qint64(size);
    const BackupFileList::Entry* e = m_list.entryFor(path);
    using Role = BackupFileList::Entry::Role;
    if (e && e->role == Role::ItemList) {
        m_progress->setProgressText(Strings::get(StringId::SavingLogAndFinalizing));
    } else {
        QString name = e ? e->itemName : path;
        if (e && e->role == Role::Index)
            name += QStringLiteral(" - Index");
        m_progress->setProgressText(Strings::get(StringId::Saving) + name);
        const bool once = e && e->role == Role::Item && e->path.endsWith(QLatin1String("\\*"));
        if (!once || !m_loggedRows.contains(e->row)) {
            if (once)
                m_loggedRows.insert(e->row);
            m_log.write(QStringLiteral("Saved: ") + name);
        }
    }
    if (m_selectedSize > 0)
        m_progress->setPercent(int(qMin<qint64>(100, m_bytesDone * 100 / m_selectedSize)));
    m_progress->setBytes(m_bytesDone, m_selectedSize);
}

bool BackupZipListener::insertDisk(int diskNumber)
{
    const MsgResult r =
        m_ui.messageBox(Strings::get(StringId::InsertBackupDisk) + QString::number(diskNumber),
                        MsgButtons::OkCancel, MsgIcon::Information, Strings::programTitle());
    if (r == MsgResult::Ok)
        return true;
    qCInfo(lcBackup) << "disk" << diskNumber << "refused: the backup is cancelled";
    m_cancel = true;
    return false;
}

} // namespace kv
