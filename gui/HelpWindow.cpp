#include "HelpWindow.h"

#include "GuiLog.h"
#include "HelpTopics.h"
#include "ProgramIcon.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace kv::gui {

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Korvane 2000 Help"));
    setWindowIcon(programIcon());

    m_contents = new QPushButton(QStringLiteral("&Contents"), this);
    m_contents->setObjectName(QStringLiteral("contentsButton"));
    m_back = new QPushButton(QStringLiteral("&Back"), this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_back->setEnabled(false);
    m_close = new QPushButton(QStringLiteral("C&lose"), this);
    m_close->setObjectName(QStringLiteral("closeButton"));

    m_topics = new QListWidget(this);
    m_topics->setObjectName(QStringLiteral("topicList"));
    for (const HelpTopic& topic : HelpTopics::all()) {
        auto* item = new QListWidgetItem(topic.title, m_topics);
        item->setData(Qt::UserRole, topic.page);
    }
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("pageBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_topics);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({270, 490});

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(splitter, 1);
    resize(780, 520);

    connect(m_contents, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(m_back, &QPushButton::clicked, this, [this] {
        m_browser->backward();
        syncList();
    });
    connect(m_close, &QPushButton::clicked, this, &HelpWindow::closeHelp);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &HelpWindow::syncList);
    connect(m_topics, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
    connect(m_topics, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { showPage(item->data(Qt::UserRole).toString()); });
}

void HelpWindow::showContents()
{
    showPage(HelpTopics::contentsPage());
}

bool HelpWindow::showTopic(int context)
{
    const QString page = HelpTopics::pageOf(context);
    if (page.isEmpty()) {
        qCWarning(lcGui) << "No help page for context" << context << "- showing the contents";
        showContents();
        return false;
    }
    showPage(page);
    return true;
}

void HelpWindow::closeHelp()
{
    close();
}

QString HelpWindow::currentPage() const
{
    return m_browser->source().toString();
}

void HelpWindow::showPage(const QString& page)
{
    if (m_browser->source() != QUrl(page))
        m_browser->setSource(QUrl(page));
    syncList();
    show();
    raise();
    activateWindow();
}

void HelpWindow::syncList()
{
    const QString page = currentPage();
    const QSignalBlocker block(m_topics);
    int row = -1;
    for (int i = 0; i < m_topics->count(); ++i) {
        if (m_topics->item(i)->data(Qt::UserRole).toString() == page)
            row = i;
    }
    if (row >= 0)
        m_topics->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
    else
        m_topics->clearSelection();
}

} // namespace kv::gui
