#pragma once

#include "MTavrelMPRExport.h"

#include <QChar>
#include <QString>

namespace tavrel {

// Numbers as the suite has always shown them, with format patterns such as "#,##.00",
// "#,##0.00" or "0":
//   0  a digit that is always shown (leading or trailing zeros included);
//   #  a digit that is shown only when it is significant;
//   .  the place of the decimal separator (the first one counts);
//   ,  anywhere before the decimal point: thousands grouping of the integer part;
//   'text' or "text" and any other character: literal text.
// A pattern may have three sections separated by ';': positive; negative; zero. The
// negative section shows the value without its sign. An empty or missing section uses
// the first one (with a leading '-' for negatives). Values are rounded half away from
// zero on their 15 significant digits, so 1.005 with "0.00" gives 1,01.
// Literals before the first digit placeholder are written before the number, all others
// after it. Exponent notation is not supported.
class MTAVRELMPR_EXPORT FloatFormatter
{
public:
    // Uses the separators of FormatSettings.
    static QString format(const QString& pattern, double value);
    static QString format(const QString& pattern, double value, QChar decimalSeparator,
                          QChar thousandSeparator);

    // A value without pattern: up to 15 significant digits, no grouping, the decimal
    // separator of FormatSettings (1234.5 gives "1234,5").
    static QString general(double value);
};

} // namespace tavrel
