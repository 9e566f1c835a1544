#pragma once

#include "HelpWindow.h"
#include "shell/Ui.h"

#include <QPointer>

class QWidget;

namespace kv::platform {
class IFileSystem;
}

namespace kv::gui {

class QuickBackupWindow;

// The Ui of the desktop program: every question as a modal dialog over the main window. A run
// asks from its worker thread too: every call then runs on the GUI thread while the caller
// waits for the answer.
class QtUi : public Ui
{
public:
    explicit QtUi(QWidget* owner = nullptr);
    ~QtUi() override;

    void setOwner(QWidget* owner) { m_owner = owner; }
    // The drives the folder browser offers, and the paths of the file dialogs.
    void setFileSystem(platform::IFileSystem* files) { m_files = files; }

    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override;
    int chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                       const QString& caption) override;
    GenMessageAnswer genMessage(const GenMessage& message) override;
    std::optional<OptionsAnswer> getOptions(const OptionsRequest& request) override;
    void showAbout(const QString& programName, const QString& version) override;
    void showHelpTopic(const QString& helpFile, int topic) override;
    void showHelpContents(const QString& helpFile) override;
    void closeHelp() override;
    void beep() override;
    Oe4ImportChoice chooseOe4Import() override;
    QuickBackupAnswer confirmQuickBackup(bool showCheckBox) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    BackupFileAnswer chooseBackupFile(const BackupFileRequest& request) override;
    int chooseRestoreFolder(TreeListModel& currentFolders) override;
    WabRestoreTarget chooseWabRestore(const QString& helpFile) override;
    RunProgress* openQuickBackupWindow(std::function<void()> cancel) override;
    void closeQuickBackupWindow() override;
    void showDragWindow(const QList<DragFolder>& folders) override;
    QString chooseSaveFile(const QString& title, const QString& startPath,
                           const QString& filter) override;

    HelpWindow* helpWindow() const { return m_help; }
    // The quick backup's window while it is open.
    QuickBackupWindow* quickBackupWindow() const;

private:
    HelpWindow* help();

    QPointer<QWidget> m_owner;
    QPointer<HelpWindow> m_help;
    QPointer<QuickBackupWindow> m_quick;
    platform::IFileSystem* m_files = nullptr;
};

} // namespace kv::gui
