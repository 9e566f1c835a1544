#include "restore/RestoreStart.h"

#include "backup/InventoryParts.h"
#include "grid/TreeListModel.h"
#include "msgstore/DbxFile.h"
#include "msgstore/MbxFile.h"
#include "platform/Platform.h"
#include "restore/RestoreContext.h"
#include "restore/RestoreLog.h"
#include "shell/MainState.h"
#include "util/SystemUtils.h"
#include "zip/ZipComponent.h"
#include "zip/ZipListener.h"

#include <QIODevice>

namespace kv {

namespace {

const QString kItemListName = QStringLiteral("KorvaneBackup.log");
constexpr int kLastSuccessResult = 59;

// Asks for the disks of a spanned set while the item list is extracted; a refused disk ends
// the restore before anything was changed.
class DiskPromptListener : public zip::ZipListener
{
public:
    DiskPromptListener(Ui& ui, const QString& title) : m_ui(ui), m_title(title) {}

    bool insertDisk(int diskNumber) override
    {
        const MsgResult r = m_ui.messageBox(RestoreStart::insertDiskText(diskNumber),
                                            MsgButtons::OkCancel, MsgIcon::Information, m_title);
        if (r == MsgResult::Ok)
            return true;
        qCInfo(lcRestore) << "disk" << diskNumber << "refused: the restore is cancelled";
        m_refused = true;
        return false;
    }
    bool refused() const { return m_refused; }

private:
    Ui& m_ui;
    QString m_title;
    bool m_refused = false;
};

// The header's message count into the row; a file that cannot be read keeps no count.
template <typename Reader>
void setMessageCount(platform::IFileSystem& files, TreeListModel& grid, int row,
                     const QString& windowsPath)
{
    Reader reader;
    if (reader.open(files.toHostPath(windowsPath))) {
        grid.setCell(row, cell::Counts, QString::number(reader.messageCount()));
        reader.close();
    } else {
        qCWarning(lcRestore).noquote()
            << "no message count for" << windowsPath << "-" << reader.lastError();
    }
}

} // namespace

RestoreStart::RestoreStart(platform::Platform& platform, Ui& ui) : m_platform(platform), m_ui(ui) {}

QString RestoreStart::defaultBackupPath(const QString& lastSaveFolder, const QString& lastSaveName)
{
    QString folder = lastSaveFolder;
    if (folder.endsWith(u'\\'))
        folder.chop(1);
    return folder + u'\\' + lastSaveName;
}

QString RestoreStart::insertDiskText(int diskNumber)
{
    if (diskNumber == 0)
        return QStringLiteral("Please insert the last disk of the backup set");
    return QStringLiteral("Please insert disk #") + QString::number(diskNumber) +
           QStringLiteral(" of the backup set");
}

BackupFileAnswer RestoreStart::askBackupFile(const BackupFileRequest& request, const QString& title)
{
    BackupFileRequest asked = request;
    for (;;) {
        const BackupFileAnswer answer = m_ui.chooseBackupFile(asked);
        if (answer.path.isEmpty())
            return {};
        if (SystemUtils::fileExists(m_platform.files, answer.path))
            return answer;
        qCInfo(lcRestore).noquote() << "backup file not found:" << answer.path;
        if (m_ui.messageBox(QStringLiteral("Backup file not found"), MsgButtons::RetryCancel,
                            MsgIcon::Exclamation, title) != MsgResult::Retry)
            return {};
        asked.defaultPath = answer.path;
    }
}

RestoreStart::ListLoad RestoreStart::loadItemList(const RestoreContext& context,
                                                  const ItemListReader::Options& options,
                                                  TreeListModel& grid)
{
    ListLoad load;
    platform::IFileSystem& files = m_platform.files;
    const QString copy = context.programFolder + u'\\' + kItemListName;
    const auto dropCopy = [&] {
        if (SystemUtils::fileExists(files, copy) && !files.removeFile(copy))
            qCWarning(lcRestore).noquote() << "cannot delete the item list copy" << copy;
    };
    const auto fail = [&](const QString& text) {
        m_ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, context.programTitle);
        dropCopy();
        load.status = ListStatus::Failed;
        return load;
    };
    const QString unexpected = QStringLiteral("Unexpected Error  %1   Unable to locate backup log");

