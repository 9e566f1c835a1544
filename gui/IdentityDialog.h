#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace kv::gui {

// The identity chooser. The list holds the identity names in list order, each with its 1-based
// index; the current identity is selected.
class IdentityDialog : public QDialog
{
    Q_OBJECT

public:
    explicit IdentityDialog(QWidget* parent = nullptr);

    // The names and the current 1-based index; the caption is the main window's caption.
    void setIdentities(const QStringList& names, int currentIndex);
    void setCaption(const QString& caption) { setWindowTitle(caption); }

    // Shows the dialog modally. OK gives the chosen 1-based index. Cancel (only offered when
    // offerCancel) gives the negated current index; without Cancel, closing the window keeps
    // the current identity.
    int chooseIdentity(bool offerCancel);

    // Pixel geometry in the old twips (15 per pixel).
    static constexpr int kTwipsPerPixel = 15;
    static constexpr int kOkLeftWithCancel = 2520 / kTwipsPerPixel;

private:
    void okClicked();
    int selectedIndex() const;

    QLabel* m_prompt = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    int m_current = 1;
    int m_answer = 1;
};

} // namespace kv::gui
