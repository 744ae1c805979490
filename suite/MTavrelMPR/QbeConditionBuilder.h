#pragma once

#include "FieldType.h"
#include "MTavrelMPRExport.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tavrel {

enum class QbeOperator
{
    Equal,
    NotEqual,
    Greater,
    Less,
    GreaterOrEqual,
    LessOrEqual,
    Contains,   // "contiene": text fields only
    StartsWith, // "empieza por": text fields only
};

// One line of a query-by-example: a column, the operator and the value as typed.
struct QbeCriterion
{
    QString fieldName; // the column as the query names it
    QString label;     // how the user knows it, for messages
    FieldType type = FieldType::String;
    QbeOperator op = QbeOperator::Equal;
    QString value; // blank: this line is no criterion
};

// Turns typed criteria into SQL that runs the same on SQLite and PostgreSQL. Every value
// becomes a literal built here from the parsed value, never the typed text itself:
//   text      quoted, inner quotes doubled; with upper case on, the value is upper-cased
//             and compared with UPPER(column), so the search ignores letter case (on
//             SQLite only for ASCII letters). "contiene" and "empieza por" are LIKE
//             patterns whose own % and _ are escaped.
//   numbers   read the way a Colombian user types them (either decimal separator); text
//             that is no number is refused.
//   dates     read in the date format (ISO yyyy-MM-dd also accepted) and compared as a
//             whole day: "= 03/02/2014" is every moment of that day. The bounds are ISO
//             literals ('2014-02-03T00:00:00.000'), which SQLite compares as text and
//             PostgreSQL reads as timestamps.
//   booleans  S/N, SI/NO, 1/0, true/false; only = and <>.
// Refusals throw ModuleError (kind Conversion) naming the field and the value.
class MTAVRELMPR_EXPORT QbeConditionBuilder
{
public:
    bool upperCase() const { return m_upperCase; }
    void setUpperCase(bool on) { m_upperCase = on; }
    // Qt notation; blank means "dd/MM/yyyy".
    QString dateFormat() const { return m_dateFormat; }
    void setDateFormat(const QString& format);

    // The criteria joined with AND, in their order; lines with a blank value are
    // skipped. Empty when no criterion is left.
    QString expression(const QList<QbeCriterion>& criteria) const;
    // The expression as the query-by-example appends it to its base query: " WHERE ..."
    // when the tag is 0 (the base has no WHERE), " AND ..." otherwise; empty when there
    // is no criterion.
    QString condition(const QList<QbeCriterion>& criteria, int tag) const;

    // The text a query-by-example opens: the base text, then the base condition, then
    // the condition. Without base condition this is base + condition. A base condition
    // (with or without a leading WHERE) is put in parentheses after " WHERE " (tag 0) or
    // " AND " (tag 1), and a condition that then starts with WHERE starts with AND
    // instead, so both restrict the rows.
    static QString composeQuery(const QString& base, const QString& baseCondition, int tag,
                                const QString& condition);

    // 'text' with inner quotes doubled.
    static QString quoteText(const QString& text);
    // "=", "<>", ..., "contiene", "empieza por".
    static QString operatorName(QbeOperator op);
    // The operators that make sense for a type, in the order the window offers them.
    static QList<QbeOperator> operatorsFor(FieldType type);

private:
    QString criterionSql(const QbeCriterion& criterion) const;
    QString textSql(const QbeCriterion& c, const QString& value) const;
    QString dateSql(const QbeCriterion& c, const QString& value) const;

    bool m_upperCase = false;
    QString m_dateFormat = QStringLiteral("dd/MM/yyyy");
};

} // namespace tavrel
