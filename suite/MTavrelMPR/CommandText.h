#pragma once

#include "MTavrelMPRExport.h"
#include "Param.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// The SQL text of a dataset with the parameters of its ":name" markers.
//
// A marker is a colon followed by a letter or '_', then letters, digits and '_'. A
// colon inside single or double quotes, inside a "--" or "/* */" comment, or doubled
// ("::", a type cast) is not a marker. Parameters are in the order of their first
// marker, each once (names compared without case).
class MTAVRELMPR_EXPORT CommandText
{
public:
    QString text() const { return m_text; }
    // Parameters whose name stays keep their value and type; new ones start null.
    void setText(const QString& text);
    // The text as lines; setting them makes the text the lines each followed by "\n".
    QStringList lines() const;
    void setLines(const QStringList& lines);

    const ParamList& params() const { return m_params; }
    ParamList& params() { return m_params; }
    Param* findParam(const QString& name);

    static QStringList parameterNames(const QString& text);

private:
    QString m_text;
    ParamList m_params;
};

} // namespace tavrel
