#pragma once

#include <QStringList>

class QTableWidget;
class QWidget;

// The host's result tables: titled columns, whole-row selection, no editing, no row
// numbers; columns fit their contents and the last one takes the rest of the width.
class ReadOnlyTable
{
public:
    static QTableWidget* create(const QStringList& headers, QWidget* parent);
    // The last column wraps its texts, and rows take the height that leaves them.
    static void wrapLastColumn(QTableWidget* table);
};
