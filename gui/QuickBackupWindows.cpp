#include "QuickBackupWindows.h"

#include "GuiLog.h"
#include "MessageDialog.h"
#include "PercentMeter.h"
#include "ScreenProgress.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::gui {

QuickBackupConfirmation::QuickBackupConfirmation(const QString& programTitle, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("QuickBackupConfirmation"));
    setWindowTitle(programTitle + QStringLiteral(" - Quick Backup ?"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("pictureLabel"));
    picture->setPixmap(messagePicture(95, style()));
    picture->setFixedSize(36, 36);
    auto* text = new QLabel(QStringLiteral("A backup will be made now with the location and the "
                                           "choices of your last backup."),
                            this);
    text->setObjectName(QStringLiteral("textLabel"));
    text->setWordWrap(true);
    text->setMinimumWidth(260);
    auto* proceed = new QPushButton(QStringLiteral("&Proceed"), this);
    proceed->setObjectName(QStringLiteral("proceedButton"));
    proceed->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    m_doNotAsk = new QCheckBox(QStringLiteral("&Do not ask again"), this);
    m_doNotAsk->setObjectName(QStringLiteral("doNotAskCheck"));
    connect(proceed, &QPushButton::clicked, this, [this] {
        m_answer = !m_doNotAsk->isHidden() && m_doNotAsk->isChecked()
                       ? QuickBackupAnswer::ProceedAndStopAsking
                       : QuickBackupAnswer::Proceed;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(proceed);
    buttons->addWidget(cancel);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(6);
    top->addWidget(text, 1, Qt::AlignTop);
    top->addSpacing(6);
    top->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 8);
    layout->addLayout(top);
    layout->addWidget(m_doNotAsk);
}

QuickBackupAnswer QuickBackupConfirmation::ask(bool showCheckBox)
{
    m_answer = QuickBackupAnswer::Cancel;
    m_doNotAsk->setChecked(false);
    m_doNotAsk->setVisible(showCheckBox);
    if (showCheckBox)
        setFixedSize(sizeHint().expandedTo(QSize(0, kShortHeight + 24)));
    else
        setFixedSize(sizeHint().width(), kShortHeight);
    exec();
    return m_answer;
}

QuickBackupWindow::QuickBackupWindow(const QIcon& icon, std::function<void()> cancel,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), m_cancel(std::move(cancel))
{
    setObjectName(QStringLiteral("QuickBackupWindow"));
    setWindowTitle(QStringLiteral("Korvane - Fast Backup"));
    setWindowIcon(icon);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("progressLabel"));
    m_label->setMinimumWidth(300);
    m_meter = new PercentMeter(this);
    m_meter->setObjectName(QStringLiteral("progressBar"));
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    connect(m_cancelButton, &QPushButton::clicked, this, [this] {
        qCInfo(lcGui) << "quick backup: cancel asked";
        if (m_cancel)
            m_cancel();
    });
    m_progress = new ScreenProgress(m_label, m_meter, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 10);
    layout->addWidget(m_label);
    layout->addWidget(m_meter);
    layout->addSpacing(6);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint());
}

RunProgress& QuickBackupWindow::progress() const
{
    return *m_progress;
}

void QuickBackupWindow::finish()
{
    m_finished = true;
    close();
}

void QuickBackupWindow::closeEvent(QCloseEvent* event)
{
    if (m_finished) {
        event->accept();
        return;
    }
    // The run ends in its own time and then closes the window.
    event->ignore();
    if (m_cancel)
        m_cancel();
}

} // namespace kv::gui
