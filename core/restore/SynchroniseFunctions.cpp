#include "restore/SynchroniseFunctions.h"

#include "backup/ItemGrid.h"
#include "backup/RunProgress.h"
#include "grid/TreeListModel.h"
#include "msgstore/EncodedWords.h"
#include "msgstore/SyncComparison.h"
#include "restore/RestoreFunctions.h"
#include "restore/RestoreLog.h"
#include "restore/RestoreRun.h"
#include "shell/AppSettings.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/ColorRef.h"
#include "util/ScratchFolder.h"
#include "util/TaskRunner.h"
#include "zip/ZipTypes.h"

#include "platform/Ansi.h"
#include "platform/Platform.h"

#include <memory>
#include <vector>

namespace kv {

namespace {

constexpr int kSynchronise = 3;
constexpr int kRunStep = 3;
const QString kMsgNo = QStringLiteral("MsgNo");
const QString kTlMain = QStringLiteral("TlMain");
const QString kDefaultWidths = QStringLiteral("1500,2370,3630,1300");

// A header as the grid shows it. The records hold the raw text read through the ANSI code page,
// which gives back every byte, so only text with an encoded word needs decoding again. The row's
// columns are split at TABs, so none may come out of a field.
QString shownHeader(const QString& raw)
{
    QString text = raw.contains(u"=?") ? msgstore::decodeHeaderText(ansi::fromUnicode(raw)) : raw;
    for (QChar& c : text)
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    return text;
}

// The numeric value of a text as the old runtime read it: leading digits, else 0.
int leadingNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype n = 0;
    while (n < t.size() && t.at(n).isDigit())
        ++n;
    return t.left(n).toInt();
}

} // namespace

// What the worker hands back: the extraction's outcome and, per chosen folder in order, the
// comparison (fewer when cancelled).
struct SynchroniseFunctions::Compared
{
    RestoreOutcome outcome;
    std::vector<msgstore::SyncFolderResult> results;
    bool finished = false;
};

SynchroniseFunctions::SynchroniseFunctions(Services services, IFunctions& others,
                                           RestoreFunctions& restore)
    : m_s(std::move(services)), m_others(others), m_restore(restore)
{
}

SynchroniseFunctions::~SynchroniseFunctions() = default;

QString SynchroniseFunctions::countText(int ticked)
{
    return QString::number(ticked) + (ticked == 1 ? QStringLiteral(" Message Selected")
                                                  : QStringLiteral(" Messages Selected"));
}

bool SynchroniseFunctions::isOurs(const MainState& state) const
{
    return state.function == MainFunction::Synchronise && state.restoreType == kSynchronise;
}

void SynchroniseFunctions::startSynchronise(MainState& state)
{
    state.function = MainFunction::Synchronise;
    m_page = Page::None;
    m_s.view.runProgress().setPercent(0);
    m_others.startSynchronise(state);
}

void SynchroniseFunctions::backupRunClicked(MainState& state)
{
    if (!isOurs(state))
        return m_others.backupRunClicked(state);
    runRestore(state);
}

void SynchroniseFunctions::runRestore(MainState& state)
{
    if (!isOurs(state))
        return m_others.runRestore(state);
    if (state.busy || m_page != Page::None)
        return;
    const TreeListModel& items = m_s.view.itemGrid();
    std::vector<msgstore::SyncFolder> folders;
    for (int row = 1; row < items.totalRowCount(); ++row)
        if (items.checkState(row) == kSelected && itemKind(items, row) == int(ItemKind::MailFolder))
            folders.push_back(
                {items.text(row).section(u'\t', 0, 0), items.cell(row, cell::MbxName)});
    if (folders.empty()) {
        qCInfo(lcRestore) << "no folder is marked for the synchronise";
        return;
    }
    const QString title = state.programTitle;
    RestoreContext context = m_restore.context();
    // A fresh folder: a copy left by an earlier run must never stand in for this backup's.
    m_prior = std::make_unique<ScratchFolder>(m_s.platform.files, QStringLiteral("Korvane-Synch"));
    if (!m_prior->make(context.tempFolder)) {
        qCWarning(lcRestore).noquote()
            << "no folder for the backup's copies in" << context.tempFolder;
        m_s.ui.messageBox(QStringLiteral("Some files were not available from the backup - Unable "
                                         "to proceed"),
                          MsgButtons::Ok, MsgIcon::Information, title);
        m_s.view.closeWindow();
        return;
    }
    context.tempFolder = m_prior->path();
    m_priorFolder = context.tempFolder;
    m_oe5 = context.oe5;
    qCInfo(lcRestore).noquote() << "synchronise" << folders.size() << "folders from"
                                << context.archivePath << "via" << m_priorFolder;

    setRunControls(true);
    state.busy = true;
    state.synchStop = false;
    RunProgress& progress = m_s.view.runProgress();
    progress.setProgressText(QStringLiteral("Checking message files..."));
    progress.setMeterVisible(true);

    msgstore::SyncComparison::Options options;
    options.currentFolder = m_s.platform.files.toHostPath(context.storeFolder);
    options.priorFolder = m_s.platform.files.toHostPath(context.tempFolder);
    options.format = context.oe5 ? msgstore::StoreFormat::Dbx : msgstore::StoreFormat::Mbx;

    auto compared = std::make_shared<Compared>();
    const QList<RestoreItem> rows = restoreItemsOf(items);
    platform::Platform& platform = m_s.platform;
    Ui& ui = m_s.ui;
    std::atomic_bool& stop = state.synchStop;
    m_s.runner.run(
        [&platform, &ui, &progress, &stop, context, rows, folders, options, compared] {
            RestoreRun run(platform, ui, progress);
            compared->outcome = run.run(context, rows);
            if (compared->outcome.status != RestoreOutcome::Status::SynchroniseReady || stop)
                return;
            msgstore::SyncComparison comparison(options);
            comparison.cancel = &stop;
            comparison.stageChanged = [&progress](msgstore::SyncStage stage,
                                                  const msgstore::SyncFolder& folder) {
                progress.setProgressText(msgstore::syncStageText(stage, folder.displayName));
            };
            comparison.progress = [&progress](int percent) { progress.setPercent(percent); };
            compared->finished = comparison.run(folders, &compared->results);
        },
        [this, &state, compared] { compareEnded(state, compared->outcome, *compared); });
}

