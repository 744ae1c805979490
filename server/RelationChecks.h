#pragma once

#include "TavrelServerExport.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class Database;

// A point of a relation row worth a look. Warnings never stop anything: the window
// keeps saving such rows as before.
struct TAVREL_SERVER_EXPORT RelationWarning
{
    enum class Level
    {
        Warning, // most likely a mistake
        Note,    // unusual, to be confirmed
    };

    qint64 rowKey = -1;
    QVariant payrollConcept;
    QString account;
    QVariant related;
    QString check; // fuente, causado, duplicado, contabilizacion, cuenta, lista
    Level level = Level::Warning;
    QString message; // Spanish, names the row and says what to look at
};

// The consistency checks of one company's relation rows: funding source against budget
// resource, caused value above the total, the same concept, account and related code
// twice, concepts and accounts that no longer exist, and budget codes outside the lists.
class TAVREL_SERVER_EXPORT RelationChecks
{
public:
    // In the order of the rows, each row's warnings in the order of the checks above.
    static QList<RelationWarning> run(Database& db, int company);

    // The late-bound method RevisarRelacion(company, warnings&): warnings receives one list
    // per warning: row key, concept, account, related code, check, level ("aviso" or
    // "nota"), message. Returns the number of warnings.
    static QVariant method(Database& db, QVariantList& args);
};

} // namespace tavrel
