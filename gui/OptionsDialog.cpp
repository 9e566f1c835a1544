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
    return mode == OptionsDialog::Reminder ? Setting::RemindDays : Setting::BackupPurge;
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

std::optional<OptionsAnswer> OptionsDialog::Ask(const OptionsRequest& request)
{
    setWindowTitle(request.caption);
    m_opt[0]->setText(request.onCaption);
    m_opt[1]->setText(request.offCaption);
    m_lblData->setText(request.unit);
    m_opt[request.on ? 0 : 1]->setChecked(true);
    m_txtData->setText(request.text);
    updateEnabled();
    (request.on ? static_cast<QWidget*>(m_txtData) : m_opt[1])->setFocus();
    if (request.on)
        m_txtData->selectAll();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return OptionsAnswer{m_opt[0]->isChecked(), m_txtData->text()};
}

void OptionsDialog::build()
{
    setObjectName(QStringLiteral("OptionsDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(programIcon());

    auto* group = new QButtonGroup(this);
    for (int i = 0; i < 2; ++i) {
        m_opt[i] = new QRadioButton(this);
        m_opt[i]->setObjectName(QStringLiteral("optData%1").arg(i));
        group->addButton(m_opt[i], i);
    }
    m_txtData = new QLineEdit(this);
    m_txtData->setObjectName(QStringLiteral("txtData"));
    m_txtData->setMaxLength(5);
    m_txtData->setFixedWidth(56);
    m_txtData->setAlignment(Qt::AlignRight);
    m_lblData = new QLabel(this);
    m_lblData->setObjectName(QStringLiteral("lblData"));
    m_cmd[0] = new QPushButton(QStringLiteral("&OK"), this);
    m_cmd[1] = new QPushButton(QStringLiteral("&Cancel"), this);
    for (int i = 0; i < 2; ++i) {
        m_cmd[i]->setObjectName(QStringLiteral("cmd%1").arg(i));
        m_cmd[i]->setMinimumWidth(81);
    }
    m_cmd[0]->setDefault(true);

    auto* choices = new QGridLayout;
    choices->addWidget(m_opt[0], 0, 0);
    choices->addWidget(m_txtData, 0, 1);
    choices->addWidget(m_lblData, 0, 2);
    choices->addWidget(m_opt[1], 1, 0, 1, 3);
    choices->setColumnStretch(3, 1);
    choices->setVerticalSpacing(10);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmd[0]);
    buttons->addWidget(m_cmd[1]);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(choices);
    layout->addSpacing(16);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(m_opt[0], m_txtData);
    setTabOrder(m_txtData, m_opt[1]);
    setTabOrder(m_opt[1], m_cmd[0]);
    setTabOrder(m_cmd[0], m_cmd[1]);

    connect(m_opt[0], &QRadioButton::toggled, this, &OptionsDialog::updateEnabled);
    connect(m_opt[0], &QRadioButton::clicked, this, [this] { m_txtData->setFocus(); });
    connect(m_cmd[0], &QPushButton::clicked, this, &OptionsDialog::okClicked);
    connect(m_cmd[1], &QPushButton::clicked, this, &QDialog::reject);
}

void OptionsDialog::SetReminder()
{
    setWindowTitle(QStringLiteral("Set Reminder Days"));
    m_opt[0]->setText(QStringLiteral("Remind me to Backup after:"));
    m_opt[1]->setText(QStringLiteral("Do NOT remind me"));
    m_lblData->setText(QStringLiteral("Day(s)"));
    load(Reminder);
    exec();
}

void OptionsDialog::SetBackupPurge()
{
    setWindowTitle(QStringLiteral("Set Backup Purge"));
    m_opt[0]->setText(QStringLiteral("Delete old Backups if there are more than"));
    m_opt[1]->setText(QStringLiteral("Do NOT Auto Delete"));
    m_lblData->setText(QStringLiteral("Copies"));
    load(Purge);
    exec();
}

void OptionsDialog::load(Mode mode)
{
    m_mode = mode;
    const QString stored = m_settings->get(settingOf(mode), QString());
    const options::OptionView view = options::viewOfStored(stored);
    m_opt[view.on ? 0 : 1]->setChecked(true);
    m_txtData->setText(view.text);
    updateEnabled();
    (view.on ? static_cast<QWidget*>(m_txtData) : m_opt[1])->setFocus();
    if (view.on)
        m_txtData->selectAll();
}

void OptionsDialog::updateEnabled()
{
    m_txtData->setEnabled(m_opt[0]->isChecked());
}

void OptionsDialog::okClicked()
{
    if (!m_settings) { // the caller saves the answer
        accept();
        return;
    }
    const bool on = m_opt[0]->isChecked();
    const QString text = m_txtData->text();
    const int value =
        m_mode == Reminder ? options::reminderDays(on, text) : options::purgeCopies(on, text);
    const SettingDef& setting = settingOf(m_mode);
    if (!m_settings->save(setting, QString(), options::storedText(value)))
        qCWarning(lcGui) << "Could not save" << setting.keyName();
    accept();
}

} // namespace kv::gui
