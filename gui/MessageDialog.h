#pragma once

#include "HelpRequest.h"

#include <QDialog>
#include <QPixmap>

class QCheckBox;
class QLabel;
class QPushButton;
class QStyle;

namespace kv::gui {

// The program's message pictures by their resource numbers (95 the caution sign, 16, 32 and 64
// the message-box icons); any other number gives the program icon. 32 pixels square.
QPixmap messagePicture(int picture, const QStyle* style);

// The general message: a picture, a text, a "Do not show this again" box and one of three
// button sets chosen by the help style:
//   above 0  "&OK" and "&Help"; the style is the help topic of Help (which leaves the dialog open)
//   0        "&Yes" and "&No"; help topic 999
//   below 0  "&OK" alone
class MessageDialog : public QDialog
{
    Q_OBJECT

public:
    explicit MessageDialog(HelpRequest help = {}, QWidget* parent = nullptr);

    // Shows the message modally. doNotShow: the box was ticked when the dialog closed.
    // yes: true for Yes in the Yes/No style; false for No, for the other styles and when the
    // dialog was closed with its close box or Escape.
    void showMessage(int picture, const QString& title, const QString& text, bool& doNotShow,
                     int helpStyle, bool& yes);

    // The context number F1 opens while the dialog is shown.
    int helpContext() const { return m_helpContext; }

    static constexpr int kYesNoHelpContext = 999;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void prepare(int picture, const QString& title, const QString& text, int helpStyle);
    void buttonClicked(QPushButton* button);
    void openHelp();

    HelpRequest m_help;
    QLabel* m_picture = nullptr;
    QLabel* m_text = nullptr;
    QCheckBox* m_doNotShow = nullptr;
    // The left button is OK or Yes, hidden in the OK-only style; the right one Help, No or OK.
    QPushButton* m_left = nullptr;
    QPushButton* m_right = nullptr;
    int m_helpStyle = 0;
    int m_helpContext = kYesNoHelpContext;
    bool m_yes = false;
};

} // namespace kv::gui
