#pragma once

#include "HelpRequest.h"
#include "shell/Ui.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

namespace kv::gui {

// Where a restored address book goes. The normal location is chosen when the dialog opens, so
// closing it untouched keeps the standard action; "Additional Help" leaves the dialog open.
class AddressBookRestoreDialog : public QDialog
{
    Q_OBJECT

public:
    explicit AddressBookRestoreDialog(HelpRequest help = {}, QWidget* parent = nullptr);

    WabRestoreTarget ask();
    // The choice the dialog holds now.
    WabRestoreTarget target() const;

    static constexpr int kHelpTopic = 1050;

private:
    HelpRequest m_help;
    QRadioButton* m_normal = nullptr;
    QRadioButton* m_temporary = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_helpButton = nullptr;
};

// How the messages of a version-4 store are restored when that store is missing. OK stays
// disabled until one way is chosen, so that nobody picks one by pressing Enter.
class Oe4ImportDialog : public QDialog
{
    Q_OBJECT

public:
    explicit Oe4ImportDialog(QWidget* parent = nullptr);

    Oe4ImportChoice ask();

private:
    QRadioButton* m_temporaryStore = nullptr;
    QRadioButton* m_singleFiles = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    Oe4ImportChoice m_choice = Oe4ImportChoice::Cancel;
};

} // namespace kv::gui
