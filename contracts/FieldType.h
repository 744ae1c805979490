#pragma once

#include "TavrelContractsExport.h"

#include <QString>
#include <QVariant>

namespace tavrel {

// Column and field types shared by the server's packets and the client datasets.
//
// Values travel in QVariant with these types; a null value is an invalid QVariant():
//   String, FixedChar -> QString (FixedChar arrives without trailing blanks)
//   SmallInt, Integer -> int (SmallInt must fit in 16 bits)
//   LargeInt          -> qlonglong
//   Float             -> double
//   DateTime          -> QDateTime in local time, millisecond precision
//   Blob              -> QByteArray
//   Boolean           -> bool
enum class FieldType
{
    String,
    FixedChar,
    SmallInt,
    Integer,
    LargeInt,
    Float,
    DateTime,
    Blob,
    Boolean
};

TAVREL_CONTRACTS_EXPORT QString fieldTypeName(FieldType type);

// True for the null value: an invalid QVariant or a typed null.
TAVREL_CONTRACTS_EXPORT bool isNull(const QVariant& value);

// Converts a value to the representation of the type above. Null gives QVariant().
// Text is read the way a Colombian user types it: integers in decimal, decimals with
// either separator, date-times in ISO form or the short date format dd/MM/yyyy.
// Throws ModuleError (kind Conversion) with a message that names the value and the
// type when the value cannot be represented (for instance 40000 as SmallInt).
TAVREL_CONTRACTS_EXPORT QVariant coerce(const QVariant& value, FieldType type);

} // namespace tavrel
