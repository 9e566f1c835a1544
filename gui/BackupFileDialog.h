#pragma once

#include "HelpRequest.h"
#include "shell/Ui.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kv::platform {
class IFileSystem;
}

namespace kv::gui {

// Asks which archive a restore reads and what kind of restore it is: selected folders (A) or
// every mail folder (B). For a version-4 import only the full restore makes sense, so the
// choice is made for the user and hidden. Whether the typed file exists is the caller's
// question (it offers Retry); the dialog only refuses OK until a type is chosen and, after a
// browse, while the browsed file is missing.
class BackupFileDialog : public QDialog
{
    Q_OBJECT

public:
    // files maps the Windows paths the dialog shows onto the host; without one they are host
    // paths.
    explicit BackupFileDialog(platform::IFileSystem* files = nullptr, HelpRequest help = {},
                              QWidget* parent = nullptr);

    // Shows the dialog modally. Cancel (or the close box) gives an empty path and type -1.
    BackupFileAnswer ask(const BackupFileRequest& request);

    // Fills the dialog as ask() does, without showing it (tests, pictures).
    void prepare(const BackupFileRequest& request);

    int restoreType() const { return m_type; }

    static constexpr int kHelpContext = 1002;
    static constexpr int kSelectedFolders = 0;
    static constexpr int kFullRestore = 2;
    static constexpr int kSynchronise = 3;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void typeChosen(int type);
    void browse();
    void updateDisketteHint();
    void fitHeight();
    bool fileExists(const QString& windowsPath) const;

    platform::IFileSystem* m_files;
    HelpRequest m_help;
    QLabel* m_typeLabel = nullptr;
    QRadioButton* m_selected = nullptr;
    QRadioButton* m_full = nullptr;
    QLabel* m_typeNote = nullptr;
    QLabel* m_locationNote = nullptr;
    QLineEdit* m_location = nullptr;
    QPushButton* m_browse = nullptr;
    QLabel* m_disketteHint = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_type = -1;
};

// True for a path on the first or second diskette drive ("a:" or "b:", any case).
bool isDiskettePath(const QString& path);

} // namespace kv::gui
