#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QSql>
#include <QVariant>

namespace tavrel {

// How values cross libpq's text format: what a column of a type OID reads as, and how a
// value goes out as a statement parameter, apart from the statement's text.
class PgValues
{
public:
    // The Qt type a column of `oid` reads as.
    static QMetaType metaTypeOf(unsigned int oid);
    // The column value in libpq's text format (not null).
    static QVariant read(unsigned int oid, const char* text, int length,
                         QSql::NumericalPrecisionPolicy precision);

    struct Parameter
    {
        bool null = true;
        QByteArray bytes;
        unsigned int oid = 0; // 0: the type the statement gives the parameter
        bool binary = false;
    };
    // A bound value as a parameter. Text and numbers go untyped, so that PostgreSQL gives
    // them the type of what they are compared with, as it does for a literal; date-times
    // go as TIMESTAMP of their local time, the columns' own type.
    static Parameter parameter(const QVariant& value);
};

} // namespace tavrel
