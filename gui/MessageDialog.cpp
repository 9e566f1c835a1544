#include "MessageDialog.h"

#include "GuiLog.h"
#include "ProgramIcon.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kv::gui {

// Picture 95 is the caution picture every caller passes; others fall back to the program icon.
QPixmap messagePicture(int picture, const QStyle* style)
{
    switch (picture) {
    case 95:
        return style->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32);
    case 16:
        return style->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(32, 32);
    case 32:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32);
    case 64:
        return style->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32);
    default:
        return programIcon().pixmap(32, 32);
    }
}

MessageDialog::MessageDialog(HelpRequest help, QWidget* parent)
    : QDialog(parent), m_help(std::move(help))
{
    setObjectName(QStringLiteral("MessageDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("pictureLabel"));
    m_picture->setFixedSize(40, 40);
    m_picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("textLabel"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(320);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_doNotShow = new QCheckBox(QStringLiteral("&Do not show this again"), this);
    m_doNotShow->setObjectName(QStringLiteral("doNotShowCheck"));
    m_left = new QPushButton(this);
    m_left->setObjectName(QStringLiteral("leftButton"));
    m_right = new QPushButton(this);
    m_right->setObjectName(QStringLiteral("rightButton"));
    for (QPushButton* button : {m_left, m_right}) {
        button->setMinimumWidth(81);
        connect(button, &QPushButton::clicked, this, [this, button] { buttonClicked(button); });
    }

    auto* top = new QHBoxLayout;
    top->addWidget(m_picture, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_doNotShow);
    buttons->addStretch(1);
    buttons->addWidget(m_left);
    buttons->addWidget(m_right);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->addLayout(top, 1);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setTabOrder(m_left, m_right);
    setTabOrder(m_right, m_doNotShow);
}

void MessageDialog::prepare(int picture, const QString& title, const QString& text, int helpStyle)
{
    m_helpStyle = helpStyle;
    m_yes = false;
    m_doNotShow->setChecked(false);
    setWindowTitle(title);
    m_picture->setPixmap(messagePicture(picture, style()));
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    m_text->setText(shown);

    if (helpStyle > 0) {
        m_left->setText(QStringLiteral("&OK"));
        m_right->setText(QStringLiteral("&Help"));
        m_helpContext = helpStyle;
    } else if (helpStyle == 0) {
        m_left->setText(QStringLiteral("&Yes"));
        m_right->setText(QStringLiteral("&No"));
        m_helpContext = kYesNoHelpContext;
    } else {
        m_right->setText(QStringLiteral("&OK"));
        m_helpContext = kYesNoHelpContext;
    }
    m_left->setVisible(helpStyle >= 0);
    QPushButton* first = helpStyle >= 0 ? m_left : m_right;
    m_left->setDefault(first == m_left);
    m_right->setDefault(first == m_right);
    first->setFocus();
    adjustSize();
}

void MessageDialog::showMessage(int picture, const QString& title, const QString& text,
                                bool& doNotShow, int helpStyle, bool& yes)
{
    prepare(picture, title, text, helpStyle);
    // A busy pointer left by the caller would hide that the program waits for an answer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    exec();
    QApplication::restoreOverrideCursor();
    doNotShow = m_doNotShow->isChecked();
    yes = m_yes;
}

void MessageDialog::buttonClicked(QPushButton* button)
{
    if (m_helpStyle > 0 && button == m_right) {
        openHelp();
        return;
    }
    m_yes = m_helpStyle == 0 && button == m_left;
    accept();
}

void MessageDialog::openHelp()
{
    if (m_help)
        m_help(m_helpContext);
    else
        qCWarning(lcGui) << "No help available for topic" << m_helpContext;
}

void MessageDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1) {
        openHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace kv::gui
