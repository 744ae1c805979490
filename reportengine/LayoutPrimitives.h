#pragma once

#include "TavrelReportsExport.h"

#include "FontSpec.h"

#include <QColor>
#include <QGlyphRun>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QRectF>
#include <QString>

#include <variant>

namespace tavrel::report {

// What the layout engine hands to a renderer: positioned primitives in report units,
// relative to the top left corner of the paper. `objectName` names the object of the
// layout that produced them.

// One line of a text run, already broken and shaped; drawn with the run's alignment
// inside `rect`. The glyphs are those of TextMeasurer, at its reference scale.
struct TAVREL_REPORTS_EXPORT TextLine
{
    QString text;
    QRectF rect;
    qreal width = 0; // the text's natural width
    QList<QGlyphRun> glyphs;
};

struct TAVREL_REPORTS_EXPORT TextRun
{
    QString objectName;
    QRectF box;  // the text object's box after stretching and shifting
    QRectF clip; // nothing of the text is drawn outside this rectangle
    QList<TextLine> lines;
    FontSpec font;
    QColor colour;
    QColor fill; // invalid: no background
    Qt::Alignment alignment = Qt::AlignLeft;
    // Whether some line reaches outside the clip; when none does no clip is set.
    bool clipped = true;

    // The visible lines joined with '\n'.
    QString text() const;
    // Lowers the clip's bottom to `bottom` at most and keeps the lines that still fit
    // whole; the first line stays even when it is cut, so that a box lower than one
    // line shows what it can.
    void cutAt(qreal bottom);
    // Sets `clipped` from the lines' extents.
    void updateClipped();
    // Where the glyphs of `line` start at `scale` device pixels per unit: the run's
    // alignment applied, on a whole device pixel like the glyphs themselves.
    QPointF glyphOrigin(const TextLine& line, qreal scale) const;
};

struct TAVREL_REPORTS_EXPORT ImageRun
{
    QString objectName;
    QRectF box;  // the picture object's box
    QRectF rect; // where the image is drawn, fitted inside the box
    QImage image;
};

struct TAVREL_REPORTS_EXPORT LineRun
{
    QString objectName;
    QLineF line;
    qreal width = 1;
    QColor colour;
};

struct TAVREL_REPORTS_EXPORT RectRun
{
    QString objectName;
    QRectF rect;
    qreal penWidth = 1;
    QColor colour;
    QColor fill;
};

using Primitive = std::variant<TextRun, ImageRun, LineRun, RectRun>;

// Moves a primitive by an offset.
TAVREL_REPORTS_EXPORT void translate(Primitive& primitive, const QPointF& offset);

} // namespace tavrel::report
