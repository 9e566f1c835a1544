#include "DragWindow.h"

#include "GridPictures.h"
#include "GuiLog.h"
#include "TreeListView.h"

#include <QApplication>
#include <QDrag>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

namespace kv::gui {

// A row is dragged by pressing on it and moving past the platform's drag distance; the list's
// own drag machinery would offer item data rather than files, so it stays off.
class DragWindow::FolderList : public QListWidget
{
public:
    explicit FolderList(DragWindow* owner) : QListWidget(owner), m_owner(owner)
    {
        setDragEnabled(false);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        QListWidget::mousePressEvent(event);
        if (event->button() == Qt::LeftButton) {
            m_pressPos = event->position().toPoint();
            m_pressRow = indexAt(m_pressPos).row();
        }
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if ((event->buttons() & Qt::LeftButton) && m_pressRow >= 0 &&
            (event->position().toPoint() - m_pressPos).manhattanLength() >=
                QApplication::startDragDistance()) {
            const int row = m_pressRow;
            m_pressRow = -1; // one drag per press
            m_owner->startRowDrag(row);
            return;
        }
        QListWidget::mouseMoveEvent(event);
    }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        m_pressRow = -1;
        QListWidget::mouseReleaseEvent(event);
    }

private:
    DragWindow* m_owner;
    QPoint m_pressPos;
    int m_pressRow = -1;
};

DragWindow::DragWindow(QList<DragFolderFiles> folders, const QString& caption, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_folders(std::move(folders))
{
    setObjectName(QStringLiteral("DragWindow"));
    setWindowTitle(QStringLiteral("Restore Messages"));

    m_caption = new QLabel(caption, this);
    m_caption->setObjectName(QStringLiteral("captionLabel"));
    m_caption->setWordWrap(true);

    m_list = new FolderList(this);
    m_list->setObjectName(QStringLiteral("folderList"));
    m_list->setIconSize(QSize(GridPictures::kSize, GridPictures::kSize));
    // The rows wear the info colour so that they read as things to pick up, not as a grid.
    const QBrush back = palette().brush(QPalette::ToolTipBase);
    const QBrush fore = palette().brush(QPalette::ToolTipText);
    const GridPictures pictures;
    const QIcon folderIcon(pictures.picture(TreeListModel::Picture::Folder));
    for (const DragFolderFiles& folder : std::as_const(m_folders)) {
        auto* item = new QListWidgetItem(folderIcon, folder.text, m_list);
        item->setBackground(back);
        item->setForeground(fore);
        item->setToolTip(folder.hostPaths.size() == 1
                             ? QStringLiteral("1 message")
                             : QStringLiteral("%1 messages").arg(folder.hostPaths.size()));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(m_caption);
    layout->addWidget(m_list, 1);

    // Narrow enough to sit beside the mail client's folder list; as tall as the rows need, up to
    // half the screen.
    const int rowHeight = qMax(m_list->sizeHintForRow(0), GridPictures::kSize + 4);
    const int rows = qMax(1, int(m_folders.size()));
    const QScreen* s = screen();
    const int maxList = s ? s->availableGeometry().height() / 2 : 400;
    m_list->setFixedHeight(qMin(rows * rowHeight + 2 * m_list->frameWidth() + 2, maxList));
    const int width = 240;
    m_caption->setFixedWidth(width - 12);
    resize(width, sizeHint().height());
}

DragWindow::~DragWindow() = default;

void DragWindow::showModal()
{
    exec();
}

void DragWindow::showModeless()
{
    show();
}

QString DragWindow::caption() const
{
    return m_caption->text();
}

std::unique_ptr<QMimeData> DragWindow::mimeDataForRow(int row) const
{
    auto data = std::make_unique<QMimeData>();
    if (row < 0 || row >= m_folders.size())
        return data;
    QList<QUrl> urls;
    urls.reserve(m_folders[row].hostPaths.size());
    for (const QString& path : m_folders[row].hostPaths)
        urls << QUrl::fromLocalFile(path);
    if (!urls.isEmpty())
        data->setUrls(urls);
    return data;
}

Qt::DropActions DragWindow::dragActionsForRow(int row) const
{
    if (row < 0 || row >= m_folders.size() || m_folders[row].hostPaths.isEmpty())
        return Qt::IgnoreAction;
    return Qt::CopyAction;
}

QPoint DragWindow::placeOnScreen() const
{
    const QScreen* s = screen();
    if (!s)
        s = QGuiApplication::primaryScreen();
    if (!s)
        return pos();
    const QRect area = s->geometry();
    const int top = TreeListView::twipsToPixels(kTopTwips, qRound(s->logicalDotsPerInchY()));
    return QPoint(area.x() + area.width() - frameGeometry().width(), area.y() + top);
}

void DragWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    move(placeOnScreen());
    raise();
}

void DragWindow::startRowDrag(int row)
{
    const Qt::DropActions actions = dragActionsForRow(row);
    if (actions == Qt::IgnoreAction) {
        qCInfo(lcGui) << "drag window: row" << row << "has no messages to offer";
        return;
    }
    auto* drag = new QDrag(this);
    std::unique_ptr<QMimeData> data = mimeDataForRow(row);
    const qsizetype count = data->urls().size();
    drag->setMimeData(data.release());
    drag->setPixmap(m_list->item(row)->icon().pixmap(GridPictures::kSize));
    qCInfo(lcGui) << "drag window: dragging" << count << "files of" << m_folders[row].text;
    const Qt::DropAction done = drag->exec(actions, Qt::CopyAction);
    if (done == Qt::IgnoreAction)
        qCInfo(lcGui) << "drag window: the drag of" << m_folders[row].text << "was not taken";
}

} // namespace kv::gui
