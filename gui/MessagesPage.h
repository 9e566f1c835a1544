#pragma once

#include "shell/IMainView.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace kv::gui {

class PercentMeter;
class ScreenProgress;

// The restore-messages page that follows the synchronise grid: where the ticked messages will
// be written, the caution that the folder is emptied first, the two ways of writing them, and
// the meter of the writing.
class MessagesPage : public QWidget
{
    Q_OBJECT

public:
    explicit MessagesPage(QWidget* parent = nullptr);

    // False when the text is not one of this page's.
    bool setText(MainText item, const QString& text);
    // False when the item is not one of this page's.
    bool setItemVisible(MainItem item, bool visible);
    // Null when the button is not one of this page's.
    QPushButton* button(MainButton which) const;

    // The meter and its label; callable from a worker thread.
    ScreenProgress& progress() const { return *m_progress; }
    PercentMeter* meter() const { return m_meter; }

Q_SIGNALS:
    void restoreClicked();
    void saveMboxClicked();
    void backClicked();
    void exitClicked();

private:
    QLabel* m_target = nullptr;
    QLabel* m_caution = nullptr;
    QLabel* m_progressText = nullptr;
    PercentMeter* m_meter = nullptr;
    ScreenProgress* m_progress = nullptr;
    QPushButton* m_restore = nullptr;
    QPushButton* m_saveMbox = nullptr;
    QPushButton* m_back = nullptr;
};

} // namespace kv::gui
