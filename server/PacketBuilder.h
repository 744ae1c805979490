#pragma once

#include "TavrelServerExport.h"

#include "DataPacket.h"

class QSqlQuery;

namespace tavrel {

class SqlDialect;

// Turns the rows of an active query into a data packet that is the same on every engine:
// column names in upper case, each column typed by the schema catalogue (by its name or
// alias, so "MAX(FEC_PROC) FEC_PROC" is a date-time) and every value coerced to that
// type, which also trims the padding of fixed-width columns. Columns the catalogue does
// not know are typed by their values. The technical key leaves the columns and becomes
// the packet's row keys.
class TAVREL_SERVER_EXPORT PacketBuilder
{
public:
    static DataPacket build(QSqlQuery& query, const SqlDialect& dialect);
};

} // namespace tavrel
