#pragma once

#include "shell/IMainView.h"

#include <QObject>

class QLabel;
class QPushButton;
class QWidget;

namespace kv::gui {

// The restore page's controls below the item grid (the wizard's step 4 panel): what the
// restore will do to the current data, how else a folder can be restored, and the two
// selection buttons. The backup's totals share that place on their own step; the restore has
// its own selection buttons, so that a restore which greys them out leaves the backup's alone.
class RestorePage : public QObject
{
    Q_OBJECT

public:
    RestorePage(QWidget* step, QObject* parent = nullptr);

    // False when the text is not one of this page's.
    bool setText(MainText item, const QString& text);
    // Null when the item is not one of this page's.
    QWidget* item(MainItem item) const;

    QPushButton* selectAllButton() const { return m_selectAll; }
    QPushButton* clearAllButton() const { return m_clearAll; }

Q_SIGNALS:
    void selectAllClicked();
    void clearAllClicked();

private:
    QLabel* m_note = nullptr;
    QLabel* m_hint = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_clearAll = nullptr;
};

} // namespace kv::gui
