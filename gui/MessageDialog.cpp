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

namespace {

// Picture 95 is the caution picture every caller passes; others fall back to the program icon.
QPixmap pictureOf(int picture, const QStyle* style)
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

} // namespace

MessageDialog::MessageDialog(HelpRequest help, QWidget* parent)
    : QDialog(parent), m_help(std::move(help))
{
    setObjectName(QStringLiteral("MessageDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_image = new QLabel(this);
    m_image->setObjectName(QStringLiteral("Image1"));
    m_image->setFixedSize(40, 40);
    m_image->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Label1"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    m_text->setMinimumWidth(320);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_check = new QCheckBox(QStringLiteral("&Do not show this again"), this);
    m_check->setObjectName(QStringLiteral("Check1"));
    for (int i = 0; i < 2; ++i) {
        m_cmd[i] = new QPushButton(this);
        m_cmd[i]->setObjectName(QStringLiteral("cmd%1").arg(i));
        m_cmd[i]->setMinimumWidth(81);
        connect(m_cmd[i], &QPushButton::clicked, this, [this, i] { buttonClicked(i); });
    }

    auto* top = new QHBoxLayout;
    top->addWidget(m_image, 0, Qt::AlignTop);
    top->addSpacing(8);
    top->addWidget(m_text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_check);
    buttons->addStretch(1);
    buttons->addWidget(m_cmd[0]);
    buttons->addWidget(m_cmd[1]);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 12);
    layout->addLayout(top, 1);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    setTabOrder(m_cmd[0], m_cmd[1]);
    setTabOrder(m_cmd[1], m_check);
}

void MessageDialog::prepare(int picture, const QString& title, const QString& text, int helpStyle)
{
    m_helpStyle = helpStyle;
    m_result = false;
    m_check->setChecked(false);
    setWindowTitle(title);
    m_image->setPixmap(pictureOf(picture, style()));
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    m_text->setText(shown);

    if (helpStyle > 0) {
        m_cmd[0]->setText(QStringLiteral("&OK"));
        m_cmd[1]->setText(QStringLiteral("&Help"));
        m_cmd[0]->setVisible(true);
        m_helpContext = helpStyle;
    } else if (helpStyle == 0) {
        m_cmd[0]->setText(QStringLiteral("&Yes"));
        m_cmd[1]->setText(QStringLiteral("&No"));
        m_cmd[0]->setVisible(true);
        m_helpContext = kYesNoHelpContext;
    } else {
        m_cmd[1]->setText(QStringLiteral("&OK"));
        m_cmd[0]->setVisible(false);
        m_helpContext = kYesNoHelpContext;
    }
    m_cmd[1]->setVisible(true);
    QPushButton* first = m_cmd[0]->isVisibleTo(this) ? m_cmd[0] : m_cmd[1];
    m_cmd[0]->setDefault(first == m_cmd[0]);
    m_cmd[1]->setDefault(first == m_cmd[1]);
    first->setFocus();
    adjustSize();
}

void MessageDialog::Message(int picture, const QString& title, const QString& text, bool& doNotShow,
                            int helpStyle, bool& result)
{
    prepare(picture, title, text, helpStyle);
    // A busy pointer left by the caller would hide that the program waits for an answer.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    exec();
    QApplication::restoreOverrideCursor();
    doNotShow = m_check->isChecked();
    result = m_result;
}

void MessageDialog::buttonClicked(int index)
{
    if (m_helpStyle > 0) {
        if (index == 1) {
            openHelp();
            return;
        }
        m_result = false;
    } else if (m_helpStyle == 0) {
        m_result = index == 0;
    } else {
        m_result = false;
    }
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