void SynchroniseFunctions::setRunControls(bool running)
{
    IMainView& view = m_s.view;
    view.setGridLocked(running);
    view.setButtonEnabled(MainButton::Back, !running);
    view.setButtonEnabled(MainButton::Run, !running);
    view.setItemVisible(MainItem::ProgressLabel, running);
    view.setItemVisible(MainItem::ProgressMeter, running);
    view.setBusyCursor(running);
}

void SynchroniseFunctions::compareEnded(MainState& state, const RestoreOutcome& outcome,
                                        const Compared& compared)
{
    state.busy = false;
    m_s.view.setBusyCursor(false);
    m_s.view.runProgress().setPercent(0);
    using Status = RestoreOutcome::Status;
    const bool extracted = outcome.status == Status::SynchroniseReady;
    if (state.synchStop || outcome.status == Status::Cancelled ||
        (extracted && !compared.finished)) {
        qCInfo(lcRestore) << "the synchronise was cancelled; the program ends";
        m_s.ui.messageBox(QStringLiteral("Cancelled!"), MsgButtons::Ok, MsgIcon::Information,
                          state.programTitle);
        m_s.view.closeWindow();
        return;
    }
    const int rc = outcome.mailResult;
    bool anyPrior = false;
    for (const msgstore::SyncFolderResult& r : compared.results)
        anyPrior = anyPrior || r.priorOpened;
    if (!extracted || !anyPrior ||
        (rc != zip::kZipSuccess && rc != zip::kZipNothingToDo && rc != zip::kZipFilesSkipped)) {
        qCWarning(lcRestore) << "the backup's folders were not extracted (status"
                             << int(outcome.status) << ", result" << rc << "); the program ends";
        m_s.ui.messageBox(QStringLiteral("Some files were not available from the backup - Unable "
                                         "to proceed"),
                          MsgButtons::Ok, MsgIcon::Information, state.programTitle);
        m_s.view.closeWindow();
        return;
    }
    fillGrid(state,
             QList<msgstore::SyncFolderResult>(compared.results.begin(), compared.results.end()));
    showGridPage();
}

void SynchroniseFunctions::fillGrid(MainState& state,
                                    const QList<msgstore::SyncFolderResult>& results)
{
    QString widths = m_s.settings.get(Setting::SynchGrid, QString());
    if (widths.trimmed().isEmpty())
        widths = kDefaultWidths;
    state.synchGridWidths = widths;
    const QStringList fields = widths.split(u',');

    TreeListModel& grid = m_s.view.synchGrid();
    const TreeListModel& items = m_s.view.itemGrid();
    grid.redrawOff();
    grid.clear();
    grid.setColumnCount(4);
    const QString headings[] = {QStringLiteral("Folder"), QStringLiteral("From"),
                                QStringLiteral("Subject"), QStringLiteral("Date")};
    for (int c = 0; c < 4; ++c) {
        grid.setColumnHeading(c, headings[c]);
        grid.setColumnWidth(c, leadingNumber(fields.value(c)));
        grid.setColumnMultiLine(c, true);
    }
    for (const msgstore::SyncFolderResult& result : results) {
        // Never list a folder from anything but its own backup copy.
        if (!result.priorOpened) {
            qCWarning(lcRestore).noquote() << "skipping" << result.folder.fileName
                                           << "- its backup copy is not in the prior folder";
            continue;
        }
        const QString& name = result.folder.displayName;
        const int folder = grid.addRow(name);
        grid.setPicture(folder, TreeListModel::Picture::Folder);
        grid.setBackColor(folder, color::system(color::InfoBackground));
        grid.setCell(folder, kTlMain,
                     QString::number(items.findCell(cell::MbxName, result.folder.fileName, 1)));
        grid.setCell(folder, cell::MbxName, result.folder.fileName);
        for (const msgstore::SyncListedMessage& m : result.listed) {
            // Decoded for the eye only: the comparison, the numbers and the eml names keep the
            // raw text.
            const int row = grid.addChild(
                folder, QStringLiteral("\t%1\t%2\t%3")
                            .arg(shownHeader(m.from), shownHeader(m.subject), m.date));
            grid.setCell(row, kMsgNo, QString::number(m.number));
            grid.setCheckState(row, kNotSelected);
            grid.setPicture(row, TreeListModel::Picture::Unticked);
        }
        grid.setText(folder,
                     name + u'\t' +
                         (result.listed.empty()
                              ? QStringLiteral("** No MisMatches **")
                              : QStringLiteral("** Items below are missing or changed **")));
        qCInfo(lcRestore).noquote() << name << ":" << result.listed.size() << "of"
                                    << result.priorCount << "backup messages missing or changed";
    }
    grid.redrawOn();
    m_ticked = 0;
}

