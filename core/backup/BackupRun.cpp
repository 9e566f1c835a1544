#include "backup/BackupRun.h"

#include "backup/BackupFileList.h"
#include "backup/BackupLog.h"
#include "backup/BackupOutcome.h"
#include "backup/BackupPurge.h"
#include "backup/BackupZipListener.h"
#include "backup/ExistingArchive.h"
#include "backup/Inventory.h"
#include "backup/ItemList.h"
#include "backup/RunLog.h"
#include "backup/RunProgress.h"
#include "grid/TreeListModel.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "platform/WinPath.h"
#include "shell/AppSettings.h"
#include "shell/ControlFile.h"
#include "shell/MainState.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/TaskRunner.h"
#include "zip/ZipComponent.h"

#include <atomic>

namespace kv {

using platform::DriveType;

namespace {

QString flagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

bool writeTextFile(platform::IFileSystem& files, const QString& path, const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += ansi::fromUnicode(line) + "\r\n";
    auto out = files.open(path, QIODevice::WriteOnly | QIODevice::Truncate);
    if (!out || out->write(bytes) != bytes.size()) {
        qCWarning(lcBackup) << "cannot write" << path << "error" << files.lastError();
        return false;
    }
    return true;
}

} // namespace

class BackupRun::Impl
{
public:
    Impl(platform::Platform& p, Ui& ui, AppSettings& settings, MainState& state,
         TreeListModel& grid, InventoryTotals& totals, RunProgress& progress)
        : m_p(p), m_ui(ui), m_settings(settings), m_state(state), m_grid(grid), m_totals(totals),
          m_progress(progress), m_out(&progress), m_log(p.files), m_zip(p.files),
          m_listener(ui, *m_out, m_log, m_list, m_zip, m_cancel)
    {
        m_zip.setListener(&m_listener);
    }

    bool prepare();
    void zipAndVerify();
    void finish();
    void requestCancel()
    {
        m_cancel = true;
        m_zip.setCancel(true);
    }

    bool writabilityTest();
    void writeHeader();
    void writeItemList();
    bool chooseDestination(bool* skipExisting);
    void endLines();
    bool isKindSelected(ItemKind kind) const;
    void saveSettings();
    void purge();

    platform::Platform& m_p;
    Ui& m_ui;
    AppSettings& m_settings;
    MainState& m_state;
    TreeListModel& m_grid;
    InventoryTotals& m_totals;
    RunProgress& m_progress;
    RunProgress* m_out; // the wizard page or the quick-backup window
    RunLog m_log;
    BackupFileList m_list;
    zip::ZipComponent m_zip;
    std::atomic<bool> m_cancel{false};
    BackupZipListener m_listener;
    ExistingArchive m_existing{m_p.files};

