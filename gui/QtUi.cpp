#include "QtUi.h"

#include "FolderChooser.h"
#include "GuiThread.h"
#include "QuickBackupWindows.h"

#include "AboutDialog.h"
#include "BackupFileDialog.h"
#include "DragWindow.h"
#include "FileDialog.h"
#include "GuiLog.h"
#include "HelpWindow.h"
#include "IdentityDialog.h"
#include "MessageDialog.h"
#include "OptionsDialog.h"
#include "ProgramIcon.h"
#include "RestoreFolderDialog.h"
#include "RestoreOptionDialogs.h"

#include "platform/IFileSystem.h"
#include "platform/WinPath.h"
#include "shell/Strings.h"

#include <QApplication>
#include <QMessageBox>

namespace kv::gui {

namespace {

QMessageBox::StandardButtons standardButtons(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok:
        return QMessageBox::Ok;
    case MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MsgButtons::AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MsgButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None:
        return QMessageBox::NoIcon;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// The answer for a button; closing the box counts as its cancelling button.
MsgResult resultOf(int button, MsgButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return MsgResult::Ok;
    case QMessageBox::Cancel:
        return MsgResult::Cancel;
    case QMessageBox::Abort:
        return MsgResult::Abort;
    case QMessageBox::Retry:
        return MsgResult::Retry;
    case QMessageBox::Ignore:
        return MsgResult::Ignore;
    case QMessageBox::Yes:
        return MsgResult::Yes;
    case QMessageBox::No:
        return MsgResult::No;
    default:
        break;
    }
    return backOutResult(buttons);
}

} // namespace

QtUi::QtUi(QWidget* owner) : m_owner(owner) {}

QtUi::~QtUi()
{
    delete m_help.data();
}

MsgResult QtUi::messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                           const QString& title)
{
    return onGuiThread([&] {
        QMessageBox box(boxIcon(icon), title, text, standardButtons(buttons), m_owner);
        box.setObjectName(QStringLiteral("MessageBox"));
        box.setWindowIcon(programIcon());
        if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel)
            box.setDefaultButton(QMessageBox::Yes);
        const int answer = box.exec();
        QAbstractButton* clicked = box.clickedButton();
        return resultOf(clicked ? int(box.standardButton(clicked)) : answer, buttons);
    });
}

int QtUi::chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                         const QString& caption)
{
    return onGuiThread([&] {
        IdentityDialog dialog(m_owner);
        dialog.setCaption(caption);
        dialog.setIdentities(names, currentIndex);
        return dialog.chooseIdentity(offerCancel);
    });
}

GenMessageAnswer QtUi::genMessage(const GenMessage& message)
{
    return onGuiThread([&] {
        MessageDialog dialog([this](int context) { showHelpTopic(QString(), context); }, m_owner);
        GenMessageAnswer answer;
        dialog.showMessage(message.picture, message.title, message.text, answer.doNotShow,
                           message.helpStyle, answer.result);
        return answer;
    });
}

std::optional<OptionsAnswer> QtUi::getOptions(const OptionsRequest& request)
{
    return onGuiThread([&] {
        OptionsDialog dialog(m_owner);
        return dialog.ask(request);
    });
}

void QtUi::showAbout(const QString& programName, const QString& version)
{
    onGuiThread([&] {
        AboutDialog dialog(m_owner);
        if (!programName.isEmpty())
            dialog.setWindowTitle(QStringLiteral("About ") + programName);
        dialog.setVersionText(version);
        dialog.exec();
    });
}

HelpWindow* QtUi::help()
{
    if (!m_help) {
        // A window of its own (no parent), closed by closeHelp() at exit.
        m_help = new HelpWindow;
        m_help->resize(720, 520);
    }
    return m_help;
}

// The pages are built into the program, so the help file's name only says which help is meant.
void QtUi::showHelpTopic(const QString& helpFile, int topic)
{
    onGuiThread([&] {
        Q_UNUSED(helpFile);
        HelpWindow* w = help();
        if (!w->showTopic(topic))
            qCWarning(lcGui) << "no help page for topic" << topic;
        w->show();
        w->raise();
        w->activateWindow();
    });
}

