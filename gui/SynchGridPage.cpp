#include "SynchGridPage.h"

#include "TreeListView.h"

#include "grid/TreeListModel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv::gui {

namespace {

QPushButton* pageButton(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(120);
    return b;
}

} // namespace

SynchGridPage::SynchGridPage(TreeListModel* grid, QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("synchPage"));
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("synchLabel"));
    m_label->setAlignment(Qt::AlignHCenter);
    QFont bold = m_label->font();
    bold.setBold(true);
    m_label->setFont(bold);

    m_view = new TreeListView(this);
    m_view->setObjectName(QStringLiteral("synchGrid"));
    m_view->setGrid(grid);
    // A click anywhere in the first column ticks, not just on the picture: a message row's
    // Folder cell is empty, so the whole cell belongs to the tick. The other cells are only read.
    connect(m_view, &TreeListView::cellClicked, this, [this](int row, int column) {
        if (column == 0)
            Q_EMIT tickClicked(row);
    });
    m_view->installEventFilter(this);
    connect(m_view, &TreeListView::mouseDown, this,
            [this](Qt::MouseButton button, const QPoint& pos, int row) {
                if (button == Qt::RightButton)
                    rightClicked(pos, row);
            });

    m_selectAll = pageButton("synchSelectAllButton", QStringLiteral("Select &All"), this);
    m_clearAll = pageButton("synchClearAllButton", QStringLiteral("&Clear All"), this);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("selectedCount"));
    m_back = pageButton("synchBackButton", QStringLiteral("< &Previous Step"), this);
    m_next = pageButton("synchNextButton", QStringLiteral("&Next Step >"), this);
    m_next->setEnabled(false);
    connect(m_selectAll, &QPushButton::clicked, this, &SynchGridPage::selectAllClicked);
    connect(m_clearAll, &QPushButton::clicked, this, &SynchGridPage::clearAllClicked);
    connect(m_back, &QPushButton::clicked, this, &SynchGridPage::backClicked);
    connect(m_next, &QPushButton::clicked, this, &SynchGridPage::nextClicked);
    buildFolderMenu();

    auto* marks = new QHBoxLayout;
    marks->addWidget(m_selectAll);
    marks->addWidget(m_clearAll);
    marks->addSpacing(12);
    marks->addWidget(m_count, 1);
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* nav = new QHBoxLayout;
    nav->addStretch(1);
    nav->addWidget(m_back);
    nav->addWidget(m_next);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(m_label);
    layout->addWidget(m_view, 1);
    layout->addLayout(marks);
    layout->addWidget(line);
    layout->addLayout(nav);
    setTabOrder(m_view, m_selectAll);
    setTabOrder(m_selectAll, m_clearAll);
    setTabOrder(m_clearAll, m_back);
    setTabOrder(m_back, m_next);
}

// The space bar ticks the current row. Taken before the view, which would report it as a
// picture click on top of the cell clicks above.
bool SynchGridPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (m_view->currentRow() >= 0)
            Q_EMIT tickClicked(m_view->currentRow());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SynchGridPage::buildFolderMenu()
{
    m_folderMenu = new QMenu(this);
    m_folderMenu->setObjectName(QStringLiteral("synchFolderMenu"));
    auto add = [this](const QString& caption, SynchFolderMenu entry) {
        QAction* a = m_folderMenu->addAction(caption);
        connect(a, &QAction::triggered, this,
                [this, entry] { Q_EMIT folderMenuChosen(m_menuRow, entry); });
    };
    add(QStringLiteral("&Select All in folder"), SynchFolderMenu::SelectAllInFolder);
    add(QStringLiteral("&Clear All in folder"), SynchFolderMenu::ClearAllInFolder);
    m_folderMenu->addSeparator();
    add(QStringLiteral("Select &All in List"), SynchFolderMenu::SelectAllInList);
}

// Only folder rows have the menu; a message row is ticked by its picture.
void SynchGridPage::rightClicked(const QPoint& pos, int row)
{
    const TreeListModel* grid = m_view->grid();
    if (!grid || !grid->isValidRow(row) || grid->level(row) > 0)
        return;
    m_view->setCurrentRow(row);
    m_menuRow = row;
    // Not exec(): the menu stays open without a nested event loop, and the chosen entry comes
    // back through its action like any other click.
    m_folderMenu->popup(m_view->viewport()->mapToGlobal(pos));
}

bool SynchGridPage::setText(MainText item, const QString& text)
{
    switch (item) {
    case MainText::SynchLabel:
        m_label->setText(text);
        return true;
    case MainText::SelectedCount:
        m_count->setText(text);
        return true;
    default:
        return false;
    }
}

bool SynchGridPage::setItemVisible(MainItem item, bool visible)
{
    switch (item) {
    case MainItem::SynchSelectControls:
        for (QWidget* w : {static_cast<QWidget*>(m_label), static_cast<QWidget*>(m_selectAll),
                           static_cast<QWidget*>(m_clearAll), static_cast<QWidget*>(m_count)})
            w->setVisible(visible);
        return true;
    case MainItem::SynchBack:
        m_back->setVisible(visible);
        return true;
    case MainItem::SynchNext:
        m_next->setVisible(visible);
        return true;
    default:
        return false;
    }
}

QPushButton* SynchGridPage::button(MainButton which) const
{
    switch (which) {
    case MainButton::SynchSelectAll:
        return m_selectAll;
    case MainButton::SynchClearAll:
        return m_clearAll;
    case MainButton::SynchBack:
        return m_back;
    case MainButton::SynchNext:
        return m_next;
    default:
        return nullptr;
    }
}

} // namespace kv::gui
