#include "IdentityDialog.h"

#include "ProgramIcon.h"
#include "shell/Strings.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace kv::gui {

namespace {
constexpr int kFormWidth = 360;
constexpr int kFormHeight = 238;
constexpr int kButtonWidth = 1215 / IdentityDialog::kTwipsPerPixel; // 81
constexpr int kButtonHeight = 405 / IdentityDialog::kTwipsPerPixel; // 27
constexpr int kButtonTop = 198;
constexpr int kButtonGap = 12;
} // namespace

IdentityDialog::IdentityDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("IdentityDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowIcon(programIcon());
    setFixedSize(kFormWidth, kFormHeight);

    m_prompt = new QLabel(Strings::get(StringId::SelectIdentity), this);
    m_prompt->setObjectName(QStringLiteral("promptLabel"));
    m_prompt->setGeometry(12, 10, kFormWidth - 24, 20);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("identityList"));
    m_list->setGeometry(12, 34, kFormWidth - 24, kButtonTop - 34 - 12);
    m_prompt->setBuddy(m_list);

    m_ok = new QPushButton(QStringLiteral("&OK"), this);
    m_ok->setObjectName(QStringLiteral("okButton"));
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    m_cancel->setGeometry(kOkLeftWithCancel + kButtonWidth + kButtonGap, kButtonTop, kButtonWidth,
                          kButtonHeight);
    setTabOrder(m_list, m_ok);
    setTabOrder(m_ok, m_cancel);

    connect(m_ok, &QPushButton::clicked, this, &IdentityDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QListWidget::itemDoubleClicked, this, &IdentityDialog::okClicked);
}

void IdentityDialog::setIdentities(const QStringList& names, int currentIndex)
{
    m_list->clear();
    for (int i = 0; i < names.size(); ++i) {
        auto* item = new QListWidgetItem(names[i], m_list);
        item->setData(Qt::UserRole, i + 1);
    }
    m_current = currentIndex;
    if (currentIndex >= 1 && currentIndex <= names.size())
        m_list->setCurrentRow(currentIndex - 1);
    else if (!names.isEmpty())
        m_list->setCurrentRow(0);
}

int IdentityDialog::chooseIdentity(bool offerCancel)
{
    m_cancel->setVisible(offerCancel);
    const int okLeft = offerCancel ? kOkLeftWithCancel : (kFormWidth - kButtonWidth) / 2;
    m_ok->setGeometry(okLeft, kButtonTop, kButtonWidth, kButtonHeight);
    m_answer = offerCancel ? -m_current : m_current;
    m_list->setFocus();
    exec();
    return m_answer;
}

void IdentityDialog::okClicked()
{
    const int chosen = selectedIndex();
    if (chosen > 0)
        m_answer = chosen;
    accept();
}

int IdentityDialog::selectedIndex() const
{
    const QListWidgetItem* item = m_list->currentItem();
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

} // namespace kv::gui
