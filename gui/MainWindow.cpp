#include "MainWindow.h"

#include "backup/RunProgress.h"

#include "BackupPages.h"
#include "GuiLog.h"
#include "MessagesPage.h"
#include "ProgramIcon.h"
#include "RestorePage.h"
#include "ScreenProgress.h"
#include "SynchGridPage.h"
#include "TreeListView.h"

#include "grid/TreeListModel.h"
#include "shell/MainController.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kv::gui {

namespace {

QFrame* etchedLine(QWidget* parent)
{
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QPushButton* pushButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setMinimumWidth(120);
    return b;
}

QLabel* namedLabel(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    return l;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_grid(std::make_unique<TreeListModel>()),
      m_synchGrid(std::make_unique<TreeListModel>())
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowIcon(programIcon());
    m_pages = new QStackedWidget(this);
    m_pages->setObjectName(QStringLiteral("pages"));
    m_pages->addWidget(buildOpeningPage());
    m_pages->addWidget(buildWizardPage());
    m_pages->addWidget(buildSynchPage());
    m_pages->addWidget(buildMessagesPage());
    setCentralWidget(m_pages);
    buildMenus();
    resize(680, 560);
}

// The views go before the grids they show.
MainWindow::~MainWindow()
{
    delete takeCentralWidget();
}

QWidget* MainWindow::buildOpeningPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("openingPage"));

    auto* icon = namedLabel(QStringLiteral("programIcon"), QString(), page);
    icon->setPixmap(programIcon().pixmap(64, 64));
    auto* name = namedLabel(QStringLiteral("programName"), QStringLiteral("Korvane 2000"), page);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    name->setFont(big);
    m_versionLabel = namedLabel(QStringLiteral("versionLabel"), QString(), page);

    m_backupButton =
        pushButton(QStringLiteral("backupButton"), QStringLiteral("Make &Backup Archive"), page);
    m_restoreButton = pushButton(QStringLiteral("restoreButton"),
                                 QStringLiteral("&Restore or Copy Folders"), page);
    m_synchButton =
        pushButton(QStringLiteral("synchButton"), QStringLiteral("&Synchronize Folders"), page);
    for (QPushButton* b : {m_backupButton, m_restoreButton, m_synchButton}) {
        b->setMinimumSize(260, 44);
    }
    connect(m_backupButton, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->backupClicked();
    });
    connect(m_restoreButton, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->restoreClicked();
    });
    connect(m_synchButton, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->synchClicked();
    });

    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addSpacing(12);
    auto* names = new QVBoxLayout;
    names->addWidget(name);
    names->addWidget(m_versionLabel);
    head->addLayout(names);
    head->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(14);
    buttons->addWidget(m_backupButton, 0, Qt::AlignHCenter);
    buttons->addWidget(m_restoreButton, 0, Qt::AlignHCenter);
    buttons->addWidget(m_synchButton, 0, Qt::AlignHCenter);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->addLayout(head);
    layout->addSpacing(8);
    layout->addWidget(etchedLine(page));
    layout->addStretch(1);
    layout->addLayout(buttons);
    layout->addStretch(2);
    return page;
}

