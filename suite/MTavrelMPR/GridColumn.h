#pragma once

#include <QColor>
#include <QString>

namespace tavrel {

// One column of a TTavrelDBgrid, as the form that owns the grid sets it.
struct GridColumn
{
    QString fieldName;
    QString title;  // empty: the field's display label
    int width = -1; // pixels; -1: from the field's display width
    bool readOnly = false;
    QColor color; // invalid: the grid's alternating row colours
    // Not shown in the window, written in its Excel export (codes beside their names,
    // stamps a workbook carries back).
    bool exportOnly = false;
};

} // namespace tavrel
