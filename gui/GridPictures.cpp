#include "GridPictures.h"

#include "grid/TreeListModel.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>

namespace kv::gui {

namespace {

using Picture = TreeListModel::Picture;

// A check box 11 pixels square in the middle of the picture, with the sunken edge the item grid
// has always drawn.
void drawBox(QPainter& p, const QColor& face)
{
    const QRect box(2, 2, 12, 12);
    p.fillRect(box, face);
    p.fillRect(QRect(2, 2, 12, 1), QColor(128, 128, 128));
    p.fillRect(QRect(2, 2, 1, 12), QColor(128, 128, 128));
    p.fillRect(QRect(3, 3, 10, 1), QColor(64, 64, 64));
    p.fillRect(QRect(3, 3, 1, 10), QColor(64, 64, 64));
    p.fillRect(QRect(2, 13, 12, 1), QColor(255, 255, 255));
    p.fillRect(QRect(13, 2, 1, 12), QColor(255, 255, 255));
    p.fillRect(QRect(3, 12, 10, 1), QColor(212, 208, 200));
    p.fillRect(QRect(12, 3, 1, 10), QColor(212, 208, 200));
}

void drawTick(QPainter& p, const QColor& colour)
{
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setRenderHint(QPainter::Antialiasing, false);
    const QPoint pts[] = {{5, 8}, {7, 10}, {11, 5}};
    p.drawPolyline(pts, 3);
}

void drawEnvelope(QPainter& p, const QColor& body)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    const QRectF r(1.5, 3.5, 13, 9);
    p.setPen(QPen(QColor(64, 64, 64), 1));
    p.setBrush(body);
    p.drawRect(r);
    p.drawPolyline(QPolygonF{{1.5, 3.5}, {8, 9}, {14.5, 3.5}});
}

void drawFolder(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath path;
    path.moveTo(1.5, 4.5);
    path.lineTo(6, 4.5);
    path.lineTo(7.5, 6);
    path.lineTo(14.5, 6);
    path.lineTo(14.5, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    p.setPen(QPen(QColor(128, 96, 0), 1));
    p.setBrush(QColor(255, 220, 96));
    p.drawPath(path);
}

QPixmap draw(Picture picture)
{
    QPixmap pm(GridPictures::kSize, GridPictures::kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    switch (picture) {
    case Picture::Unticked:
        drawBox(p, Qt::white);
        break;
    case Picture::Ticked:
        drawBox(p, Qt::white);
        drawTick(p, Qt::black);
        break;
    case Picture::Unavailable:
        drawBox(p, QColor(192, 192, 192));
        drawTick(p, QColor(128, 128, 128));
        break;
    case Picture::RootOE4:
        drawEnvelope(p, QColor(255, 255, 192));
        break;
    case Picture::RootOE5:
        drawEnvelope(p, QColor(192, 224, 255));
        break;
    case Picture::Folder:
        drawFolder(p);
        break;
    default:
        return QPixmap();
    }
    return pm;
}

} // namespace

QPixmap GridPictures::picture(TreeListModel::Picture picture) const
{
    auto it = m_cache.constFind(int(picture));
    if (it == m_cache.constEnd())
        it = m_cache.insert(int(picture), draw(picture));
    return it.value();
}

} // namespace kv::gui
