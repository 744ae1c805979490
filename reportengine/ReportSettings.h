#pragma once

#include "TavrelReportsExport.h"

#include <QDateTime>
#include <QString>

namespace tavrel::report {

// Process settings a report run needs for its system values.
struct TAVREL_REPORTS_EXPORT ReportSettings
{
    // Format of [DATE]: the process-wide short date format.
    QString shortDateFormat = QStringLiteral("dd/MM/yyyy");
    // Format of [TIME].
    QString timeFormat = QStringLiteral("HH:mm:ss");
    // The moment of the run shown by [DATE] and [TIME]; invalid means "when layout starts".
    QDateTime runTime;
};

} // namespace tavrel::report
