#pragma once

#include "Delta.h"
#include "MTavrelMPRExport.h"

#include <QDateTime>
#include <QString>

namespace tavrel {

// Turns the rows a dataset applied into rows of the change log GN_LOGCM (company, user,
// time, table, field, old value, new value, operation):
//   insert  "I", one entry per column stored with a value (old value null)
//   modify  "M", one entry per changed column, old and new value
//   delete  "D", one entry per column that had a value (new value null), so the deleted
//           row can be read back from the log
// A row without any such column still gives one entry, with no field name.
// Values are logged as text: numbers with '.' as decimal separator, date-times as
// yyyy-MM-ddTHH:mm:ss.zzz, booleans S/N, binary data in base64.
class MTAVRELMPR_EXPORT ChangeLogBuilder
{
public:
    struct Context
    {
        int company = 0;
        QString user;
        QDateTime time;
        QString table;
    };

    // Insert rows for the provider of GN_LOGCM, in the order of the applied rows.
    static Delta entries(const Delta& applied, const Context& context);
    // A value as the log keeps it; null stays null.
    static QVariant valueText(const QVariant& value);

    static QString providerName() { return QStringLiteral("DtsPGnLogcm"); }
};

} // namespace tavrel
