#pragma once

#include "MTavrelMPRExport.h"

#include <QString>

namespace tavrel {

// Adds a condition to the WHERE clause of a SELECT text, at the level of the main query:
// words inside parentheses, quotes and comments are not looked at.
//
//   "SELECT * FROM T\n" + "COD_EMPR = 2"            -> "SELECT * FROM T WHERE COD_EMPR = 2\n"
//   "SELECT * FROM T WHERE A = 1 OR B = 2 ORDER BY A" + "C = 3"
//        -> "SELECT * FROM T WHERE (A = 1 OR B = 2) AND (C = 3) ORDER BY A"
//
// The existing condition is put in parentheses so that an OR in it keeps its meaning.
// A condition may start with WHERE or AND (as typed query-by-example texts do); the word
// is dropped. A blank condition leaves the text as it is. A compound query (UNION,
// INTERSECT, EXCEPT) is refused with a ModuleError, because the condition would apply to
// its first part only.
class MTAVRELMPR_EXPORT SqlCondition
{
public:
    static QString append(const QString& sql, const QString& condition);
};

} // namespace tavrel
