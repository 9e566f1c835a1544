#include "MessagesPage.h"

#include "PercentMeter.h"
#include "ScreenProgress.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::gui {

namespace {

// The caution's colour of the backup pages.
const QColor kCautionColor(128, 0, 0);

QPushButton* pageButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(120);
    return b;
}

QLabel* pageLabel(const char* name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

} // namespace

MessagesPage::MessagesPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("messagesPage"));
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("messagesFrame"));
    frame->setFrameShape(QFrame::StyledPanel);
    m_target = pageLabel("messagesTarget", frame);
    // The folder is a path the user may want to copy.
    m_target->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_caution = pageLabel("messagesCaution", frame);
    QPalette pal = m_caution->palette();
    pal.setColor(QPalette::WindowText, kCautionColor);
    m_caution->setPalette(pal);
    m_caution->hide();

    m_restore = pageButton("restoreMessagesButton", QStringLiteral("&Restore Messages"), frame);
    m_restore->setMinimumSize(160, 36);
    m_saveMbox = pageButton("saveMboxButton", QStringLiteral("Save as &mbox..."), frame);
    m_saveMbox->setMinimumSize(160, 36);
    connect(m_restore, &QPushButton::clicked, this, &MessagesPage::restoreClicked);
    connect(m_saveMbox, &QPushButton::clicked, this, &MessagesPage::saveMboxClicked);
    m_progressText = pageLabel("messagesProgressText", frame);
    m_meter = new PercentMeter(frame);
    m_meter->setObjectName(QStringLiteral("messagesMeter"));
    m_meter->hide();
    m_progress = new ScreenProgress(m_progressText, m_meter, this);

    auto* runButtons = new QHBoxLayout;
    runButtons->addStretch(1);
    runButtons->addWidget(m_restore);
    runButtons->addSpacing(12);
    runButtons->addWidget(m_saveMbox);
    runButtons->addStretch(1);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->setContentsMargins(16, 16, 16, 16);
    inFrame->addWidget(m_target);
    inFrame->addSpacing(8);
    inFrame->addWidget(m_caution);
    inFrame->addStretch(1);
    inFrame->addLayout(runButtons);
    inFrame->addSpacing(12);
    inFrame->addWidget(m_progressText);
    inFrame->addWidget(m_meter);
    inFrame->addStretch(1);

    m_back = pageButton("messagesBackButton", QStringLiteral("< &Previous Step"), this);
    auto* exit = pageButton("exitButton", QStringLiteral("&Exit"), this);
    connect(m_back, &QPushButton::clicked, this, &MessagesPage::backClicked);
    connect(exit, &QPushButton::clicked, this, &MessagesPage::exitClicked);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* nav = new QHBoxLayout;
    nav->addWidget(exit);
    nav->addStretch(1);
    nav->addWidget(m_back);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(frame, 1);
    layout->addWidget(line);
    layout->addLayout(nav);
}

bool MessagesPage::setText(MainText item, const QString& text)
{
    switch (item) {
    case MainText::MessagesTarget:
        m_target->setText(text);
        return true;
    case MainText::MessagesCaution:
        m_caution->setText(text);
        return true;
    case MainText::MessagesProgress:
        m_progress->setProgressText(text);
        return true;
    default:
        return false;
    }
}

bool MessagesPage::setItemVisible(MainItem item, bool visible)
{
    switch (item) {
    case MainItem::MessagesCaution:
        m_caution->setVisible(visible);
        return true;
    case MainItem::SynchBack:
        m_back->setVisible(visible);
        return true;
    default:
        return false;
    }
}

QPushButton* MessagesPage::button(MainButton which) const
{
    switch (which) {
    case MainButton::RestoreMessages:
        return m_restore;
    case MainButton::SaveMbox:
        return m_saveMbox;
    case MainButton::SynchBack:
        return m_back;
    default:
        return nullptr;
    }
}

} // namespace kv::gui
