#pragma once

#include "MTavrelMPRExport.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tavrel {

// Rows as a CSV file that a Spanish-language Excel opens by double click: UTF-8 with a
// byte order mark (without it Excel reads the accents as Latin-1), ';' between values
// (the list separator where ',' is the decimal separator, so "1.234,50" needs no quotes)
// and CR LF line ends. A value holding ';', '"', CR or LF, or starting or ending with a
// blank, is enclosed in double quotes with its quotes doubled.
class MTAVRELMPR_EXPORT CsvWriter
{
public:
    static QByteArray document(const QStringList& header, const QList<QStringList>& rows);
    static QString line(const QStringList& values);
    static QString quote(const QString& value);

    static constexpr QChar separator() { return QLatin1Char(';'); }
};

} // namespace tavrel
