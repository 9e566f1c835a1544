#include "TidingsWindow.h"

#include "GuiLog.h"
#include "ProgramIcon.h"
#include "platform/Ansi.h"

#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kv::gui {

namespace {
constexpr qint64 kMaxNewsBytes = 1 << 20;
}

const QString& TidingsWindow::noNewsText()
{
    static const QString text = QStringLiteral(
        "There is no news about Korvane 2000 on this computer yet.\n\n"
        "The Tidings bring the latest information about the program: new versions, answers to "
        "common questions and how to reach us. They arrive as the file \"Tidings.txt\" in the "
        "program folder; once it is there, choose Help, \"Korvane - Tidings\" again to read it.");
    return text;
}

QString TidingsWindow::newsText(const QString& folder)
{
    QFile file(QDir(folder).filePath(QStringLiteral("Tidings.txt")));
    if (!file.open(QIODevice::ReadOnly)) {
        qCInfo(lcGui) << "No news file in" << folder;
        return noNewsText();
    }
    const QByteArray bytes = file.read(kMaxNewsBytes);
    QString text = ansi::toUnicode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (text.trimmed().isEmpty())
        return noNewsText();
    return text;
}

TidingsWindow::TidingsWindow(const QString& folder, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Tidings"));
    setWindowTitle(QStringLiteral("Korvane - Tidings"));
    setWindowIcon(programIcon());

    auto* icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(32, 32));
    auto* heading = new QLabel(QStringLiteral("Korvane 2000 - the latest information"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);

    m_text = new QTextBrowser(this);
    m_text->setObjectName(QStringLiteral("newsText"));
    m_text->setOpenExternalLinks(true);
    m_text->setPlainText(newsText(folder));

    auto* close = new QPushButton(QStringLiteral("&Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    close->setMinimumWidth(81);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(heading, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_text, 1);
    layout->addLayout(bottom);
    resize(560, 420);
    close->setFocus();
}

QString TidingsWindow::shownText() const
{
    return m_text->toPlainText();
}

} // namespace kv::gui
