#pragma once

#include "TavrelContractsExport.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// The suite's "comma text" of a string list: entries separated by commas, an entry that
// holds a blank, a comma, a double quote or a control character written between double
// quotes with inner quotes doubled. Reading also accepts blanks as separators outside
// quotes, as the suite's lists always did.
class TAVREL_CONTRACTS_EXPORT CommaText
{
public:
    static QStringList split(const QString& text);
    static QString join(const QStringList& entries);
};

} // namespace tavrel