QWidget* MainWindow::buildWizardPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("wizardPage"));
    m_stepCaption = namedLabel(QStringLiteral("stepCaption"), QString(), page);
    QFont bold = m_stepCaption->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    m_stepCaption->setFont(bold);
    m_instruction = namedLabel(QStringLiteral("instruction"), QString(), page);
    m_instruction->setWordWrap(true);

    // The step panels take turns below the grid, which stays in view on every step.
    auto* steps = new QVBoxLayout;
    steps->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < kSteps; ++i) {
        m_steps[i] = new QWidget(page);
        m_steps[i]->setObjectName(QStringLiteral("step%1").arg(i));
        m_steps[i]->hide();
        steps->addWidget(m_steps[i]);
    }

    auto* grid = new TreeListView(page);
    grid->setObjectName(QStringLiteral("itemGrid"));
    grid->setGrid(m_grid.get());
    m_backupPages = new BackupPages({m_steps[0], m_steps[1], m_steps[2], m_steps[3]}, grid, this);
    m_restorePage = new RestorePage(m_steps[kRestoreStep], this);
    connectBackupPages();

    m_backButton =
        pushButton(QStringLiteral("backButton"), QStringLiteral("< &Previous Step"), page);
    m_nextButton = pushButton(QStringLiteral("nextButton"), QStringLiteral("&Next Step >"), page);
    connect(m_backButton, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->backClicked();
    });
    connect(m_nextButton, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->nextClicked();
    });
    auto* nav = new QHBoxLayout;
    nav->addStretch(1);
    nav->addWidget(m_backButton);
    nav->addWidget(m_nextButton);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(m_stepCaption);
    layout->addWidget(etchedLine(page));
    layout->addWidget(m_instruction);
    layout->addWidget(grid, 1);
    layout->addSpacing(4);
    layout->addLayout(steps);
    layout->addWidget(etchedLine(page));
    layout->addLayout(nav);
    setTabOrder(grid, m_backButton);
    setTabOrder(m_backButton, m_nextButton);
    return page;
}

void MainWindow::connectBackupPages()
{
    BackupPages* pages = m_backupPages;
    // Each event goes to the controller, when there is one yet.
    auto forward = [this](auto call) {
        return [this, call](auto... args) {
            if (m_controller)
                (m_controller->*call)(args...);
        };
    };
    connect(pages, &BackupPages::itemPictureClicked, this,
            forward(&MainController::itemPictureClicked));
    connect(pages, &BackupPages::itemDetailsRequested, this,
            forward(&MainController::itemDetailsRequested));
    connect(pages, &BackupPages::selectAllClicked, this,
            forward(&MainController::selectAllClicked));
    connect(pages, &BackupPages::clearAllClicked, this, forward(&MainController::clearAllClicked));
    connect(pages, &BackupPages::browseClicked, this,
            forward(&MainController::browseSaveLocationClicked));
    connect(pages, &BackupPages::clearDisksClicked, this,
            forward(&MainController::clearDisksClicked));
    connect(pages, &BackupPages::runClicked, this, forward(&MainController::backupRunClicked));
    connect(pages, &BackupPages::itemDoubleClicked, this,
            forward(&MainController::itemDoubleClicked));
    // The controller hands the selection buttons to whichever function runs.
    connect(m_restorePage, &RestorePage::selectAllClicked, this,
            forward(&MainController::selectAllClicked));
    connect(m_restorePage, &RestorePage::clearAllClicked, this,
            forward(&MainController::clearAllClicked));
}

QWidget* MainWindow::buildSynchPage()
{
    m_synchPage = new SynchGridPage(m_synchGrid.get());
    auto forward = [this](auto call) {
        return [this, call](auto... args) {
            if (m_controller)
                (m_controller->*call)(args...);
        };
    };
    SynchGridPage* page = m_synchPage;
    connect(page, &SynchGridPage::tickClicked, this, forward(&MainController::synchTickClicked));
    connect(page, &SynchGridPage::folderMenuChosen, this,
            forward(&MainController::synchMenuChosen));
    connect(page, &SynchGridPage::selectAllClicked, this,
            forward(&MainController::synchSelectAllClicked));
    connect(page, &SynchGridPage::clearAllClicked, this,
            forward(&MainController::synchClearAllClicked));
    connect(page, &SynchGridPage::backClicked, this, forward(&MainController::synchBackClicked));
    connect(page, &SynchGridPage::nextClicked, this, forward(&MainController::synchNextClicked));
    return page;
}

QWidget* MainWindow::buildMessagesPage()
{
    m_messagesPage = new MessagesPage;
    auto forward = [this](void (MainController::*call)()) {
        return [this, call] {
            if (m_controller)
                (m_controller->*call)();
        };
    };
    MessagesPage* page = m_messagesPage;
    connect(page, &MessagesPage::restoreClicked, this,
            forward(&MainController::restoreMessagesClicked));
    connect(page, &MessagesPage::saveMboxClicked, this, forward(&MainController::saveMboxClicked));
    connect(page, &MessagesPage::backClicked, this, forward(&MainController::synchBackClicked));
    connect(page, &MessagesPage::exitClicked, this, forward(&MainController::exitClicked));
    return page;
}

