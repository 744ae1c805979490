#pragma once

#include "TavrelReportsExport.h"

#include <QList>
#include <QString>

#include <functional>

namespace tavrel::report {

// The text of a text object: literals mixed with bracketed expressions.
//   [DataSet."FIELD"]  or  [DataSet.FIELD]   display text of a field of a data source
//   [NAME]                                    a system value (PAGE#, DATE, ...) or a variable
// A '[' without its ']' is literal text.
class TAVREL_REPORTS_EXPORT TextTemplate
{
public:
    struct Token
    {
        enum class Kind
        {
            Literal,
            Field,
            Name
        };
        Kind kind = Kind::Literal;
        QString text;   // Literal: the text; Name: the name; Field: the expression as written
        QString source; // Field only
        QString field;  // Field only

        bool operator==(const Token&) const = default;
    };

    TextTemplate() = default;
    explicit TextTemplate(const QString& text);

    const QString& text() const { return m_text; }
    const QList<Token>& tokens() const { return m_tokens; }
    bool hasExpressions() const;

    // Joins the literals with the resolved values of the expressions.
    QString evaluate(const std::function<QString(const Token&)>& resolve) const;

private:
    QString m_text;
    QList<Token> m_tokens;
};

} // namespace tavrel::report
