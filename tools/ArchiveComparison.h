#pragma once

#include "YearArchiveReport.h"

#include <QJsonObject>
#include <QList>
#include <QVariant>

namespace tavrel {

// Two archived years of a company side by side, one line per key (payrollConcept, account,
// related code) that either year has: the total value, the caused value and the balance
// of each year and the second minus the first. Rows with the same key in one year add
// up; a key missing from a year counts as 0 there and is marked.
class ArchiveComparison
{
public:
    struct Figures
    {
        double total = 0, caused = 0, balance = 0;
    };
    struct Line
    {
        QVariant payrollConcept, account, related;
        bool inFirst = false, inSecond = false;
        Figures first, second;
    };

    ArchiveComparison(const YearArchiveReport& first, const YearArchiveReport& second);

    int firstYear() const { return m_firstYear; }
    int secondYear() const { return m_secondYear; }
    const QList<Line>& lines() const { return m_lines; }

    // {"empresa", "vigencias": [Y1, Y2], "claves": [{COD_CONT, COD_CUEN, COD_CCOS,
    //  "Y1": {...} or null, "Y2": ..., "diferencia": {VAL_TOTA, VAL_CAUS, VAL_SALD}}]}
    QJsonObject toJson() const;
    // One sheet, the years' columns side by side and the differences. Throws ModuleError.
    void writeXlsx(const QString& path) const;

private:
    int m_company;
    int m_firstYear;
    int m_secondYear;
    QList<Line> m_lines;
};

} // namespace tavrel
