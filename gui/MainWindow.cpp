#include "MainWindow.h"

#include "GuiLog.h"
#include "ProgramIcon.h"
#include "TreeListView.h"

#include "shell/MainController.h"
#include "grid/TreeListModel.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
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
    m_pages->setObjectName(QStringLiteral("picPage"));
    m_pages->addWidget(buildOpeningPage());
    m_pages->addWidget(buildWizardPage());
    m_pages->addWidget(buildSynchPage());
    m_pages->addWidget(buildMessagesPage());
    setCentralWidget(m_pages);
    buildMenus();
    resize(640, 480);
}

// The views go before the grids they show.
MainWindow::~MainWindow()
{
    delete takeCentralWidget();
}

QWidget* MainWindow::buildOpeningPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("picPage0"));

    auto* icon = namedLabel(QStringLiteral("imgIcon"), QString(), page);
    icon->setPixmap(programIcon().pixmap(64, 64));
    auto* name = namedLabel(QStringLiteral("lblProgram"), QStringLiteral("Korvane 2000"), page);
    QFont big = name->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    name->setFont(big);
    m_lblVersion = namedLabel(QStringLiteral("lblVersion"), QString(), page);

    m_cmdBackup =
        pushButton(QStringLiteral("cmdBackup"), QStringLiteral("Make &Backup Archive"), page);
    m_cmdRestore =
        pushButton(QStringLiteral("cmdRestore"), QStringLiteral("&Restore or Copy Folders"), page);
    m_cmdSynch =
        pushButton(QStringLiteral("cmdSynch"), QStringLiteral("&Synchronize Folders"), page);
    for (QPushButton* b : {m_cmdBackup, m_cmdRestore, m_cmdSynch}) {
        b->setMinimumSize(260, 44);
    }
    connect(m_cmdBackup, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->backupClicked();
    });
    connect(m_cmdRestore, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->restoreClicked();
    });
    connect(m_cmdSynch, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->synchClicked();
    });

    auto* head = new QHBoxLayout;
    head->addWidget(icon);
    head->addSpacing(12);
    auto* names = new QVBoxLayout;
    names->addWidget(name);
    names->addWidget(m_lblVersion);
    head->addLayout(names);
    head->addStretch(1);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(14);
    buttons->addWidget(m_cmdBackup, 0, Qt::AlignHCenter);
    buttons->addWidget(m_cmdRestore, 0, Qt::AlignHCenter);
    buttons->addWidget(m_cmdSynch, 0, Qt::AlignHCenter);

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
    page->setObjectName(QStringLiteral("picPage1"));
    auto* caption = namedLabel(QStringLiteral("lblCaption"), QString(), page);
    QFont bold = caption->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.3);
    caption->setFont(bold);

    auto* steps = new QVBoxLayout;
    for (int i = 0; i < kSteps; ++i) {
        m_steps[i] = new QWidget(page);
        m_steps[i]->setObjectName(QStringLiteral("picStep%1").arg(i));
        m_steps[i]->hide();
        steps->addWidget(m_steps[i]);
    }
    // The backup's first step warns when the address book is left out; the loading text shows
    // while the store's folders are read.
    auto* step0 = new QVBoxLayout(m_steps[0]);
    step0->setContentsMargins(0, 0, 0, 0);
    m_lblWab = namedLabel(QStringLiteral("lblWab"), QString(), m_steps[0]);
    m_lblWab->setWordWrap(true);
    m_txtLoading = namedLabel(QStringLiteral("txtLoading"), QString(), m_steps[0]);
    step0->addWidget(m_txtLoading);
    step0->addWidget(m_lblWab);

    // The last step: what the run button does, the run button, the diskette option, progress.
    auto* step3 = new QGridLayout(m_steps[3]);
    step3->setContentsMargins(0, 0, 0, 0);
    m_lblStep1 = namedLabel(QStringLiteral("Label1"), QString(), m_steps[3]);
    m_lblStep1->setWordWrap(true);
    m_doIT = pushButton(QStringLiteral("doIT"), QStringLiteral("&Backup Now"), m_steps[3]);
    m_chkClearDisks = new QCheckBox(m_steps[3]);
    m_chkClearDisks->setObjectName(QStringLiteral("chkClearDisks"));
    auto* progress = new QProgressBar(m_steps[3]);
    progress->setObjectName(QStringLiteral("pbProgress"));
    progress->hide();
    auto* progressText = namedLabel(QStringLiteral("lblProgress"), QString(), m_steps[3]);
    step3->addWidget(m_lblStep1, 0, 0, 1, 2);
    step3->addWidget(m_doIT, 1, 0);
    step3->addWidget(m_chkClearDisks, 1, 1);
    step3->addWidget(progress, 2, 0, 1, 2);
    step3->addWidget(progressText, 3, 0, 1, 2);
    step3->setColumnStretch(2, 1);

    auto* grid = new TreeListView(page);
    grid->setObjectName(QStringLiteral("TLItems"));
    grid->setGrid(m_grid.get());

    m_btnBack = pushButton(QStringLiteral("btnBack"), QStringLiteral("< &Previous Step"), page);
    m_btnNext = pushButton(QStringLiteral("btnNext"), QStringLiteral("&Next Step >"), page);
    connect(m_btnBack, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->backClicked();
    });
    connect(m_btnNext, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->nextClicked();
    });
    auto* nav = new QHBoxLayout;
    nav->addStretch(1);
    nav->addWidget(m_btnBack);
    nav->addWidget(m_btnNext);

    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(caption);
    layout->addWidget(etchedLine(page));
    layout->addLayout(steps);
    layout->addWidget(grid, 1);
    layout->addLayout(nav);
    setTabOrder(grid, m_doIT);
    setTabOrder(m_doIT, m_chkClearDisks);
    setTabOrder(m_chkClearDisks, m_btnBack);
    setTabOrder(m_btnBack, m_btnNext);
    return page;
}

