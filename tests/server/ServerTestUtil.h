#pragma once

#include "DataPacket.h"
#include "Param.h"

#include <QMetaType>
#include <QString>

Q_DECLARE_METATYPE(tavrel::Param)
Q_DECLARE_METATYPE(tavrel::ParamList)

namespace tavrel::test {

inline Param param(const char* name, const QVariant& value, FieldType type)
{
    return Param{QLatin1String(name), value, type};
}

// Where two packets first differ, for failure messages.
inline QString packetDifference(const DataPacket& a, const DataPacket& b)
{
    if (a.columns.size() != b.columns.size())
        return QStringLiteral("column count %1 vs %2").arg(a.columns.size()).arg(b.columns.size());
    for (int i = 0; i < a.columns.size(); ++i) {
        const ColumnInfo& x = a.columns[i];
        const ColumnInfo& y = b.columns[i];
        if (x.name != y.name || x.type != y.type || x.size != y.size)
            return QStringLiteral("column %1: %2/%3/%4 vs %5/%6/%7")
                .arg(i)
                .arg(x.name, fieldTypeName(x.type))
                .arg(x.size)
                .arg(y.name, fieldTypeName(y.type))
                .arg(y.size);
    }
    if (a.rows.size() != b.rows.size())
        return QStringLiteral("row count %1 vs %2").arg(a.rows.size()).arg(b.rows.size());
    for (int r = 0; r < a.rows.size(); ++r) {
        for (int c = 0; c < a.columns.size(); ++c) {
            const QVariant& x = a.rows[r][c];
            const QVariant& y = b.rows[r][c];
            if (x != y || x.typeId() != y.typeId())
                return QStringLiteral("row %1 column %2: [%3] (%4) vs [%5] (%6)")
                    .arg(r)
                    .arg(a.columns[c].name, x.toString(), QLatin1String(x.typeName()), y.toString(),
                         QLatin1String(y.typeName()));
        }
    }
    if (a.rowKeys != b.rowKeys)
        return QStringLiteral("row keys differ");
    return QString();
}

} // namespace tavrel::test
