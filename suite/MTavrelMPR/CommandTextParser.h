#pragma once

#include "MTavrelMPRExport.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// Finds the ":name" parameter markers of an SQL command text.
//
// A marker is a colon followed by a letter or '_', then letters, digits and '_'. A
// colon inside single or double quotes, inside a "--" or "/* */" comment, or doubled
// ("::", a type cast) is not a marker.
class MTAVRELMPR_EXPORT CommandTextParser
{
public:
    // The names in the order of their first marker, each once (compared without case).
    static QStringList parameterNames(const QString& commandText);
};

} // namespace tavrel
