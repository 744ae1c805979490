#pragma once

#include <QtGlobal>

namespace tavrel::report {

// Layouts are measured in report units: 1/96 inch, the pixel of a 96 dpi screen.
constexpr qreal kUnitsPerInch = 96.0;
constexpr qreal kUnitsPerMm = kUnitsPerInch / 25.4;    // 3.7795...
constexpr qreal kPointsPerUnit = 72.0 / kUnitsPerInch; // 0.75

constexpr qreal mmToUnits(qreal mm)
{
    return mm * kUnitsPerMm;
}

constexpr qreal unitsToPoints(qreal units)
{
    return units * kPointsPerUnit;
}

// Tolerance when comparing laid-out positions, far below anything visible.
constexpr qreal kUnitEpsilon = 0.01;

} // namespace tavrel::report