void MainWindow::buildMenus()
{
    for (const MenuTitle& title : kMenuTitles) {
        QMenu* m = menuBar()->addMenu(QString::fromLatin1(title.caption));
        m->setObjectName(QLatin1String(title.objectName));
        // Hiding the identity entries leaves separators side by side; the menu shows one.
        m->setSeparatorsCollapsible(true);
        m_menus[int(title.menu)] = m;
    }
    for (const MenuItem& item : kMenuItems) {
        QMenu* m = m_menus[int(item.menu)];
        if (!item.entry) {
            m->addSeparator();
            continue;
        }
        const MenuEntry entry = *item.entry;
        QAction* a = m->addAction(QString::fromLatin1(item.caption));
        m_entries.insert(entry, a);
        connect(a, &QAction::triggered, this, [this, entry] { entryTriggered(entry); });
    }
}

void MainWindow::entryTriggered(MenuEntry entry)
{
    // The check marks are the controller's: undo the toggle Qt made on its own.
    QAction* a = menuEntry(entry);
    if (a->isCheckable())
        a->setChecked(!a->isChecked());
    if (m_controller)
        m_controller->menuChosen(entry);
}

QAction* MainWindow::menuEntry(MenuEntry entry) const
{
    return m_entries.value(entry);
}

MainPage MainWindow::currentPage() const
{
    return MainPage(m_pages->currentIndex());
}

void MainWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

QString MainWindow::caption() const
{
    return windowTitle();
}

void MainWindow::setText(MainText item, const QString& text)
{
    switch (item) {
    case MainText::Version:
        m_versionLabel->setText(text);
        return;
    case MainText::BackupButton:
        m_backupButton->setText(text);
        return;
    case MainText::RestoreButton:
        m_restoreButton->setText(text);
        return;
    case MainText::SynchButton:
        m_synchButton->setText(text);
        return;
    case MainText::StepCaption:
        m_stepCaption->setText(text);
        return;
    case MainText::Instruction:
        m_instruction->setText(text);
        return;
    case MainText::SelectAll:
    case MainText::ClearAll:
        // Both pages have the pair; each function sets the captions it shows.
        m_restorePage->setText(item, text);
        m_backupPages->setText(item, text);
        return;
    default:
        if (!m_restorePage->setText(item, text) && !m_backupPages->setText(item, text) &&
            !m_synchPage->setText(item, text) && !m_messagesPage->setText(item, text))
            qCWarning(lcGui) << "no text" << int(item) << "on the main window";
    }
}

void MainWindow::showPage(MainPage page)
{
    m_pages->setCurrentIndex(int(page));
}

void MainWindow::setStepVisible(int step, bool visible)
{
    if (step < 0 || step >= kSteps) {
        qCWarning(lcGui) << "no step" << step;
        return;
    }
    m_steps[step]->setVisible(visible);
}

QPushButton* MainWindow::button(MainButton which) const
{
    switch (which) {
    case MainButton::Backup:
        return m_backupButton;
    case MainButton::Restore:
        return m_restoreButton;
    case MainButton::Synch:
        return m_synchButton;
    case MainButton::Back:
        return m_backButton;
    case MainButton::Next:
        return m_nextButton;
    case MainButton::Run:
        return m_backupPages->runButton();
    // Only the restore page's pair is ever disabled; the backup's is always there.
    case MainButton::SelectAll:
        return m_restorePage->selectAllButton();
    case MainButton::ClearAll:
        return m_restorePage->clearAllButton();
    case MainButton::SynchSelectAll:
    case MainButton::SynchClearAll:
    case MainButton::SynchBack:
    case MainButton::SynchNext:
        return m_synchPage->button(which);
    case MainButton::RestoreMessages:
    case MainButton::SaveMbox:
        return m_messagesPage->button(which);
    }
    return nullptr;
}

