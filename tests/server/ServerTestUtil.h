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
    const auto columns = [](const DataPacket& p) {
        QStringList texts;
        for (const ColumnInfo& c : p.columns)
            texts << QStringLiteral("%1 %2(%3)").arg(c.name, fieldTypeName(c.type)).arg(c.size);
        return texts.join(QLatin1String(", "));
    };
    if (columns(a) != columns(b))
        return columns(a) + QLatin1String(" vs ") + columns(b);
    for (int r = 0; r < std::min(a.rows.size(), b.rows.size()); ++r) {
        for (int c = 0; c < a.columns.size(); ++c) {
            const QVariant& x = a.rows[r][c];
            const QVariant& y = b.rows[r][c];
            if (x != y || x.typeId() != y.typeId())
                return QStringLiteral("row %1 %2: [%3] (%4) vs [%5] (%6)")
                    .arg(r)
                    .arg(a.columns[c].name, x.toString(), QLatin1String(x.typeName()), y.toString(),
                         QLatin1String(y.typeName()));
        }
    }
    return QStringLiteral("%1 vs %2 rows, or their keys").arg(a.rows.size()).arg(b.rows.size());
}

} // namespace tavrel::test
