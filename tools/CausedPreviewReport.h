#pragma once

#include "CausedPreviewCall.h"
#include "ResultTable.h"

#include <QDateTime>
#include <QJsonArray>
#include <QList>
#include <QString>

namespace tavrel {

class IAppServer;

// The caused values that the update would write, as the application server computes them
// (its method VistaPreviaCausado): every relation row the session may see with its stored
// columns and VAL_CAUS_NUEVO, and what the host shows and exports of them.
class CausedPreviewReport : public CausedPreviewReply
{
public:
    struct CompanyTotal
    {
        int company = 0;
        int rows = 0;
        int changed = 0; // rows whose caused value the update would change
        double current = 0;
        double next = 0;
    };

    // `company` is the one whose window runs the update (its flag V0000017 decides the
    // summed column); `year` 0 follows FEC_RPCO. Throws ModuleError.
    static CausedPreviewReport fetch(IAppServer& server, int company, int year,
                                     const QDateTime& clientTime = QDateTime::currentDateTime());

    int company = 0; // whose flag was read

    // What the update would sum, and why, for the user.
    QString periodText() const;
    QVariant current(int row) const { return rows.value(row, QStringLiteral("VAL_CAUS")); }
    QVariant next(int row) const { return rows.value(row, QStringLiteral("VAL_CAUS_NUEVO")); }
    // Empty and 0 differ: the update leaves the one or writes the other.
    bool changes(int row) const;
    // New minus current, an empty value counting as 0; null when both are empty.
    QVariant difference(int row) const;
    QList<CompanyTotal> companyTotals() const;

    // One object per row: the stored columns and VAL_CAUS_NUEVO.
    QJsonArray toJson() const;
    // The rows, a total row after each company's and a grand total. Throws ModuleError.
    void writeXlsx(const QString& path) const;
};

} // namespace tavrel
