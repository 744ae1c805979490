#include "WireValue.h"

#include "JsonText.h"
#include "ModuleError.h"

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <cmath>
#include <limits>
#include <optional>

namespace tavrel {

namespace {

QJsonValue encodeDouble(double d)
{
    if (std::isnan(d))
        return QStringLiteral("NaN");
    if (std::isinf(d))
        return d > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (d == 0 && std::signbit(d))
        return QStringLiteral("-0");
    return d;
}

double decodeDouble(const QJsonValue& value)
{
    if (value.isDouble())
        return value.toDouble();
    const QString text = value.toString();
    if (text == QLatin1String("NaN"))
        return std::numeric_limits<double>::quiet_NaN();
    if (text == QLatin1String("Infinity"))
        return std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-Infinity"))
        return -std::numeric_limits<double>::infinity();
    if (text == QLatin1String("-0"))
        return -0.0;
    WireValue::malformed(QStringLiteral("%1 no es un número").arg(WireValue::describe(value)));
}

// JSON numbers are doubles to most readers; an integer beyond 2^53 is accepted only
// when the parser kept it exact.
qint64 decodeInteger(const QJsonValue& value, qint64 low, qint64 high)
{
    std::optional<qint64> n;
    if (value.isDouble()) {
        const QVariant exact = value.toVariant();
        const double d = value.toDouble();
        if (exact.typeId() == QMetaType::LongLong)
            n = exact.toLongLong();
        else if (d == std::trunc(d) && std::fabs(d) <= 9007199254740992.0)
            n = static_cast<qint64>(d);
    }
    if (!n || *n < low || *n > high) {
        WireValue::malformed(QStringLiteral("%1 no es un entero entre %2 y %3")
                                 .arg(WireValue::describe(value))
                                 .arg(low)
                                 .arg(high));
    }
    return *n;
}

// In UTC when its date has four digits there; otherwise (the days next to the ends of
// the calendar, such as 9999-12-31 23:00 west of Greenwich) with the sender's offset,
// which names the same instant. Empty when neither form can be written.
QString writtenDateTime(const QDateTime& dt)
{
    const QString utc = dt.toUTC().toString(Qt::ISODateWithMs);
    if (!utc.isEmpty())
        return utc;
    return dt.toOffsetFromUtc(dt.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString encodeDateTime(const QDateTime& dt)
{
    const QString text = writtenDateTime(dt);
    if (text.isEmpty())
        throw ModuleError(QStringLiteral("La fecha y hora %1 está fuera del rango que se puede "
                                         "enviar (años 1 a 9999)")
                              .arg(dt.toString(Qt::ISODateWithMs)),
                          ModuleError::Kind::Conversion);
    return text;
}

thread_local QHash<QString, QDateTime>* tRead = nullptr; // the outer ReadScope's texts

// A date-time the receiver could not send back (one that falls outside the calendar's
// four-digit years in its local time and in UTC) is refused here, where its text is known.
QDateTime decodeDateTime(const QJsonValue& value)
{
    if (!value.isString())
        WireValue::malformed(
            QStringLiteral("%1 no es una fecha y hora con zona").arg(WireValue::describe(value)));
    const QString text = value.toString();
    if (tRead) {
        const auto found = tRead->constFind(text);
        if (found != tRead->constEnd())
            return *found;
    }
    const QDateTime dt = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!dt.isValid() || dt.timeSpec() == Qt::LocalTime)
        WireValue::malformed(
            QStringLiteral("%1 no es una fecha y hora con zona").arg(WireValue::describe(value)));
    const QDateTime local = dt.toLocalTime();
    if (writtenDateTime(local).isEmpty())
        WireValue::malformed(QStringLiteral("%1 está fuera del rango de fechas (años 1 a 9999)")
                                 .arg(WireValue::describe(value)));
    if (tRead) {
        // A column of distinct stamps gains nothing from the texts kept.
        if (tRead->size() >= 4096)
            tRead->clear();
        tRead->insert(text, local);
    }
    return local;
}

QByteArray decodeBlob(const QJsonValue& value)
{
    auto result = QByteArray::fromBase64Encoding(value.toString().toLatin1(),
                                                 QByteArray::AbortOnBase64DecodingErrors);
    if (!value.isString() || !result)
        WireValue::malformed(
            QStringLiteral("%1 no es un binario en base 64").arg(WireValue::describe(value)));
    return *result;
}

QString decodeText(const QJsonValue& value)
{
    if (!value.isString())
        WireValue::malformed(QStringLiteral("%1 no es un texto").arg(WireValue::describe(value)));
    return value.toString();
}

} // namespace

WireValue::ReadScope::ReadScope()
{
    if (!tRead) {
        tRead = &m_read;
        m_outer = true;
    }
}

WireValue::ReadScope::~ReadScope()
{
    if (m_outer)
        tRead = nullptr;
}

void WireValue::malformed(const QString& what)
{
    throw ModuleError(QStringLiteral("Mensaje mal formado: %1").arg(what),
                      ModuleError::Kind::Conversion);
}

QString WireValue::describe(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 17);
    case QJsonValue::String:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    case QJsonValue::Array:
        return QStringLiteral("una lista");
    case QJsonValue::Object:
        return QStringLiteral("un objeto");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nada");
}

QJsonValue WireValue::encodeTyped(const QVariant& value, FieldType type)
{
    if (isNull(value))
        return QJsonValue::Null;
    switch (type) {
    case FieldType::String:
    case FieldType::FixedChar:
        return value.toString();
    case FieldType::SmallInt:
    case FieldType::Integer:
        return value.toInt();
    case FieldType::LargeInt:
        return value.toLongLong();
    case FieldType::Float:
        return encodeDouble(value.toDouble());
    case FieldType::DateTime:
        return encodeDateTime(value.toDateTime());
    case FieldType::Blob:
        return QString::fromLatin1(value.toByteArray().toBase64());
    case FieldType::Boolean:
        return value.toBool();
    }
    return QJsonValue::Null;
}

void WireValue::writeTyped(QByteArray& out, const QVariant& value, FieldType type)
{
    // Texts and integers, most of a packet, without building a JSON value first.
    if (isNull(value)) {
        out += "null";
    } else if (type == FieldType::String || type == FieldType::FixedChar) {
        JsonText::appendString(out, value.toString());
    } else if (type == FieldType::SmallInt || type == FieldType::Integer) {
        out += QByteArray::number(value.toInt());
    } else if (type == FieldType::LargeInt) {
        out += QByteArray::number(value.toLongLong());
    } else {
        JsonText::appendScalar(out, encodeTyped(value, type));
    }
}

QVariant WireValue::decodeTyped(const QJsonValue& value, FieldType type)
{
    if (value.isNull())
        return QVariant();
    switch (type) {
    case FieldType::String:
    case FieldType::FixedChar:
        return decodeText(value);
    case FieldType::SmallInt:
        return int(decodeInteger(value, std::numeric_limits<qint16>::min(),
                                 std::numeric_limits<qint16>::max()));
    case FieldType::Integer:
        return int(decodeInteger(value, std::numeric_limits<qint32>::min(),
                                 std::numeric_limits<qint32>::max()));
    case FieldType::LargeInt:
        return qlonglong(decodeInteger(value, std::numeric_limits<qint64>::min(),
                                       std::numeric_limits<qint64>::max()));
    case FieldType::Float:
        return decodeDouble(value);
    case FieldType::DateTime:
        return decodeDateTime(value);
    case FieldType::Blob:
        return decodeBlob(value);
    case FieldType::Boolean:
        if (!value.isBool())
            WireValue::malformed(
                QStringLiteral("%1 no es un valor lógico").arg(WireValue::describe(value)));
        return value.toBool();
    }
    return QVariant();
}

QJsonValue WireValue::encodeTagged(const QVariant& value)
{
    if (isNull(value))
        return QJsonValue::Null;
    const auto tagged = [](const char* tag, const QJsonValue& v) {
        return QJsonObject{{QLatin1String(tag), v}};
    };
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Short:
    case QMetaType::UShort:
        if (value.typeId() == QMetaType::Short || value.toInt() <= 32767)
            return tagged("i16", value.toInt());
        return tagged("i32", value.toInt());
    case QMetaType::Int:
        return tagged("i32", value.toInt());
    case QMetaType::UInt:
    case QMetaType::LongLong:
        return tagged("i64", value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return tagged("f64", encodeDouble(value.toDouble()));
    case QMetaType::QDateTime:
        return tagged("ts", encodeDateTime(value.toDateTime()));
    case QMetaType::QDate:
        return tagged("date", value.toDate().toString(Qt::ISODate));
    case QMetaType::QByteArray:
        return tagged("b64", QString::fromLatin1(value.toByteArray().toBase64()));
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        QJsonArray list;
        for (const QVariant& item : value.toList())
            list.append(encodeTagged(item));
        return list;
    }
    default:
        break;
    }
    throw ModuleError(QStringLiteral("Un valor de tipo %1 no puede enviarse al servidor")
                          .arg(QString::fromLatin1(value.typeName())),
                      ModuleError::Kind::Conversion);
}

