#pragma once

#include "TavrelContractsExport.h"

#include "FieldType.h"

#include <QList>
#include <QString>
#include <QVariant>

namespace tavrel {

struct TAVREL_CONTRACTS_EXPORT ColumnInfo
{
    QString name; // upper case on every engine
    FieldType type = FieldType::String;
    int size = 0; // characters for String/FixedChar, 0 otherwise
};

// The rows of one open: typed columns and, per row, the values in column order.
// When the result comes from a provider's main table, rowKeys holds the server's
// technical key of each row (the key never appears among the columns); otherwise
// rowKeys is empty and the rows cannot be updated.
struct TAVREL_CONTRACTS_EXPORT DataPacket
{
    QList<ColumnInfo> columns;
    QList<QVariantList> rows;
    QList<qint64> rowKeys;

    // Index of a column by name, case-insensitive; -1 when there is none.
    int columnIndex(const QString& name) const;
    bool operator==(const DataPacket& other) const;
};

} // namespace tavrel
