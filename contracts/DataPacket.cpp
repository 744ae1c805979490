#include "DataPacket.h"

namespace tavrel {

int DataPacket::columnIndex(const QString& name) const
{
    for (int i = 0; i < columns.size(); ++i) {
        if (columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

static bool sameColumns(const QList<ColumnInfo>& a, const QList<ColumnInfo>& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].type != b[i].type || a[i].size != b[i].size)
            return false;
    }
    return true;
}

bool DataPacket::operator==(const DataPacket& other) const
{
    return sameColumns(columns, other.columns) && rows == other.rows && rowKeys == other.rowKeys;
}

} // namespace tavrel
