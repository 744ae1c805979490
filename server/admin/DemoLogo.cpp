#include "DemoLogo.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

namespace tavrel {

namespace {

struct Palette
{
    QColor field;
    QColor band;
    QColor emblem;
};

Palette paletteFor(int company)
{
    static const Palette palettes[] = {
        {QColor(0x0b, 0x5c, 0x8f), QColor(0xf2, 0xc2, 0x1b), QColor(0xff, 0xff, 0xff)},
        {QColor(0x1e, 0x7b, 0x3a), QColor(0xff, 0xff, 0xff), QColor(0xd6, 0x2d, 0x20)},
        {QColor(0x6b, 0x3d, 0x91), QColor(0x8f, 0xc9, 0x3a), QColor(0xf4, 0xf1, 0xe8)},
        {QColor(0x9c, 0x2a, 0x2a), QColor(0xe8, 0xb0, 0x4a), QColor(0xff, 0xff, 0xff)},
    };
    const int count = int(sizeof(palettes) / sizeof(palettes[0]));
    return palettes[((company % count) + count) % count];
}

QPolygonF star(QPointF centre, qreal outer, qreal inner, int points)
{
    QPolygonF polygon;
    for (int i = 0; i < points * 2; ++i) {
        const qreal radius = (i % 2 == 0) ? outer : inner;
        const qreal angle = -M_PI / 2 + i * M_PI / points;
        polygon << centre + QPointF(radius * qCos(angle), radius * qSin(angle));
    }
    return polygon;
}

} // namespace

QByteArray DemoLogo::png(int company, int size)
{
    const Palette p = paletteFor(company);
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 100.0, size / 100.0);

        // Shield outline.
        QPainterPath shield;
        shield.moveTo(10, 8);
        shield.lineTo(90, 8);
        shield.lineTo(90, 52);
        shield.cubicTo(90, 75, 70, 88, 50, 96);
        shield.cubicTo(30, 88, 10, 75, 10, 52);
        shield.closeSubpath();
        painter.setPen(QPen(p.field.darker(140), 3));
        painter.setBrush(p.field);
        painter.drawPath(shield);

        // A band across the shield, clipped to it.
        painter.save();
        painter.setClipPath(shield);
        painter.setPen(Qt::NoPen);
        painter.setBrush(p.band);
        painter.drawRect(QRectF(0, 56 + 4 * (company % 3), 100, 12));
        painter.restore();

        // The emblem differs per company: a star with as many points as the company
        // number plus four.
        painter.setPen(Qt::NoPen);
        painter.setBrush(p.emblem);
        painter.drawPolygon(star(QPointF(50, 34), 20, 8, 4 + (company % 5)));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace tavrel
