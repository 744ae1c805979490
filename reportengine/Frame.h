#pragma once

#include "TavrelReportsExport.h"

#include <QColor>
#include <QFlags>

namespace tavrel::report {

// The drawn sides of a text box; each side is a line centred on the box edge.
struct TAVREL_REPORTS_EXPORT Frame
{
    enum Side
    {
        NoSide = 0,
        Left = 0x1,
        Top = 0x2,
        Right = 0x4,
        Bottom = 0x8,
        All = 0xf
    };
    Q_DECLARE_FLAGS(Sides, Side)

    Sides sides = NoSide;
    qreal width = 1;
    QColor colour = Qt::black;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Frame::Sides)

} // namespace tavrel::report
