#pragma once

#include "TavrelContractsExport.h"

#include <QList>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

// Rows that a late-bound method hands back through one of its arguments: named columns
// and, per row, the values in column order. It travels as a plain list, so that any
// server, in-process or over the network, carries it: element 0 is the list of column
// names, each further element one row.
struct TAVREL_CONTRACTS_EXPORT ResultTable
{
    QStringList columns;
    QList<QVariantList> rows;

    // Index of a column by name, case-insensitive; -1 when there is none.
    int columnIndex(const QString& name) const;
    // The value of a column of a row; an invalid QVariant for an unknown column.
    QVariant value(int row, const QString& column) const;

    QVariant toVariant() const;
    // Throws ModuleError (Conversion) naming what does not have the shape of a table.
    static ResultTable fromVariant(const QVariant& value);
};

} // namespace tavrel