void SynchroniseFunctions::showGridPage()
{
    IMainView& view = m_s.view;
    view.setText(MainText::SynchLabel, QStringLiteral("Select the messages to be restored"));
    view.setItemVisible(MainItem::SynchSelectControls, true);
    view.setItemVisible(MainItem::SynchBack, true);
    view.setItemVisible(MainItem::SynchNext, true);
    view.setButtonEnabled(MainButton::SynchSelectAll, true);
    view.setButtonEnabled(MainButton::SynchClearAll, true);
    view.setButtonEnabled(MainButton::SynchBack, true);
    m_page = Page::Grid;
    countChanged();
    view.showPage(MainPage::SynchResult);
}

void SynchroniseFunctions::showFolderPage(MainState& state)
{
    IMainView& view = m_s.view;
    m_page = Page::None;
    view.showPage(MainPage::Wizard);
    state.step = kRunStep;
    view.setStepVisible(kRunStep, true);
    view.setText(MainText::RunLabel, Strings::get(StringId::SelectSynchNow));
    view.setText(MainText::RunButton, Strings::get(StringId::SynchNow));
    setRunControls(false);
    view.setButtonEnabled(MainButton::Next, false);
}

void SynchroniseFunctions::synchBackClicked(MainState& state)
{
    if (!isOurs(state) || state.busy)
        return;
    if (m_page == Page::Messages) {
        m_page = Page::Grid;
        m_s.view.showPage(MainPage::SynchResult);
        m_s.view.setItemVisible(MainItem::SynchSelectControls, true);
        countChanged();
    } else if (m_page == Page::Grid) {
        showFolderPage(state);
    }
}

bool SynchroniseFunctions::setTick(int row, bool ticked)
{
    TreeListModel& grid = m_s.view.synchGrid();
    if (!grid.isValidRow(row) || grid.level(row) != 1)
        return false;
    if ((grid.checkState(row) == kSelected) == ticked)
        return false;
    grid.setCheckState(row, ticked ? kSelected : kNotSelected);
    grid.setPicture(row,
                    ticked ? TreeListModel::Picture::Ticked : TreeListModel::Picture::Unticked);
    m_ticked += ticked ? 1 : -1;
    return true;
}

void SynchroniseFunctions::tickAll(bool ticked)
{
    TreeListModel& grid = m_s.view.synchGrid();
    grid.redrawOff();
    for (int row = 0; row < grid.totalRowCount(); ++row)
        setTick(row, ticked);
    grid.redrawOn();
    countChanged();
}

void SynchroniseFunctions::countChanged()
{
    m_s.view.setText(MainText::SelectedCount, countText(m_ticked));
    m_s.view.setButtonEnabled(MainButton::SynchNext, m_page == Page::Grid && m_ticked >= 1);
}

void SynchroniseFunctions::synchTickClicked(MainState& state, int row)
{
    if (!isOurs(state) || state.busy || m_page != Page::Grid)
        return;
    const TreeListModel& grid = m_s.view.synchGrid();
    if (!grid.isValidRow(row) || grid.level(row) != 1)
        return;
    setTick(row, grid.checkState(row) != kSelected);
    countChanged();
}

void SynchroniseFunctions::synchMenuChosen(MainState& state, int row, SynchFolderMenu entry)
{
    if (!isOurs(state) || state.busy || m_page != Page::Grid)
        return;
    if (entry == SynchFolderMenu::SelectAllInList)
        return tickAll(true);
    TreeListModel& grid = m_s.view.synchGrid();
    if (!grid.isValidRow(row) || grid.level(row) > 0)
        return;
    grid.redrawOff();
    const bool tick = entry == SynchFolderMenu::SelectAllInFolder;
    for (int k = 0; k < grid.childCount(row); ++k)
        setTick(grid.child(row, k), tick);
    grid.redrawOn();
    countChanged();
}

void SynchroniseFunctions::synchSelectAllClicked(MainState& state)
{
    if (isOurs(state) && !state.busy && m_page == Page::Grid)
        tickAll(true);
}

void SynchroniseFunctions::synchClearAllClicked(MainState& state)
{
    if (isOurs(state) && !state.busy && m_page == Page::Grid)
        tickAll(false);
}

} // namespace kv
