#include "OptionsDialog.h"

#include "GuiLog.h"
#include "ProgramIcon.h"
#include "shell/AppSettings.h"
#include "shell/Options.h"
#include "shell/SettingsTable.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kv::gui {

namespace {
// Both values live in the installation's "Parms" section, whatever the identity.
const SettingDef& settingOf(OptionsDialog::Mode mode)
{
    return mode == OptionsDialog::Mode::Reminder ? Setting::RemindDays : Setting::BackupPurge;
}
} // namespace

OptionsDialog::OptionsDialog(AppSettings& settings, QWidget* parent)
    : QDialog(parent), m_settings(&settings)
{
    build();
}

OptionsDialog::OptionsDialog(QWidget* parent) : QDialog(parent)
{
    build();
}

std::optional<OptionsAnswer> OptionsDialog::ask(const OptionsRequest& request)
{
    setWindowTitle(request.caption);
    m_on->setText(request.onCaption);
    m_off->setText(request.offCaption);
    m_unit->setText(request.unit);
    (request.on ? m_on : m_off)->setChecked(true);
    m_value->setText(request.text);
    updateEnabled();
    (request.on ? static_cast<QWidget*>(m_value) : m_off)->setFocus();
    if (request.on)
        m_value->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return OptionsAnswer{m_on->isChecked(), m_value->text()};
}

void OptionsDialog::build()
{
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(programIcon());

    auto* group = new QButtonGroup(this);
    m_on = new QRadioButton(this);
    m_on->setObjectName(QStringLiteral("onChoice"));
    m_off = new QRadioButton(this);
    m_off->setObjectName(QStringLiteral("offChoice"));
    group->addButton(m_on);
    group->addButton(m_off);
    m_value = new QLineEdit(this);
    m_value->setObjectName(QStringLiteral("valueEdit"));
    m_value->setMaxLength(5);
    m_value->setFixedWidth(56);
    m_value->setAlignment(Qt::AlignRight);
    m_unit = new QLabel(this);
    m_unit->setObjectName(QStringLiteral("unitLabel"));
    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    for (QPushButton* button : {m_ok, m_cancel})
        button->setMinimumWidth(81);
    m_ok->setDefault(true);

    auto* choices = new QGridLayout;
    choices->addWidget(m_on, 0, 0);
    choices->addWidget(m_value, 0, 1);
    choices->addWidget(m_unit, 0, 2);
    choices->addWidget(m_off, 1, 0, 1, 3);
    choices->setColumnStretch(3, 1);
    choices->setVerticalSpacing(10);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(choices);
    layout->addSpacing(16);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_on, m_value);
    setTabOrder(m_value, m_off);
    setTabOrder(m_off, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_on, &QRadioButton::toggled, this, &OptionsDialog::updateEnabled);
    connect(m_on, &QRadioButton::clicked, this, [this] { m_value->setFocus(); });
    connect(m_ok, &QPushButton::clicked, this, &OptionsDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void OptionsDialog::editReminderDays()
{
    setWindowTitle(QStringLiteral("Set Reminder Days"));
    m_on->setText(QStringLiteral("Remind me to Backup after:"));
    m_off->setText(QStringLiteral("Do NOT remind me"));
    m_unit->setText(QStringLiteral("Day(s)"));
    load(Mode::Reminder);
    exec();
}

void OptionsDialog::editBackupPurge()
{
    setWindowTitle(QStringLiteral("Set Backup Purge"));
    m_on->setText(QStringLiteral("Delete old Backups if there are more than"));
    m_off->setText(QStringLiteral("Do NOT Auto Delete"));
    m_unit->setText(QStringLiteral("Copies"));
    load(Mode::Purge);
    exec();
}

void OptionsDialog::load(Mode mode)
{
    m_mode = mode;
    const QString stored = m_settings->get(settingOf(mode), QString());
    const options::OptionView view = options::viewOfStored(stored);
    (view.on ? m_on : m_off)->setChecked(true);
    m_value->setText(view.text);
    updateEnabled();
    (view.on ? static_cast<QWidget*>(m_value) : m_off)->setFocus();
    if (view.on)
        m_value->selectAll();
}

void OptionsDialog::updateEnabled()
{
    m_value->setEnabled(m_on->isChecked());
}

void OptionsDialog::okClicked()
{
    if (!m_settings) { // the caller saves the answer
        accept();
        return;
    }
    const bool on = m_on->isChecked();
    const QString text = m_value->text();
    const int value =
        m_mode == Mode::Reminder ? options::reminderDays(on, text) : options::purgeCopies(on, text);
    const SettingDef& setting = settingOf(m_mode);
    if (!m_settings->save(setting, QString(), options::storedText(value)))
        qCWarning(lcGui) << "Could not save" << setting.keyName();
    accept();
}

} // namespace kv::gui
