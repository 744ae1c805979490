#include "FieldType.h"

#include "ModuleError.h"

#include <QDateTime>
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

QDateTime toDateTime(const QVariant& value, FieldType type)
{
    QDateTime dt;
    if (value.typeId() == QMetaType::QDateTime) {
        dt = value.toDateTime().toLocalTime();
    } else if (value.typeId() == QMetaType::QDate) {
        dt = QDateTime(value.toDate(), QTime(0, 0));
    } else if (value.typeId() == QMetaType::QString) {
        const QString text = value.toString().trimmed();
        dt = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!dt.isValid())
            dt = QDateTime::fromString(text, QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        if (!dt.isValid())
            dt = QDateTime(QDate::fromString(text, QStringLiteral("dd/MM/yyyy")), QTime(0, 0));
        if (dt.isValid() && dt.timeSpec() != Qt::LocalTime)
            dt = dt.toLocalTime();
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