void MainWindow::setButtonEnabled(MainButton which, bool enabled)
{
    if (QPushButton* b = button(which))
        b->setEnabled(enabled);
    // Both synchronise pages have their own Previous.
    if (which == MainButton::SynchBack)
        m_messagesPage->button(which)->setEnabled(enabled);
}

void MainWindow::setMenuCaption(MenuEntry entry, const QString& caption)
{
    if (QAction* a = menuEntry(entry))
        a->setText(caption);
}

void MainWindow::setMenuEnabled(MenuEntry entry, bool enabled)
{
    if (QAction* a = menuEntry(entry))
        a->setEnabled(enabled);
}

void MainWindow::setMenuVisible(MenuEntry entry, bool visible)
{
    if (QAction* a = menuEntry(entry))
        a->setVisible(visible);
}

void MainWindow::setMenuChecked(MenuEntry entry, bool checked)
{
    if (QAction* a = menuEntry(entry)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

void MainWindow::setClearDisksChecked(bool checked)
{
    m_backupPages->setClearDisksChecked(checked);
}

QSize MainWindow::screenSize() const
{
    const QScreen* s = screen();
    const QSize px = s ? s->availableGeometry().size() : QSize(1024, 768);
    return px * kTwipsPerPixel;
}

QSize MainWindow::windowSize() const
{
    return frameGeometry().size() * kTwipsPerPixel;
}

QPoint MainWindow::position() const
{
    return pos() * kTwipsPerPixel;
}

void MainWindow::moveTo(const QPoint& topLeft)
{
    move(topLeft / kTwipsPerPixel);
}

void MainWindow::setHelpContext(int topic)
{
    m_helpContext = topic;
}

void MainWindow::refresh()
{
    repaint();
}

void MainWindow::hideWindow()
{
    hide();
}

void MainWindow::closeWindow()
{
    m_closingByProgram = true;
    close();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    if (!m_closingByProgram && m_controller && !m_controller->queryClose()) {
        event->ignore();
        return;
    }
    m_closingByProgram = false;
    m_unloaded = true;
    event->accept();
    if (m_controller)
        m_controller->unload();
    Q_EMIT unloaded();
}

void MainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_controller)
        m_controller->activated();
}

void MainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_painted)
        return;
    m_painted = true;
    // The first-run question comes once the window is on screen.
    QTimer::singleShot(0, this, [this] {
        if (m_controller)
            m_controller->firstPaint();
    });
}

void MainWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F1 && m_help) {
        m_help(m_helpContext);
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::setItemVisible(MainItem item, bool visible)
{
    // Previous is on both synchronise pages.
    const bool synch = m_synchPage->setItemVisible(item, visible);
    if (m_messagesPage->setItemVisible(item, visible) || synch)
        return;
    if (item == MainItem::Instruction)
        m_instruction->setVisible(visible);
    else if (QWidget* w = m_restorePage->item(item))
        w->setVisible(visible);
    else
        m_backupPages->setItemVisible(item, visible);
}

void MainWindow::setClearDisksHighlighted(bool red)
{
    m_backupPages->setClearDisksHighlighted(red);
}

void MainWindow::setRenameChoice(bool rename)
{
    m_backupPages->setRenameChoice(rename);
}

bool MainWindow::renameChoice() const
{
    return m_backupPages->renameChoice();
}

void MainWindow::setGridLocked(bool locked)
{
    m_backupPages->setGridLocked(locked);
}

// The override cursor is a stack: push and pop it once each, whatever the callers repeat.
void MainWindow::setBusyCursor(bool busy)
{
    if (busy == m_busyCursor)
        return;
    m_busyCursor = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

RunProgress& MainWindow::runProgress()
{
    return m_backupPages->progress();
}

RunProgress& MainWindow::messagesProgress()
{
    return m_messagesPage->progress();
}

} // namespace kv::gui