    dropCopy();
    for (;;) {
        DiskPromptListener listener(m_ui, context.programTitle);
        zip::ZipComponent component(files, &listener);
        component.setArchiveName(context.archivePath);
        component.setFilesToProcess(kItemListName);
        component.setDestination(context.programFolder);
        component.setSpanning(true);
        component.setPathMode(zip::PathMode::FileNameOnly);
        load.zipResult = component.unzip();
        qCInfo(lcRestore).noquote() << "item list of" << context.archivePath << ":"
                                    << load.zipResult << zip::resultText(load.zipResult);
        if (listener.refused()) {
            dropCopy();
            load.status = ListStatus::Cancelled;
            return load;
        }
        if (load.zipResult == zip::kZipCannotOpen) {
            const QString text = QStringLiteral("Unable to open the backup file ") +
                                 context.archivePath +
                                 QStringLiteral("\n\nIf it is on a diskette, insert the disk and "
                                                "select Retry.");
            if (m_ui.messageBox(text, MsgButtons::RetryCancel, MsgIcon::Information,
                                context.programTitle) == MsgResult::Retry)
                continue;
            dropCopy();
            load.status = ListStatus::Cancelled;
            return load;
        }
        break;
    }
    // Results below 60 include "a file was skipped": the list may still be missing.
    if (load.zipResult > kLastSuccessResult || !SystemUtils::fileExists(files, copy)) {
        qCWarning(lcRestore).noquote() << "no item list in" << context.archivePath;
        return fail(unexpected.arg(load.zipResult));
    }

    QByteArray bytes;
    if (auto device = files.open(copy, QIODevice::ReadOnly))
        bytes = device->read(ItemListReader::kMaxBytes + 1);
    else
        qCWarning(lcRestore).noquote() << "cannot open the item list" << copy;
    load.list = ItemListReader::fill(bytes, options, grid);
    if (!load.list.ok || bytes.isEmpty()) {
        qCWarning(lcRestore).noquote()
            << "the item list of" << context.archivePath << "cannot be read";
        return fail(unexpected.arg(load.zipResult));
    }
    qCInfo(lcRestore) << "item list read:" << load.list.rowsAdded << "rows,"
                      << load.list.linesSkipped << "lines left out";
    load.status = ListStatus::Loaded;
    return load;
}

bool RestoreStart::loadCurrentFolders(const RestoreContext& context, AppSettings&,
                                      TreeListModel& current)
{
    current.clear();
    const QString index = context.storeFolder + (context.oe5 ? QStringLiteral("folders.dbx")
                                                             : QStringLiteral("folders.nch"));
    if (!SystemUtils::fileExists(m_platform.files, index)) {
        qCInfo(lcRestore).noquote()
            << "no folder index" << index << "- folders cannot be redirected";
        return false;
    }
    // The inventory's folder listing reads the store through the main state's store folder.
    MainState state;
    state.programTitle = context.programTitle;
    state.env.storeFolder = context.storeFolder;
    state.oe5Mode = context.oe5;
    InventoryTotals totals;
    InventoryContext ctx{m_platform, m_ui, state, current, totals};
    const bool listed =
        context.oe5 ? listOe5Folders(ctx, context.restoreType != 3) : listOe4Folders(ctx);
    if (!listed) {
        current.clear();
        return false;
    }
    current.redrawOff();
    const QString extension = context.oe5 ? QStringLiteral(".dbx") : QStringLiteral(".mbx");
    for (int row = 1; row < current.totalRowCount(); ++row) {
        const QString name = current.cell(row, cell::MbxName);
        const QString path = context.storeFolder + name;
        if (!name.endsWith(extension, Qt::CaseInsensitive) ||
            !SystemUtils::fileExists(m_platform.files, path)) {
            current.setForeColor(row, itemcolor::NoFile);
            continue;
        }
        current.setForeColor(row, color::kDefault);
        if (context.oe5)
            setMessageCount<msgstore::DbxFile>(m_platform.files, current, row, path);
        else
            setMessageCount<msgstore::MbxFile>(m_platform.files, current, row, path);
    }
    current.redrawOn();
    return true;
}

} // namespace kv
