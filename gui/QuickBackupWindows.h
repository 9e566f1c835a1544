#pragma once

#include "shell/Ui.h"

#include <QDialog>
#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kv::gui {

class PercentMeter;
class ScreenProgress;

// Asks before a quick backup from the command line: the caution picture, what is about to
// happen, Proceed and Cancel, and, when offered, "Do not ask again". Without the box the window
// is one inch high.
class QuickBackupConfirmation : public QDialog
{
    Q_OBJECT

public:
    explicit QuickBackupConfirmation(const QString& programTitle, QWidget* parent = nullptr);

    // Shows the dialog modally. Closing it counts as Cancel.
    QuickBackupAnswer ask(bool showCheckBox);

    static constexpr int kShortHeight = 1440 / 15; // pixels, without the check box

private:
    QCheckBox* m_doNotAsk = nullptr;
    QuickBackupAnswer m_answer = QuickBackupAnswer::Cancel;
};

// The small window a quick backup runs in, beside the hidden main window: a progress label, the
// meter and Cancel. Modeless; Cancel and the close box ask the run to stop, and the run closes
// the window when it is over.
class QuickBackupWindow : public QWidget
{
    Q_OBJECT

public:
    QuickBackupWindow(const QIcon& icon, std::function<void()> cancel, QWidget* parent = nullptr);

    // The run's progress here; safe from the worker thread.
    RunProgress& progress() const;
    // Closes the window for good (the close box only cancels).
    void finish();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> m_cancel;
    QLabel* m_label = nullptr;
    PercentMeter* m_meter = nullptr;
    QPushButton* m_cancelButton = nullptr;
    ScreenProgress* m_progress = nullptr;
    bool m_finished = false;
};

} // namespace kv::gui