void QtUi::showHelpContents(const QString& helpFile)
{
    onGuiThread([&] {
        Q_UNUSED(helpFile);
        HelpWindow* w = help();
        w->showContents();
        w->show();
        w->raise();
        w->activateWindow();
    });
}

void QtUi::closeHelp()
{
    onGuiThread([&] {
        if (m_help)
            m_help->closeHelp();
    });
}

void QtUi::beep()
{
    onGuiThread([&] { QApplication::beep(); });
}

Oe4ImportChoice QtUi::chooseOe4Import()
{
    return onGuiThread([&] {
        Oe4ImportDialog dialog(m_owner);
        return dialog.ask();
    });
}

QuickBackupAnswer QtUi::confirmQuickBackup(bool showCheckBox)
{
    return onGuiThread([&] {
        QuickBackupConfirmation dialog(Strings::programTitle(), m_owner);
        dialog.setWindowIcon(programIcon());
        return dialog.ask(showCheckBox);
    });
}

BackupFileAnswer QtUi::chooseBackupFile(const BackupFileRequest& request)
{
    return onGuiThread([&] {
        BackupFileDialog dialog(
            m_files, [this](int topic) { showHelpTopic(QString(), topic); }, m_owner);
        return dialog.ask(request);
    });
}

int QtUi::chooseRestoreFolder(TreeListModel& currentFolders)
{
    return onGuiThread([&] {
        RestoreFolderDialog dialog(currentFolders, m_owner);
        return dialog.chooseFolder();
    });
}

WabRestoreTarget QtUi::chooseWabRestore(const QString& helpFile)
{
    return onGuiThread([&] {
        AddressBookRestoreDialog dialog(
            [this, helpFile](int topic) { showHelpTopic(helpFile, topic); }, m_owner);
        return dialog.ask();
    });
}

QString QtUi::chooseFolder(const QString& title, const QString& startFolder)
{
    return onGuiThread([&] {
        if (!m_files)
            return QString();
        return gui::chooseFolder(m_owner, title, *m_files, startFolder);
    });
}

RunProgress* QtUi::openQuickBackupWindow(std::function<void()> cancel)
{
    return onGuiThread([&]() -> RunProgress* {
        if (m_quick)
            m_quick->finish();
        const QIcon icon = m_owner ? m_owner->windowIcon() : programIcon();
        m_quick = new QuickBackupWindow(icon, std::move(cancel), m_owner);
        m_quick->setAttribute(Qt::WA_DeleteOnClose);
        m_quick->show();
        return &m_quick->progress();
    });
}

QuickBackupWindow* QtUi::quickBackupWindow() const
{
    return m_quick;
}

void QtUi::closeQuickBackupWindow()
{
    onGuiThread([&] {
        if (m_quick)
            m_quick->finish();
    });
}

void QtUi::showDragWindow(const QList<DragFolder>& folders)
{
    // The files are dragged to host programs (and to the mail client through Wine's own
    // mapping), so the window offers host paths.
    QList<DragFolderFiles> rows;
    for (const DragFolder& folder : folders) {
        DragFolderFiles row{folder.displayText, {}};
        for (const QString& path : folder.paths) {
            const QString host = m_files ? m_files->toHostPath(path) : QString();
            if (host.isEmpty())
                qCWarning(lcGui).noquote()
                    << "no host path for" << path << "- left out of the drag";
            else
                row.hostPaths << host;
        }
        rows << row;
    }
    qCInfo(lcGui) << "drag window:" << rows.size() << "folders";
    onGuiThread([&] {
        DragWindow drag(
            rows,
            QStringLiteral(" Drag and drop each folder to the folder of same name in ") +
                QStringLiteral("Outlook Express 5 folder list."),
            m_owner);
        drag.showModal();
    });
}

QString QtUi::chooseSaveFile(const QString& title, const QString& startPath, const QString& filter)
{
    return onGuiThread([&] {
        FileDialog dialog(m_files, m_owner);
        dialog.setTitle(title);
        dialog.setFilter(filter);
        dialog.setInitialFolder(winpath::parent(startPath));
        dialog.setFileName(winpath::fileName(startPath));
        dialog.setNameCheck(FileDialog::NameCheck::PathMustExistOverwritePrompt);
        return dialog.showSave() ? dialog.selectedFiles().value(0) : QString();
    });
}

} // namespace kv::gui
