#include "FieldType.h"

#include "ModuleError.h"

#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <cmath>
#include <limits>

namespace tavrel {

QString fieldTypeName(FieldType type)
{
    switch (type) {
    case FieldType::String:
        return QStringLiteral("texto");
    case FieldType::FixedChar:
        return QStringLiteral("texto fijo");
    case FieldType::SmallInt:
        return QStringLiteral("entero corto");
    case FieldType::Integer:
        return QStringLiteral("entero");
    case FieldType::LargeInt:
        return QStringLiteral("entero largo");
    case FieldType::Float:
        return QStringLiteral("número");
    case FieldType::DateTime:
        return QStringLiteral("fecha y hora");
    case FieldType::Blob:
        return QStringLiteral("binario");
    case FieldType::Boolean:
        return QStringLiteral("lógico");
    }
    return QString();
}

bool isNull(const QVariant& value)
{
    return !value.isValid() || value.isNull();
}

namespace {

[[noreturn]] void fail(const QVariant& value, FieldType type)
{
    throw ModuleError(QStringLiteral("'%1' no es un valor válido de tipo %2")
                          .arg(value.toString(), fieldTypeName(type)),
                      ModuleError::Kind::Conversion);
}

qlonglong toInteger(const QVariant& value, FieldType type)
{
    bool ok = false;
    qlonglong n = 0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d != std::trunc(d) || std::fabs(d) > 9.0e18)
            fail(value, type);
        n = static_cast<qlonglong>(d);
        ok = true;
        break;
    }
    case QMetaType::Bool:
        n = value.toBool() ? 1 : 0;
        ok = true;
        break;
    case QMetaType::QString:
        n = value.toString().trimmed().toLongLong(&ok, 10);
        break;
    default:
        n = value.toLongLong(&ok);
        break;
    }
    if (!ok)
        fail(value, type);
    return n;
}

double toFloat(const QVariant& value, FieldType type)
{
    bool ok = false;
    double d = 0;
    if (value.typeId() == QMetaType::QString) {
        QString text = value.toString().trimmed();
        d = text.toDouble(&ok);
        if (!ok)
            d = QLocale(QLocale::Spanish, QLocale::Colombia).toDouble(text, &ok);
    } else {
        d = value.toDouble(&ok);
    }
    if (!ok || !std::isfinite(d))
        fail(value, type);
    return d;
}

// The digits of text[from, from + count) as a number; -1 when one is not a digit.
int digits(QStringView text, qsizetype from, qsizetype count)
{
    int n = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        n = n * 10 + (c - u'0');
    }
    return n;
}

// The canonical form the server stores and sends, "yyyy-MM-ddTHH:mm:ss.zzz" (a blank for
// the T and no milliseconds are accepted too), read without QDateTime's general parser.
// Each local date-time made costs a look-up of the time zone (the C library checks the
// zone file every time), so the values of the last few thousand distinct texts are kept:
// a column of stamps repeats them. Null when the text is not in that form.
QDateTime fromCanonicalText(QStringView text)
{
    if ((text.size() != 19 && text.size() != 23) || text[4] != u'-' || text[7] != u'-' ||
        (text[10] != u'T' && text[10] != u' ') || text[13] != u':' || text[16] != u':' ||
        (text.size() == 23 && text[19] != u'.'))
        return {};
    const int year = digits(text, 0, 4), month = digits(text, 5, 2), day = digits(text, 8, 2);
    const int hour = digits(text, 11, 2), minute = digits(text, 14, 2);
    const int second = digits(text, 17, 2), ms = text.size() == 23 ? digits(text, 20, 3) : 0;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second, ms);
    if (year < 0 || month < 0 || day < 0 || hour < 0 || minute < 0 || second < 0 || ms < 0 ||
        !date.isValid() || !time.isValid())
        return {};

    thread_local QHash<qint64, QDateTime> made;
    const qint64 key = date.toJulianDay() * 86400000 + time.msecsSinceStartOfDay();
    const auto found = made.constFind(key);
    if (found != made.constEnd())
        return *found;
    if (made.size() >= 4096)
        made.clear();
    const QDateTime dt(date, time);
    made.insert(key, dt);
    return dt;
}

QDateTime toDateTime(const QVariant& value, FieldType type)
{
    QDateTime dt;
    if (value.typeId() == QMetaType::QDateTime) {
        dt = value.toDateTime().toLocalTime();
    } else if (value.typeId() == QMetaType::QDate) {
        dt = QDateTime(value.toDate(), QTime(0, 0));
    } else if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        dt = fromCanonicalText(text);
        if (!dt.isValid())
            dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!dt.isValid())
            dt = QDateTime::fromString(text, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime(QDate::fromString(text, QStringLiteral("dd/MM/yyyy")), QTime(0, 0));
        if (dt.isValid() && dt.timeSpec() != Qt::LocalTime)
            dt = dt.toLocalTime();
        // The short format also reads a signed year ("06/12/-2026"); a typed date has
        // four digits, as the server stores it.
        if (dt.isValid() && (dt.date().year() < 1 || dt.date().year() > 9999))
            dt = QDateTime();
    }
    if (!dt.isValid())
        fail(value, type);
    return dt;
}

} // namespace

QVariant coerce(const QVariant& value, FieldType type)
{
    if (isNull(value))
        return QVariant();
    switch (type) {
    case FieldType::String:
    case FieldType::FixedChar: {
        if (value.typeId() == QMetaType::QDateTime)
            return value.toDateTime().toString(Qt::ISODateWithMs);
        QString text = value.toString();
        if (type == FieldType::FixedChar) {
            qsizetype end = text.size();
            while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
                --end;
            text.truncate(end);
        }
        return text;
    }
    case FieldType::SmallInt: {
        const qlonglong n = toInteger(value, type);
        if (n < std::numeric_limits<qint16>::min() || n > std::numeric_limits<qint16>::max())
            throw ModuleError(
                QStringLiteral("%1 está fuera del rango de un entero corto (-32768 a 32767)")
                    .arg(n),
                ModuleError::Kind::Conversion);
        return int(n);
    }
    case FieldType::Integer: {
        const qlonglong n = toInteger(value, type);
        if (n < std::numeric_limits<qint32>::min() || n > std::numeric_limits<qint32>::max())
            throw ModuleError(QStringLiteral("%1 está fuera del rango de un entero").arg(n),
                              ModuleError::Kind::Conversion);
        return int(n);
    }
    case FieldType::LargeInt:
        return toInteger(value, type);
    case FieldType::Float:
        return toFloat(value, type);
    case FieldType::DateTime:
        return toDateTime(value, type);
    case FieldType::Blob:
        return value.toByteArray();
    case FieldType::Boolean: {
        if (value.typeId() == QMetaType::QString) {
            const QString t = value.toString().trimmed().toUpper();
            if (t == QLatin1String("S") || t == QLatin1String("TRUE") || t == QLatin1String("1"))
                return true;
            if (t == QLatin1String("N") || t == QLatin1String("FALSE") || t == QLatin1String("0"))
                return false;
            fail(value, type);
        }
        return value.toBool();
    }
    }
    return value;
}

} // namespace tavrel