QWidget* MainWindow::buildSynchPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("picPage2"));
    auto* grid = new TreeListView(page);
    grid->setObjectName(QStringLiteral("TLSynch"));
    grid->setGrid(m_synchGrid.get());
    auto* selectAll =
        pushButton(QStringLiteral("cmdSelectAll"), QStringLiteral("Select &All"), page);
    auto* clearAll = pushButton(QStringLiteral("cmdClearAll"), QStringLiteral("&Clear All"), page);
    auto* count = namedLabel(QStringLiteral("lblCnt"), QString(), page);
    auto* progress = new QProgressBar(page);
    progress->setObjectName(QStringLiteral("pbSynch"));
    auto* back = pushButton(QStringLiteral("btnBack2"), QStringLiteral("< &Previous Step"), page);
    auto* next = pushButton(QStringLiteral("btnNext2"), QStringLiteral("&Next Step >"), page);

    auto* marks = new QHBoxLayout;
    marks->addWidget(selectAll);
    marks->addWidget(clearAll);
    marks->addWidget(count, 1);
    auto* nav = new QHBoxLayout;
    nav->addWidget(progress, 1);
    nav->addWidget(back);
    nav->addWidget(next);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(grid, 1);
    layout->addLayout(marks);
    layout->addLayout(nav);
    return page;
}

