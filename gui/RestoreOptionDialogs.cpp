#include "RestoreOptionDialogs.h"

#include "ProgramIcon.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

namespace kv::gui {

namespace {

constexpr int kButtonWidth = 81;
constexpr int kTextWidth = 380;

// A radio button's caption that wraps: the long choices of these dialogs would make the
// dialogs wider than a small screen. Clicking the text clicks the button.
class OptionText : public QLabel
{
public:
    OptionText(const QString& text, QRadioButton* option, QWidget* parent)
        : QLabel(text, parent), m_option(option)
    {
        setWordWrap(true);
        setFixedWidth(kTextWidth);
        setObjectName(option->objectName() + QStringLiteral("Text"));
        // Screen readers and tests find the choice's words on the button itself.
        option->setAccessibleName(text);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            m_option->click();
        QLabel::mouseReleaseEvent(event);
    }

private:
    QRadioButton* m_option;
};

QRadioButton* addOption(QGridLayout* grid, const char* name, const QString& text, QWidget* parent)
{
    auto* option = new QRadioButton(parent);
    option->setObjectName(QLatin1String(name));
    const int row = grid->rowCount();
    grid->addWidget(option, row, 0, Qt::AlignTop);
    grid->addWidget(new OptionText(text, option, parent), row, 1);
    return option;
}

QPushButton* dialogButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(kButtonWidth);
    return b;
}

void prepareDialog(QDialog* dialog, const char* name, const QString& caption)
{
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    dialog->setWindowIcon(programIcon());
    dialog->setWindowTitle(caption);
}

} // namespace

AddressBookRestoreDialog::AddressBookRestoreDialog(HelpRequest help, QWidget* parent)
    : QDialog(parent), m_help(std::move(help))
{
    prepareDialog(this, "AddressBookRestoreDialog", QStringLiteral("Address Book Restore"));
    auto* options = new QGridLayout;
    options->setVerticalSpacing(12);
    m_normal = addOption(options, "normalLocationOption",
                         QStringLiteral("Restore the Address Book to the normal location [this is "
                                        "the standard default action]."),
                         this);
    m_temporary = addOption(options, "temporaryFolderOption",
                            QStringLiteral("Restore the Address Book to a temporary folder so "
                                           "that I may import the data [this may be required "
                                           "after upgrading Outlook Express]"),
                            this);
    auto* group = new QButtonGroup(this);
    group->addButton(m_normal, int(WabRestoreTarget::NormalLocation));
    group->addButton(m_temporary, int(WabRestoreTarget::TemporaryFolder));
    m_normal->setChecked(true);

    m_ok = dialogButton("okButton", QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_helpButton = dialogButton("helpButton", QStringLiteral("Additional Help"), this);
    m_helpButton->setEnabled(bool(m_help));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_helpButton);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(options);
    layout->addSpacing(14);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_helpButton, &QPushButton::clicked, this, [this] {
        if (m_help)
            m_help(kHelpTopic);
    });
}

WabRestoreTarget AddressBookRestoreDialog::target() const
{
    return m_temporary->isChecked() ? WabRestoreTarget::TemporaryFolder
                                    : WabRestoreTarget::NormalLocation;
}

// Closing the window is no refusal: the restore goes on with the choice shown.
WabRestoreTarget AddressBookRestoreDialog::ask()
{
    m_ok->setFocus();
    exec();
    return target();
}

Oe4ImportDialog::Oe4ImportDialog(QWidget* parent) : QDialog(parent)
{
    prepareDialog(this, "Oe4ImportDialog", QStringLiteral("Outlook Express 4 --- Import"));
    auto* label =
        new QLabel(QStringLiteral("The Outlook Express 4 (OE4) data store was not found."), this);
    label->setObjectName(QStringLiteral("storeMissingLabel"));
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    auto* options = new QGridLayout;
    options->setVerticalSpacing(12);
    m_temporaryStore = addOption(
        options, "temporaryStoreOption",
        QStringLiteral("Restore the OE4 message folders to a temporary message store.  The "
                       "restored message folders may then be \"Imported\" into Outlook Express 5"),
        this);
    m_singleFiles = addOption(options, "singleFilesOption",
                              QStringLiteral("Restore OE4 mail messages to temporary folders as "
                                             "individual \"eml\" message files.  "),
                              this);
    m_ok = dialogButton("okButton", QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setEnabled(false);
    m_cancel = dialogButton("cancelButton", QStringLiteral("Cancel"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addWidget(label);
    layout->addSpacing(10);
    layout->addLayout(options);
    layout->addSpacing(14);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (auto [option, choice] : {std::pair{m_temporaryStore, Oe4ImportChoice::TemporaryStore},
                                  std::pair{m_singleFiles, Oe4ImportChoice::SingleFiles}}) {
        connect(option, &QRadioButton::toggled, this, [this, choice](bool on) {
            if (!on)
                return;
            m_choice = choice;
            m_ok->setEnabled(true);
        });
    }
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

Oe4ImportChoice Oe4ImportDialog::ask()
{
    m_ok->setEnabled(m_temporaryStore->isChecked() || m_singleFiles->isChecked());
    m_temporaryStore->setFocus();
    if (exec() != QDialog::Accepted)
        return Oe4ImportChoice::Cancel;
    return m_choice;
}

} // namespace kv::gui
