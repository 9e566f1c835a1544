#pragma once

#include "shell/Ui.h"

#include <optional>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kv {
class AppSettings;
}

namespace kv::gui {

// The options dialog in its two uses: the backup reminder ("RemindDays") and the purge of old
// backups ("BackupPurge"), both in section "Parms". OK saves, Cancel and the close box do not.
class OptionsDialog : public QDialog
{
    Q_OBJECT

public:
    enum Mode
    {
        Reminder = 1,
        Purge = 2
    };

    explicit OptionsDialog(AppSettings& settings, QWidget* parent = nullptr);
    // A dialog that saves nothing: Ask() shows a request and returns the answer to the caller.
    explicit OptionsDialog(QWidget* parent = nullptr);

    // Shows the request's captions and value modally; nullopt when cancelled.
    std::optional<OptionsAnswer> Ask(const OptionsRequest& request);

    void SetReminder();
    void SetBackupPurge();

    Mode mode() const { return m_mode; }

private:
    void load(Mode mode);
    void updateEnabled();
    void okClicked();

    void build();

    AppSettings* m_settings = nullptr;
    Mode m_mode = Reminder;
    QRadioButton* m_opt[2] = {nullptr, nullptr};
    QLineEdit* m_txtData = nullptr;
    QLabel* m_lblData = nullptr;
    QPushButton* m_cmd[2] = {nullptr, nullptr};
};

} // namespace kv::gui