QVariant WireValue::decodeTagged(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QVariant();
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Array: {
        QVariantList list;
        for (const QJsonValue& item : value.toArray())
            list.append(decodeTagged(item));
        return list;
    }
    case QJsonValue::Object:
        break;
    case QJsonValue::Double:
    case QJsonValue::Undefined:
        WireValue::malformed(QStringLiteral("%1 no lleva su tipo").arg(WireValue::describe(value)));
    }
    const QJsonObject object = value.toObject();
    if (object.size() != 1)
        WireValue::malformed(QStringLiteral("un valor debe tener un solo tipo"));
    const QString tag = object.begin().key();
    const QJsonValue inner = object.begin().value();
    if (tag == QLatin1String("i16"))
        return QVariant::fromValue(short(decodeTyped(inner, FieldType::SmallInt).toInt()));
    if (tag == QLatin1String("i32"))
        return decodeTyped(inner, FieldType::Integer);
    if (tag == QLatin1String("i64"))
        return decodeTyped(inner, FieldType::LargeInt);
    if (tag == QLatin1String("f64"))
        return decodeDouble(inner);
    if (tag == QLatin1String("ts"))
        return decodeDateTime(inner);
    if (tag == QLatin1String("b64"))
        return decodeBlob(inner);
    if (tag == QLatin1String("date")) {
        const QDate date = QDate::fromString(inner.toString(), Qt::ISODate);
        if (!date.isValid())
            WireValue::malformed(
                QStringLiteral("%1 no es una fecha").arg(WireValue::describe(inner)));
        return date;
    }
    WireValue::malformed(QStringLiteral("tipo de valor desconocido '%1'").arg(tag));
}

} // namespace tavrel
