#include "NavigatorIcons.h"

#include "TVNavegador.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Size = 16;

QPainterPath triangle(bool left, qreal x)
{
    QPainterPath p;
    if (left) {
        p.moveTo(x + 6, 3);
        p.lineTo(x, 8);
        p.lineTo(x + 6, 13);
    } else {
        p.moveTo(x, 3);
        p.lineTo(x + 6, 8);
        p.lineTo(x, 13);
    }
    p.closeSubpath();
    return p;
}

void draw(QPainter& painter, int which, const QColor& color)
{
    painter.setBrush(color);
    painter.setPen(Qt::NoPen);
    switch (which) {
    case TVNavegador::First:
        painter.drawRect(QRectF(3, 3, 2, 10));
        painter.drawPath(triangle(true, 6));
        break;
    case TVNavegador::Prior:
        painter.drawPath(triangle(true, 5));
        break;
    case TVNavegador::Next:
        painter.drawPath(triangle(false, 5));
        break;
    case TVNavegador::Last:
        painter.drawPath(triangle(false, 4));
        painter.drawRect(QRectF(11, 3, 2, 10));
        break;
    case TVNavegador::Insert:
        painter.drawRect(QRectF(7, 3, 2, 10));
        painter.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TVNavegador::Delete:
        painter.drawRect(QRectF(3, 7, 10, 2));
        break;
    case TVNavegador::Edit: {
        QPainterPath p;
        p.moveTo(3, 11);
        p.lineTo(8, 4);
        p.lineTo(13, 11);
        p.closeSubpath();
        painter.drawPath(p);
        break;
    }
    case TVNavegador::Post:
        painter.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    case TVNavegador::Cancel:
        painter.setPen(QPen(color, 2.2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case TVNavegador::Refresh: {
        painter.setPen(QPen(color, 1.8, Qt::SolidLine, Qt::FlatCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 270 * 16);
        QPainterPath head;
        head.moveTo(7, 0.5);
        head.lineTo(10.5, 3);
        head.lineTo(7, 5.5);
        head.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(color);
        painter.drawPath(head);
        break;
    }
    default:
        break;
    }
}

} // namespace

QIcon NavigatorIcons::icon(int which, const QColor& color)
{
    QIcon icon;
    for (const qreal scale : {1.0, 2.0}) {
        QPixmap pixmap(int(Size * scale), int(Size * scale));
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter, which, color);
        painter.end();
        icon.addPixmap(pixmap, QIcon::Normal);
        QPixmap disabled(pixmap.size());
        disabled.setDevicePixelRatio(scale);
        disabled.fill(Qt::transparent);
        QPainter grey(&disabled);
        grey.setRenderHint(QPainter::Antialiasing);
        draw(grey, which, QColor(170, 170, 170));
        grey.end();
        icon.addPixmap(disabled, QIcon::Disabled);
    }
    return icon;
}
