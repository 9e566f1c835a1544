#include "AboutDialog.h"

#include "ProgramIcon.h"

#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::gui {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("About Korvane 2000"));
    setWindowIcon(programIcon());

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("iconLabel"));
    icon->setPixmap(programIcon().pixmap(64, 64));
    icon->setFixedSize(72, 72);
    icon->setAlignment(Qt::AlignCenter);

    auto* name = new QLabel(QStringLiteral("Korvane 2000"), this);
    name->setObjectName(QStringLiteral("nameLabel"));
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    name->setFont(big);
    m_version = new QLabel(this);
    m_version->setObjectName(QStringLiteral("versionLabel"));
    m_version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* purpose = new QLabel(
        QStringLiteral("Backup, restore and synchronisation\nfor Outlook Express 4 and 5."), this);
    purpose->setObjectName(QStringLiteral("purposeLabel"));

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    ok->setMinimumWidth(81);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(m_version);
    texts->addSpacing(8);
    texts->addWidget(purpose);
    texts->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(texts, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(top);
    layout->addSpacing(10);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setVersionText(programVersionText());
}

void AboutDialog::setVersionText(const QString& text)
{
    m_version->setText(text);
}

QString AboutDialog::versionText() const
{
    return m_version->text();
}

} // namespace kv::gui
