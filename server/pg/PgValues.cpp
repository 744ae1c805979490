#include "PgValues.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

#include <cmath>
#include <limits>

namespace tavrel {

namespace {

// The type OIDs of PostgreSQL's catalogue (pg_type.dat) that read as something else than
// text.
enum Oid : unsigned int
{
    Bool = 16,
    Bytea = 17,
    Int8 = 20,
    Int2 = 21,
    Int4 = 23,
    ObjectId = 26,
    Float4 = 700,
    Float8 = 701,
    Date = 1082,
    Time = 1083,
    Timestamp = 1114,
    TimestampTz = 1184,
    TimeTz = 1266,
    Numeric = 1700,
};

double realOf(QByteArrayView text)
{
    if (text == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (text == "Infinity")
        return std::numeric_limits<double>::infinity();
    if (text == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    return text.toDouble();
}

// "2026-12-07 10:15:00.125" or, with a zone, "…+05" or "…-03:30".
QDateTime dateTimeOf(QByteArrayView text, bool zoned)
{
    QString iso = QString::fromLatin1(text);
    if (iso.size() > 10 && iso.at(10) == QLatin1Char(' '))
        iso[10] = QLatin1Char('T');
    if (!zoned)
        return QDateTime::fromString(iso, Qt::ISODateWithMs);
    const qsizetype sign =
        std::max(iso.lastIndexOf(QLatin1Char('+')), iso.lastIndexOf(QLatin1Char('-')));
    if (sign > 10 && iso.size() - sign == 3)
        iso += QStringLiteral(":00");
    return QDateTime::fromString(iso, Qt::ISODateWithMs).toLocalTime();
}

} // namespace

QMetaType PgValues::metaTypeOf(unsigned int oid)
{
    switch (oid) {
    case Bool:
        return QMetaType(QMetaType::Bool);
    case Int8:
        return QMetaType(QMetaType::LongLong);
    case Int2:
    case Int4:
    case ObjectId:
        return QMetaType(QMetaType::Int);
    case Float4:
    case Float8:
    case Numeric:
        return QMetaType(QMetaType::Double);
    case Date:
        return QMetaType(QMetaType::QDate);
    case Time:
    case TimeTz:
        return QMetaType(QMetaType::QTime);
    case Timestamp:
    case TimestampTz:
        return QMetaType(QMetaType::QDateTime);
    case Bytea:
        return QMetaType(QMetaType::QByteArray);
    default:
        return QMetaType(QMetaType::QString);
    }
}

QVariant PgValues::read(unsigned int oid, const char* data, int length,
                        QSql::NumericalPrecisionPolicy precision)
{
    const QByteArrayView text(data, length);
    switch (oid) {
    case Bool:
        return text == "t";
    case Int8:
        return text.toLongLong();
    case Int2:
    case Int4:
    case ObjectId:
        return text.toInt();
    case Float4:
    case Float8:
    case Numeric:
        switch (precision) {
        case QSql::HighPrecision:
            if (oid == Numeric)
                return QString::fromLatin1(text);
            return realOf(text);
        case QSql::LowPrecisionInt32:
            return int(std::lround(realOf(text)));
        case QSql::LowPrecisionInt64:
            return qlonglong(std::llround(realOf(text)));
        case QSql::LowPrecisionDouble:
        default:
            return realOf(text);
        }
    case Date:
        return QDate::fromString(QString::fromLatin1(text), Qt::ISODate);
    case Time:
    case TimeTz:
        return QTime::fromString(
            QString::fromLatin1(text.first(std::min<qsizetype>(text.size(), 12))),
            Qt::ISODateWithMs);
    case Timestamp:
    case TimestampTz:
        return dateTimeOf(text, oid == TimestampTz);
    case Bytea:
        // The hex output form: "\x" and two digits a byte.
        return text.startsWith("\\x") ? QByteArray::fromHex(text.sliced(2).toByteArray())
                                      : text.toByteArray();
    default:
        return QString::fromUtf8(text);
    }
}

PgValues::Parameter PgValues::parameter(const QVariant& value)
{
    Parameter p;
    if (!value.isValid() || value.isNull())
        return p;
    p.null = false;
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime local = value.toDateTime().toLocalTime();
        p.bytes = local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
        p.oid = Timestamp;
        break;
    }
    case QMetaType::QDate:
        p.bytes = value.toDate().toString(Qt::ISODate).toLatin1();
        p.oid = Date;
        break;
    case QMetaType::QTime:
        p.bytes = value.toTime().toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1();
        p.oid = Time;
        break;
    case QMetaType::Bool:
        p.bytes = value.toBool() ? "t" : "f";
        p.oid = Bool;
        break;
    case QMetaType::QByteArray:
        p.bytes = value.toByteArray();
        p.oid = Bytea;
        p.binary = true;
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        p.bytes = std::isnan(d)   ? QByteArray("NaN")
                  : std::isinf(d) ? QByteArray(d > 0 ? "Infinity" : "-Infinity")
                                  : QByteArray::number(d, 'g', 17);
        break;
    }
    default:
        p.bytes = value.toString().toUtf8();
        break;
    }
    return p;
}

} // namespace tavrel
