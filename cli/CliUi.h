#pragma once

#include "shell/Ui.h"

#include <QTextStream>

namespace kv::cli {

// The command line's Ui: messages go to the error stream, questions take the answer that
// changes nothing (Cancel/No, or OK where that is the only button), and the identity chooser
// keeps the current identity, so that a run never waits for a user who is not there.
class CliUi : public Ui
{
public:
    explicit CliUi(QTextStream& err) : m_err(err) {}

    MsgResult messageBox(const QString& text, MsgButtons buttons, MsgIcon icon,
                         const QString& title) override;
    int chooseIdentity(const QStringList& names, int currentIndex, bool offerCancel,
                       const QString& caption) override;
    GenMessageAnswer genMessage(const GenMessage& message) override;
    std::optional<OptionsAnswer> getOptions(const OptionsRequest& request) override;
    void showAbout(const QString& programName, const QString& version) override;
    void showHelpTopic(const QString& helpFile, int topic) override;
    void showHelpContents(const QString& helpFile) override;
    void closeHelp() override {}
    void beep() override {}
    Oe4ImportChoice chooseOe4Import() override;
    QuickBackupAnswer confirmQuickBackup(bool showCheckBox) override;
    QString chooseFolder(const QString& title, const QString& startFolder) override;
    BackupFileAnswer chooseBackupFile(const BackupFileRequest& request) override;
    int chooseRestoreFolder(TreeListModel& currentFolders) override;
    WabRestoreTarget chooseWabRestore(const QString& helpFile) override;
    RunProgress* openQuickBackupWindow(std::function<void()> cancel) override;
    void closeQuickBackupWindow() override {}
    // The command line writes the messages itself (sync --extract, --mbox).
    void showDragWindow(const QList<DragFolder>&) override {}
    QString chooseSaveFile(const QString& title, const QString& startPath,
                           const QString& filter) override;

private:
    QTextStream& m_err;
};

} // namespace kv::cli
