// The synchronise's restore-messages page: the ticked backup messages written out as .eml files
// for the mail client to take back, or as one mbox file.
#include "restore/SynchroniseFunctions.h"

#include "backup/ItemGrid.h"
#include "backup/RunProgress.h"
#include "grid/TreeListModel.h"
#include "msgstore/MboxWriter.h"
#include "oeenv/MailClient.h"
#include "oeenv/RegistryAccess.h"
#include "restore/RestoreLog.h"
#include "shell/AppSettings.h"
#include "shell/IMainView.h"
#include "shell/MainState.h"
#include "shell/SettingsTable.h"
#include "shell/Strings.h"
#include "shell/Ui.h"
#include "util/SystemUtils.h"
#include "util/TaskRunner.h"

#include "platform/Platform.h"
#include "platform/WinPath.h"

#include <memory>

namespace kv {

using msgstore::MessageExport;

namespace {

const QString kMsgNo = QStringLiteral("MsgNo");

struct Written
{
    QList<DragFolder> dragList;
    int written = 0;
    int failed = 0;
    QString error; // mbox: why the file could not be written
};

// Files of one folder go to the drag window's row of that folder, made at its first file.
void addToDragList(QList<DragFolder>& list, const MessageExport::Request& request,
                   const QString& path)
{
    for (DragFolder& folder : list)
        if (folder.fileName == request.fileName) {
            folder.paths.append(path);
            return;
        }
    list.append({request.folderName, request.fileName, {path}});
}

} // namespace

QList<MessageExport::Request> SynchroniseFunctions::tickedMessages() const
{
    QList<MessageExport::Request> ticked;
    const TreeListModel& grid = m_s.view.synchGrid();
    for (int row = 0; row < grid.totalRowCount(); ++row) {
        if (grid.level(row) != 1 || grid.checkState(row) != kSelected)
            continue;
        const int folder = grid.parentRow(row);
        ticked.append({grid.text(folder).section(u'\t', 0, 0), grid.cell(folder, cell::MbxName),
                       grid.cell(row, kMsgNo).toInt(), row});
    }
    return ticked;
}

bool SynchroniseFunctions::messagesPageReady(const MainState& state) const
{
    return isOurs(state) && !state.busy && m_page == Page::Messages;
}

void SynchroniseFunctions::synchNextClicked(MainState& state)
{
    if (!isOurs(state) || state.busy || m_page != Page::Grid || m_ticked < 1)
        return;
    IMainView& view = m_s.view;
    RegistryAccess reg(m_s.platform.registry, m_s.platform.files);
    m_documents = MailClient::myDocumentsFolder(reg, m_s.platform.files);
    m_target = MessageExport::targetFolderFor(m_documents);
    if (m_target.isEmpty()) {
        qCWarning(lcRestore).noquote() << "no documents folder to restore messages into ("
                                       << m_documents << "); the program ends";
        m_s.ui.messageBox(
            QStringLiteral("Unable to find the \"My Documents\" or \"Personal\" folder:") +
                Strings::kLineBreak + state.env.oe4.mailFolder + Strings::kLineBreak +
                QStringLiteral("This folder is required for a restore of this type"),
            MsgButtons::Ok, MsgIcon::Critical, state.programTitle);
        view.closeWindow();
        return;
    }
    view.setText(MainText::MessagesTarget,
                 QStringLiteral("The selected messages will be restored to:") +
                     Strings::kLineBreak + Strings::kLineBreak + m_target);
    view.setText(MainText::MessagesCaution,
                 QStringLiteral("Caution - any files in this folder will be erased before the "
                                "messages are reloaded."));
    view.setItemVisible(MainItem::MessagesCaution,
                        SystemUtils::folderExists(m_s.platform.files, m_target));
    view.setText(MainText::MessagesProgress, QString());
    view.setItemVisible(MainItem::SynchSelectControls, false);
    m_page = Page::Messages;
    countChanged();
    view.setItemVisible(MainItem::SynchBack, true);
    view.setButtonEnabled(MainButton::SynchBack, true);
    view.setButtonEnabled(MainButton::RestoreMessages, true);
    view.setButtonEnabled(MainButton::SaveMbox, true);
    view.showPage(MainPage::RestoreMessages);
}

void SynchroniseFunctions::setMessagesControls(bool running)
{
    IMainView& view = m_s.view;
    view.setButtonEnabled(MainButton::RestoreMessages, !running);
    view.setButtonEnabled(MainButton::SaveMbox, !running);
    view.setItemVisible(MainItem::SynchBack, !running);
    view.setItemVisible(MainItem::SynchNext, !running);
    view.setBusyCursor(running);
    RunProgress& progress = view.messagesProgress();
    progress.setPercent(0);
    progress.setMeterVisible(running);
    view.refresh();
}

void SynchroniseFunctions::restoreMessagesClicked(MainState& state)
{
    if (!messagesPageReady(state))
        return;
    const QList<MessageExport::Request> requests = tickedMessages();
    if (requests.isEmpty())
        return;
    setMessagesControls(true);
    state.restoreMessagesFolder = m_target;
    state.oe4HandOff = !m_oe5;
    // Only ever the program's own folder, whatever the documents folder turned out to be.
    MessageExport::emptyTargetFolder(m_s.platform.files, m_target, m_documents);
    qCInfo(lcRestore).noquote() << "restoring" << requests.size() << "messages into" << m_target;

    state.busy = true;
    auto out = std::make_shared<Written>();
    const QString hostTarget = m_s.platform.files.toHostPath(m_target);
    const QString hostPrior = m_s.platform.files.toHostPath(m_priorFolder);
    const QString target = m_target;
    const bool oe5 = m_oe5;
    RunProgress& progress = m_s.view.messagesProgress();
    m_s.runner.run(
        [&progress, requests, hostTarget, hostPrior, target, oe5, out] {
            MessageExport exporter(oe5 ? msgstore::StoreFormat::Dbx : msgstore::StoreFormat::Mbx,
                                   hostPrior);
            int done = 0;
            for (const MessageExport::Request& request : requests) {
                if (oe5)
                    progress.setProgressText(QStringLiteral("Restoring: %1 #%2")
                                                 .arg(request.folderName)
                                                 .arg(request.number));
                const MessageExport::Result r = exporter.write(request, hostTarget);
                if (r.status == MessageExport::Status::Written) {
                    ++out->written;
                    if (oe5)
                        addToDragList(out->dragList, request,
                                      target + MessageExport::cleanName(request.folderName) +
                                          u'\\' + r.filePath.section(u'/', -1));
                } else {
                    ++out->failed;
                    qCWarning(lcRestore).noquote()
                        << "message" << request.number << "of" << request.fileName
                        << "not restored:" << r.error;
                }
                progress.setPercent(int(qint64(++done) * 100 / requests.size()));
            }
        },
        [this, &state, out] { messagesWritten(state, out->dragList, out->written, out->failed); });
}

void SynchroniseFunctions::messagesWritten(MainState& state, const QList<DragFolder>& dragList,
                                           int written, int failed)
{
    state.busy = false;
    m_s.view.setBusyCursor(false);
    qCInfo(lcRestore) << written << "messages restored," << failed << "failed";
    if (failed > 0)
        m_s.ui.messageBox(QStringLiteral("%1 of the selected messages could not be restored - "
                                         "see the log for details")
                              .arg(failed),
                          MsgButtons::Ok, MsgIcon::Exclamation, state.programTitle);
    if (!m_oe5) {
        m_s.ui.messageBox(QStringLiteral("Messages are ready for reload to OutLook Express") +
                              Strings::kLineBreak + Strings::kLineBreak +
                              QStringLiteral("Explorer will be opened at the main folder: ") +
                              Strings::kLineBreak + m_target,
                          MsgButtons::Ok, MsgIcon::Information, state.programTitle);
        const QString explorer = state.windowsFolder + QStringLiteral("explorer.exe");
        if (!m_s.platform.processes.start(explorer, {QStringLiteral("/e,"), m_target}))
            qCWarning(lcRestore).noquote() << "cannot open the file manager at" << m_target;
        m_s.view.closeWindow();
        return;
    }
    tellAboutDragging(state);
    m_s.ui.showDragWindow(dragList);
    m_s.view.closeWindow();
}

void SynchroniseFunctions::tellAboutDragging(const MainState&)
{
    if (!isYes(m_s.settings.get(Setting::TellDrag, QString())))
        return;
    GenMessage message;
    message.title = QStringLiteral("OE5 Folder Synchronization");
    message.text =
        QStringLiteral("A window will be shown with links to the messsages to be restored.  "
                       "Drag the links to the folders of the same name in Outlook Express 5");
    message.helpStyle = -1;
    const GenMessageAnswer answer = m_s.ui.genMessage(message);
    m_s.settings.save(Setting::TellDrag, QString(), yesNo(!answer.doNotShow));
}

void SynchroniseFunctions::saveMboxClicked(MainState& state)
{
    if (!messagesPageReady(state))
        return;
    const QString path = m_s.ui.chooseSaveFile(
        QStringLiteral("Save the Selected Messages as mbox"),
        winpath::join(m_documents, QStringLiteral("Korvane-Synchronize.mbox")),
        QStringLiteral("mbox Files (*.mbox)|*.mbox|All Files (*.*)|*.*|"));
    if (path.isEmpty())
        return;
    const QList<MessageExport::Request> requests = tickedMessages();
    setMessagesControls(true);
    state.busy = true;
    auto out = std::make_shared<Written>();
    const QString hostPath = m_s.platform.files.toHostPath(path);
    const QString hostPrior = m_s.platform.files.toHostPath(m_priorFolder);
    const bool oe5 = m_oe5;
    RunProgress& progress = m_s.view.messagesProgress();
    m_s.runner.run(
        [&progress, requests, hostPath, hostPrior, oe5, out] {
            MessageExport exporter(oe5 ? msgstore::StoreFormat::Dbx : msgstore::StoreFormat::Mbx,
                                   hostPrior);
            msgstore::MboxWriter mbox;
            if (!mbox.open(hostPath)) {
                out->error = mbox.error();
                return;
            }
            int done = 0;
            for (const MessageExport::Request& request : requests) {
                MessageExport::Status status;
                QString error;
                const QByteArray bytes = exporter.messageBytes(request, &status, &error);
                if (status != MessageExport::Status::Written) {
                    ++out->failed;
                    qCWarning(lcRestore).noquote() << "message" << request.number << "of"
                                                   << request.fileName << "left out:" << error;
                } else if (!mbox.add(bytes)) {
                    out->error = mbox.error();
                    mbox.abandon();
                    return;
                } else {
                    ++out->written;
                }
                progress.setPercent(int(qint64(++done) * 100 / requests.size()));
            }
            if (!mbox.finish())
                out->error = mbox.error();
        },
        [this, &state, out, path] {
            state.busy = false;
            setMessagesControls(false);
            if (!out->error.isEmpty()) {
                qCWarning(lcRestore).noquote() << "mbox not written:" << path << out->error;
                m_s.ui.messageBox(QStringLiteral("The messages could not be saved:") +
                                      Strings::kLineBreak + out->error,
                                  MsgButtons::Ok, MsgIcon::Exclamation, state.programTitle);
                return;
            }
            qCInfo(lcRestore).noquote() << out->written << "messages saved in" << path;
            QString text = QStringLiteral("%1 messages were saved in:").arg(out->written) +
                           Strings::kLineBreak + path;
            if (out->failed > 0)
                text += Strings::kLineBreak +
                        QStringLiteral("%1 could not be read from the backup").arg(out->failed);
            m_s.ui.messageBox(text, MsgButtons::Ok, MsgIcon::Information, state.programTitle);
        });
}

} // namespace kv