QWidget* MainWindow::buildMessagesPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("picPage3"));
    auto* frame = new QFrame(page);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* label1 = namedLabel(QStringLiteral("lblMsgs1"), QString(), frame);
    auto* label2 = namedLabel(QStringLiteral("lblMsgs2"), QString(), frame);
    label1->setWordWrap(true);
    label2->setWordWrap(true);
    auto* inFrame = new QVBoxLayout(frame);
    inFrame->addWidget(label1);
    inFrame->addWidget(label2);
    inFrame->addStretch(1);

    auto* load =
        pushButton(QStringLiteral("btnLoadMsgs"), QStringLiteral("&Restore Messages"), page);
    auto* exit = pushButton(QStringLiteral("Command1"), QStringLiteral("&Exit"), page);
    connect(exit, &QPushButton::clicked, this, [this] {
        if (m_controller)
            m_controller->exitClicked();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(load);
    buttons->addWidget(exit);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(frame, 1);
    layout->addLayout(buttons);
    return page;
}

QMenu* MainWindow::addMenu(MainMenu which, const QString& title, const QStringList& entries)
{
    QMenu* m = menuBar()->addMenu(title);
    m->setObjectName(QStringLiteral("mnu%1").arg(int(which)));
    m_menus[int(which)] = m;
    QList<QAction*>& list = m_entries[int(which)];
    for (int i = 0; i < entries.size(); ++i) {
        const QString& caption = entries[i];
        if (caption.isNull()) { // a gap in the numbering
            list.append(nullptr);
            continue;
        }
        QAction* a = caption.isEmpty() ? m->addSeparator() : m->addAction(caption);
        list.append(a);
        if (!caption.isEmpty())
            connect(a, &QAction::triggered, this, [this, which, i] { entryTriggered(which, i); });
    }
    return m;
}

void MainWindow::buildMenus()
{
    const QString sep = QStringLiteral("");
    addMenu(MainMenu::File, QStringLiteral("&File"),
            {QStringLiteral("&Backup"), QStringLiteral("&Restore"), QStringLiteral("&Synchronize"),
             sep, QStringLiteral("E&xit")});
    addMenu(MainMenu::Options, QStringLiteral("&Options"),
            {QStringLiteral("Set &Reminder..."), sep, QStringLiteral("Use &Default Identity"),
             QStringLiteral("Use &Last Identity"), QStringLiteral("&Prompt for Identity"), sep,
             QStringLiteral("&Switch Identities"), sep, QStringLiteral("Purge &Old Backups..."),
             sep, QStringLiteral("Use System Temporary Folder"), sep,
             QStringLiteral("E&xclude News Groups")});
    addMenu(MainMenu::Logs, QStringLiteral("&Logs"),
            {QStringLiteral("View Last &Backup Log"), QStringLiteral("View Last &Restore Log"), sep,
             QStringLiteral("Automatically &Show logs when complete")});
    addMenu(MainMenu::Help, QStringLiteral("&Help"),
            {QStringLiteral("&Contents"), QStringLiteral("How to make a &Backup/Archive File"),
             QStringLiteral("How to &Restore from an Archive"),
             QStringLiteral("How to &Synchronize Mail Folders"),
             QStringLiteral("Copying Mail &Folders to another Machine"), sep,
             QStringLiteral("Korvane - Tidings"), sep, QString(), QString(),
             QStringLiteral("Contact &Us"), QStringLiteral("&About Korvane")});
}

void MainWindow::entryTriggered(MainMenu menu, int index)
{
    // The check marks are the controller's: undo the toggle Qt made on its own.
    QAction* a = menuEntry(menu, index);
    if (a && a->isCheckable())
        a->setChecked(!a->isChecked());
    if (m_controller)
        m_controller->menuChosen(menu, index);
}

QAction* MainWindow::menuEntry(MainMenu menu, int index) const
{
    const QList<QAction*>& list = m_entries[int(menu)];
    return index >= 0 && index < list.size() ? list[index] : nullptr;
}

int MainWindow::currentPage() const
{
    return m_pages->currentIndex();
}

void MainWindow::setCaption(const QString& caption)
{
    setWindowTitle(caption);
}

QString MainWindow::caption() const
{
    return windowTitle();
}

QLabel* MainWindow::label(MainText item) const
{
    switch (item) {
    case MainText::Version:
        return m_lblVersion;
    case MainText::WabWarning:
        return m_lblWab;
    case MainText::Loading:
        return m_txtLoading;
    case MainText::StepLabel1:
        return m_lblStep1;
    default:
        return nullptr;
    }
}

void MainWindow::setText(MainText item, const QString& text)
{
    switch (item) {
    case MainText::BackupButton:
        m_cmdBackup->setText(text);
        return;
    case MainText::RestoreButton:
        m_cmdRestore->setText(text);
        return;
    case MainText::SynchButton:
        m_cmdSynch->setText(text);
        return;
    case MainText::DoIt:
        m_doIT->setText(text);
        return;
    case MainText::ClearDisks:
        m_chkClearDisks->setText(text);
        return;
    default:
        if (QLabel* l = label(item))
            l->setText(text);
    }
}

void MainWindow::showPage(int page)
{
    if (page < 0 || page >= kPages) {
        qCWarning(lcGui) << "no page" << page;
        return;
    }
    m_pages->setCurrentIndex(page);
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
        return m_cmdBackup;
    case MainButton::Restore:
        return m_cmdRestore;
    case MainButton::Synch:
        return m_cmdSynch;
    case MainButton::Back:
        return m_btnBack;
    case MainButton::Next:
        return m_btnNext;
    case MainButton::DoIt:
        return m_doIT;
    }
    return nullptr;
}

void MainWindow::setButtonEnabled(MainButton which, bool enabled)
{
    if (QPushButton* b = button(which))
        b->setEnabled(enabled);
}

void MainWindow::setMenuCaption(MainMenu menu, int index, const QString& caption)
{
    if (QAction* a = menuEntry(menu, index))
        a->setText(caption);
}

void MainWindow::setMenuEnabled(MainMenu menu, int index, bool enabled)
{
    if (QAction* a = menuEntry(menu, index))
        a->setEnabled(enabled);
}

void MainWindow::setMenuVisible(MainMenu menu, int index, bool visible)
{
    if (QAction* a = menuEntry(menu, index))
        a->setVisible(visible);
}

void MainWindow::setMenuChecked(MainMenu menu, int index, bool checked)
{
    if (QAction* a = menuEntry(menu, index)) {
        a->setCheckable(true);
        a->setChecked(checked);
    }
}

void MainWindow::setClearDisksChecked(bool checked)
{
    m_chkClearDisks->setChecked(checked);
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

} // namespace kv::gui
