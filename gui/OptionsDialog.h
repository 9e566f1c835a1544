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
    enum class Mode
    {
        Reminder,
        Purge
    };

    explicit OptionsDialog(AppSettings& settings, QWidget* parent = nullptr);
    // A dialog that saves nothing: ask() shows a request and returns the answer to the caller.
    explicit OptionsDialog(QWidget* parent = nullptr);

    // Shows the request's captions and value modally; nullopt when cancelled.
    std::optional<OptionsAnswer> ask(const OptionsRequest& request);

    // Shows the stored value modally; OK saves the entered one, clamped as the program reads it.
    void editReminderDays();
    void editBackupPurge();

    Mode mode() const { return m_mode; }

private:
    void load(Mode mode);
    void updateEnabled();
    void okClicked();

    void build();

    AppSettings* m_settings = nullptr;
    Mode m_mode = Mode::Reminder;
    QRadioButton* m_on = nullptr;  // the choice with the number
    QRadioButton* m_off = nullptr; // the "off" choice
    QLineEdit* m_value = nullptr;
    QLabel* m_unit = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace kv::gui
