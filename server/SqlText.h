#pragma once

#include "TavrelServerExport.h"

#include <QString>
#include <QStringList>

namespace tavrel {

// Lexical analysis of the SQL texts that clients send: the ":NAME" parameter markers
// and whether a text is one read-only SELECT. Quoted strings, quoted identifiers and
// comments are skipped, so a colon or a semicolon inside them counts for nothing, and
// "::" (a PostgreSQL cast) is not a marker.
class TAVREL_SERVER_EXPORT SqlText
{
public:
    struct Markers
    {
        QString positionalText;  // the text with every marker replaced by "?"
        QStringList pieces;      // the text around the markers: occurrences + 1 pieces
        QStringList occurrences; // marker names (as written) in text order, repeats included
        QStringList distinct;    // names in the order of their first appearance
    };

    enum class ReadCheck
    {
        SingleSelect, // one SELECT (or WITH ... SELECT), at most a trailing ';'
        Empty,        // nothing but blanks and comments
        NotSelect,    // one statement that is not a SELECT
        Several,      // more than one statement
    };

    static Markers parseMarkers(const QString& sql);
    static ReadCheck checkSingleSelect(const QString& sql);

    // The text cut to a length that fits in a message, blanks collapsed.
    static QString excerpt(const QString& sql, int maxLength = 80);
};

} // namespace tavrel