    QString m_saveLocation;
    QString m_backupFile;
    int m_result = -1;
    BackupEnd m_end = BackupEnd::Close;
    bool m_showLog = false;
    bool m_quickWindow = false;
    BackupSummary m_summary;
};

bool BackupRun::Impl::writabilityTest()
{
    const QString root = m_saveLocation.left(3);
    if (m_p.files.driveType(root) == DriveType::CdRom)
        return true;
    const QString probe =
        winpath::removeTrailingBackslash(m_saveLocation) + QStringLiteral("\\Korvane.tst");
    for (;;) {
        if (auto f = m_p.files.open(probe, QIODevice::WriteOnly | QIODevice::Truncate)) {
            f->close();
            f.reset();
            m_p.files.removeFile(probe);
            return true;
        }
        qCWarning(lcBackup) << "cannot write to" << m_saveLocation << "error"
                            << m_p.files.lastError();
        const MsgResult r = m_ui.messageBox(
            QStringLiteral("Disk Access Error - Check that disk is ready and not Write protected"),
            MsgButtons::RetryCancel, MsgIcon::Critical, Strings::programTitle());
        if (r != MsgResult::Retry)
            return false;
    }
}

void BackupRun::Impl::writeHeader()
{
    const QString now = ItemList::dateText(m_p.system.now());
    m_log.write(QStringLiteral("V5 - Korvane Backup -- ") + now);
    if (m_state.oe5Mode)
        m_log.write(QStringLiteral("Identity key: ") + m_state.env.chosenId);
    m_log.write({QString(), QStringLiteral("Backup file: ") + m_backupFile,
                 QStringLiteral("Mail path  : ") + m_state.env.storeFolder});
    if (!m_state.oe5Mode)
        m_log.write(QStringLiteral("News path  : ") + m_state.env.oe4.newsFolder);
    m_log.write(QString());
}

void BackupRun::Impl::writeItemList()
{
    const QString path = m_state.programFolder + u'\\' + QLatin1String(ItemList::kFileName);
    BackupFileList::Store store{m_state.oe5Mode, m_state.env.storeFolder,
                                m_state.env.oe4.newsFolder};
    m_list.build(m_p.files, m_grid, store);
    QStringList lines{
        ItemList::headerLine(m_p.system.now(), m_state.oe5Mode ? m_state.env.chosenId : QString()),
        ItemList::folderIndexLine(m_state.oe5Mode)};
    lines += m_list.itemLines();
    // Without it the zip reports the file as unreadable and the run stops there.
    writeTextFile(m_p.files, path, lines);
    m_list.addItemList(path);
    m_listener.setSelectedSize(m_list.selectedSize());
    m_totals.selectedCount = m_list.selectedItems();
}

bool BackupRun::Impl::isKindSelected(ItemKind kind) const
{
    for (int row = 1; row < m_grid.totalRowCount(); ++row)
        if (itemKind(m_grid, row) == int(kind))
            return m_grid.checkState(row) == kSelected;
    return false;
}

bool BackupRun::Impl::chooseDestination(bool* skipExisting)
{
    *skipExisting = false;
    const QString root = m_backupFile.left(3);
    const QString drive = m_backupFile.left(2).toLower();
    if (drive != QLatin1String("a:") && drive != QLatin1String("b:")) {
        if (m_p.files.driveType(root) == DriveType::Removable)
            m_zip.setSpanning(true);
        return true;
    }
    const MsgResult r =
        m_ui.messageBox(Strings::get(StringId::InsertFirstDiskette), MsgButtons::OkCancel,
                        MsgIcon::None, Strings::programTitle());
    if (r != MsgResult::Ok) {
        qCInfo(lcBackup) << "first diskette refused";
        return false;
    }
    m_zip.setSpanning(true);
    if (!m_state.clearDisks)
        return true;
    // A prefix may link A: to any folder of the host: only a real removable drive, written at
    // its root, is ever emptied.
    const bool removable = m_p.files.driveType(root) == DriveType::Removable;
    if (removable && winpath::isRoot(winpath::clean(m_saveLocation))) {
        m_zip.setClearDisks(true);
        *skipExisting = true;
    } else {
        qCWarning(lcBackup) << "clear-disks ignored for" << m_saveLocation;
        m_log.write({QStringLiteral("Diskettes not cleared: ") + m_saveLocation +
                         QStringLiteral(" is not the root of a removable drive"),
                     QString()});
    }
    return true;
}

bool BackupRun::Impl::prepare()
{
    m_state.function = MainFunction::Backup;
    m_backupFile = m_state.backupFile;
    m_saveLocation = m_state.saveFolder;
    if (m_state.quickBackup && m_backupFile.isEmpty()) {
        m_backupFile = m_state.backupName;
        m_saveLocation = m_state.lastSaveFolder;
    }
    if (m_saveLocation.isEmpty())
        m_saveLocation = winpath::parent(m_backupFile);
    m_summary = BackupSummary();

    if (!writabilityTest()) {
        m_end = BackupEnd::Close;
        return false;
    }
    m_log.open(RunLog::tempPath(m_state.programFolder));
    writeHeader();

    if (m_state.quickBackup) {
        if (RunProgress* quick = m_ui.openQuickBackupWindow([this] { requestCancel(); })) {
            m_out = quick;
            m_listener.setProgress(*quick);
        }
        m_quickWindow = true;
    } else {
        m_progress.setPhase(RunPhase::Preparing);
    }
    markParentsOfSelectedRows(m_grid);
    writeItemList();

    bool skipExisting = false;
    if (!chooseDestination(&skipExisting)) {
        m_progress.setPhase(RunPhase::Returned);
        m_log.close();
        m_end = BackupEnd::StayOpen;
        return false;
    }
    QString target = m_backupFile;
    if (!skipExisting)
        target = m_existing.prepare(m_backupFile, m_saveLocation, m_state.renameExisting,
                                    m_zip.spanning(), m_log);
    m_zip.setArchiveName(target);

    m_out->setMeterVisible(true);
    m_out->setPercent(0);
    m_progress.setPhase(RunPhase::Zipping);
    m_state.busy = true;
    return true;
}

void BackupRun::Impl::zipAndVerify()
{
    m_zip.setFilesToProcess(m_list.joined());
    m_zip.setTempFolder(m_state.useSysTemp ? m_p.system.tempPath() : m_state.programFolder);
    m_zip.setUseTempFile(true);
    m_listener.setZipping(true);
    m_result = m_cancel ? int(zip::kZipCancelled) : m_zip.zip();
    qCInfo(lcBackup) << "zip of" << m_zip.archiveName() << "gave" << m_result;
    if (m_result == zip::kZipSuccess && !m_cancel) {
        m_out->setProgressText(Strings::get(StringId::CheckingBackup), ProgressStyle::Checking);
        m_out->setMeterVisible(false);
        m_listener.setZipping(false);
        const int tested = m_zip.test();
        if (tested > 0) {
            qCWarning(lcBackup) << "the new archive failed its test:" << tested;
            m_result = BackupOutcome::kVerifyFailed;
            m_ui.messageBox(Strings::get(StringId::BackupFailedValidation) +
                                QStringLiteral("\r\n") + Strings::get(StringId::CompactFoldersHint),
                            MsgButtons::Ok, MsgIcon::Critical, Strings::programTitle());
        }
    }
    const bool good = m_result == zip::kZipSuccess && !m_cancel;
    if (!m_existing.complete(good, &m_result))
        qCWarning(lcBackup) << "the new archive could not take its name" << m_backupFile;

    m_summary.resultCode = m_result;
    m_summary.items = m_list.selectedItems();
    m_summary.files = m_listener.filesAdded();
    m_summary.bytesRead = m_listener.bytesDone();
    m_summary.skippedFiles = m_listener.filesInUse();
    platform::FileEntry e;
    if (m_p.files.stat(m_backupFile, &e) && !e.isDirectory()) {
        m_summary.archivePath = m_backupFile;
        m_summary.archiveBytes = qint64(e.size);
    }
}

void BackupRun::Impl::endLines()
{
    m_log.write(
        {QStringLiteral("V5 - Korvane Backup Ended: ") + ItemList::dateText(m_p.system.now()),
         QString(), QStringLiteral("Korvane 2000 Version: ") + m_state.versionText});
}

void BackupRun::Impl::saveSettings()
{
    IncludeFlags& in = m_state.include;
    in.wab = isKindSelected(ItemKind::AddressBook);
    in.fav = isKindSelected(ItemKind::Favorites);
    in.rules = isKindSelected(ItemKind::Rules);
    in.prefs = isKindSelected(ItemKind::Preferences);
    in.accts = isKindSelected(ItemKind::Accounts);
    in.sigs = isKindSelected(ItemKind::Signatures);
    in.blocks = isKindSelected(ItemKind::BlockSenders);
    in.dun = isKindSelected(ItemKind::RemoteAccess);

    const QString& section = m_state.settingsSection();
    const QString today = m_p.system.now().toString(QStringLiteral("yyyyMMdd"));
    const std::pair<const SettingDef&, QString> values[] = {
        {Setting::AllowQuick, QStringLiteral("Y")},
        {Setting::LastBackup, today},
        {Setting::ParmsLastBackup, today},
        {Setting::LastSavePath, m_saveLocation},
        {Setting::InclWab, flagText(in.wab)},
        {Setting::InclFAV, flagText(in.fav)},
        {Setting::InclRules, flagText(in.rules)},
        {Setting::InclAccts, flagText(in.accts)},
        {Setting::InclPrefs, flagText(in.prefs)},
        {Setting::InclSigs, flagText(in.sigs)},
        {Setting::InclBlocks, flagText(in.blocks)},
        {Setting::InclDUN, flagText(in.dun)},
        {Setting::DoRename, flagText(m_state.renameExisting)},
        {Setting::LastSaveName, winpath::fileName(m_backupFile)},
    };
    for (const auto& [setting, value] : values)
        if (!m_settings.save(setting, section, value))
            qCWarning(lcBackup) << "cannot save" << setting.keyName();
    m_state.lastSaveFolder = m_saveLocation;
    m_state.doRename = m_state.renameExisting;

    const QString first =
        ControlFile::backupFirstLine(m_state.oe5Mode, m_state.env.chosenName, m_state.env.chosenId);
    if (!ControlFile::writeWithItems(m_p.files, m_state.controlFilePath, first, m_grid))
        qCWarning(lcBackup) << "cannot write the control file" << m_state.controlFilePath;
}

void BackupRun::Impl::purge()
{
    const int keep = m_settings.get(Setting::BackupPurge, m_state.settingsSection()).toInt();
    const QString folder = winpath::parent(m_backupFile);
    BackupPurge purge(m_p.files);
    if (!purge.due(folder, m_state.env.backupBaseName, keep))
        return;
    m_progress.setProgressText(Strings::get(StringId::RemovingOldBackups));
    const QStringList deleted =
        purge.run(folder, m_state.env.backupBaseName, keep, m_backupFile, m_p.system.now());
    for (const QString& path : deleted)
        m_log.write({QStringLiteral("Deleted old backup: ") + path, QString()});
    m_progress.setProgressText(QString());
}

void BackupRun::Impl::finish()
{
    m_state.busy = false;
    if (m_cancel) {
        m_log.write({QString(), QStringLiteral(" ----- Backup Cancelled ---- "), QString()});
        endLines();
        m_log.closeAndRename(m_state.backupLogPath);
        if (m_quickWindow)
            m_ui.closeQuickBackupWindow();
        m_progress.setPhase(RunPhase::Finished);
        m_end = BackupEnd::StayOpen;
        return;
    }
    saveSettings();
    if (m_quickWindow)
        m_ui.closeQuickBackupWindow();
    else
        m_progress.setProgressText(QString());
    m_log.write(QString());

    const BackupOutcome outcome = BackupOutcome::forResult(m_result, m_state.quickBackup);
    if (!outcome.message.isEmpty())
        m_ui.messageBox(outcome.message, MsgButtons::Ok, outcome.icon, Strings::programTitle());
    m_log.write(outcome.logLines);
    if (outcome.success())
        purge();

    endLines();
    m_log.closeAndRename(m_state.backupLogPath);
    m_showLog = m_state.autoShowLog;
    m_end = BackupEnd::Close;
    m_progress.setPhase(RunPhase::Finished);
}

BackupRun::BackupRun(platform::Platform& platform, Ui& ui, AppSettings& settings, MainState& state,
                     TreeListModel& grid, InventoryTotals& totals, RunProgress& progress)
    : m_impl(std::make_unique<Impl>(platform, ui, settings, state, grid, totals, progress))
{
}

BackupRun::~BackupRun() = default;

bool BackupRun::prepare()
{
    return m_impl->prepare();
}

void BackupRun::zipAndVerify()
{
    m_impl->zipAndVerify();
}

void BackupRun::finish()
{
    m_impl->finish();
}

void BackupRun::start(TaskRunner& runner, std::function<void()> done)
{
    if (!prepare()) {
        if (done)
            done();
        return;
    }
    runner.run([this] { zipAndVerify(); },
               [this, done = std::move(done)] {
                   finish();
                   if (done)
                       done();
               });
}

void BackupRun::requestCancel()
{
    m_impl->requestCancel();
}

BackupEnd BackupRun::end() const
{
    return m_impl->m_end;
}

bool BackupRun::cancelled() const
{
    return m_impl->m_cancel;
}

bool BackupRun::showLogNow() const
{
    return m_impl->m_showLog;
}

const BackupSummary& BackupRun::summary() const
{
    return m_impl->m_summary;
}

} // namespace kv
