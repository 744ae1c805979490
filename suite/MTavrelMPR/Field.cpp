#include "Field.h"

#include "FloatFormatter.h"
#include "FormatSettings.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QPointer>
#include <cmath>

namespace tavrel {

struct Field::Private
{
    SClientDataSet* dataSet = nullptr;
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
    FieldKind kind = FieldKind::Data;
    int index = 0;
    QString displayLabel;
    QString displayFormat;
    int displayWidth = 0;
    int tag = 0;
    bool readOnly = false;
    bool visible = true;
    QString keyField;
    QPointer<SClientDataSet> lookupDataSet;
    QString lookupKeyField;
    QString lookupResultField;
};

Field::Field(SClientDataSet* dataSet, const QString& name, FieldType type, int size, FieldKind kind,
             int index)
    : d(std::make_unique<Private>())
{
    d->dataSet = dataSet;
    d->name = name;
    d->type = type;
    d->size = qMax(0, size);
    d->kind = kind;
    d->index = index;
}

Field::~Field() = default;

QString Field::fieldName() const
{
    return d->name;
}

FieldType Field::dataType() const
{
    return d->type;
}

int Field::size() const
{
    return d->size;
}

FieldKind Field::kind() const
{
    return d->kind;
}

int Field::index() const
{
    return d->index;
}

SClientDataSet* Field::dataSet() const
{
    return d->dataSet;
}

QString Field::displayLabel() const
{
    return d->displayLabel.isEmpty() ? d->name : d->displayLabel;
}

void Field::setDisplayLabel(const QString& label)
{
    d->displayLabel = label;
}

QString Field::displayFormat() const
{
    return d->displayFormat;
}

void Field::setDisplayFormat(const QString& format)
{
    d->displayFormat = format;
}

int Field::displayWidth() const
{
    if (d->displayWidth > 0)
        return d->displayWidth;
    switch (d->type) {
    case FieldType::String:
    case FieldType::FixedChar:
        return d->size > 0 ? d->size : 20;
    case FieldType::SmallInt:
        return 6;
    case FieldType::Integer:
        return 11;
    case FieldType::LargeInt:
        return 20;
    case FieldType::Float:
        return 15;
    case FieldType::DateTime:
        return 19;
    case FieldType::Blob:
        return 10;
    case FieldType::Boolean:
        return 1;
    }
    return 10;
}

void Field::setDisplayWidth(int width)
{
    d->displayWidth = width;
}

int Field::tag() const
{
    return d->tag;
}

void Field::setTag(int tag)
{
    d->tag = tag;
}

bool Field::readOnly() const
{
    return d->readOnly;
}

void Field::setReadOnly(bool readOnly)
{
    d->readOnly = readOnly;
}

bool Field::visible() const
{
    return d->visible;
}

void Field::setVisible(bool visible)
{
    d->visible = visible;
}

QString Field::keyField() const
{
    return d->keyField;
}

void Field::setKeyField(const QString& fields)
{
    d->keyField = fields;
}

SClientDataSet* Field::lookupDataSet() const
{
    return d->lookupDataSet;
}

void Field::setLookupDataSet(SClientDataSet* dataSet)
{
    d->lookupDataSet = dataSet;
}

QString Field::lookupKeyField() const
{
    return d->lookupKeyField;
}

void Field::setLookupKeyField(const QString& fields)
{
    d->lookupKeyField = fields;
}

QString Field::lookupResultField() const
{
    return d->lookupResultField;
}

void Field::setLookupResultField(const QString& field)
{
    d->lookupResultField = field;
}

QVariant Field::value() const
{
    return d->dataSet->fieldValue(*this);
}

void Field::setValue(const QVariant& value)
{
    d->dataSet->assignField(*this, value);
}

bool Field::isNull() const
{
    return tavrel::isNull(value());
}

void Field::clear()
{
    setValue(QVariant());
}

QVariant Field::convert(const QVariant& value) const
{
    QVariant converted;
    try {
        converted = coerce(value, d->type);
    } catch (const ModuleError& e) {
        throw ModuleError(
            QStringLiteral("Valor no válido para el campo '%1': %2").arg(d->name, e.message()),
            e.kind());
    }
    if (d->size > 0 && (d->type == FieldType::String || d->type == FieldType::FixedChar) &&
        !tavrel::isNull(converted)) {
        const QString text = converted.toString();
        if (text.size() > d->size)
            converted = text.left(d->size);
    }
    return converted;
}

QString Field::asString() const
{
    return textOf(value());
}

int Field::asInteger() const
{
    const QVariant v = value();
    if (tavrel::isNull(v))
        return 0;
    if (d->type == FieldType::Float)
        return coerce(std::round(v.toDouble()), FieldType::Integer).toInt();
    return coerce(v, FieldType::Integer).toInt();
}

qint64 Field::asLargeInt() const
{
    const QVariant v = value();
    if (tavrel::isNull(v))
        return 0;
    if (d->type == FieldType::Float)
        return coerce(std::round(v.toDouble()), FieldType::LargeInt).toLongLong();
    return coerce(v, FieldType::LargeInt).toLongLong();
}

double Field::asFloat() const
{
    const QVariant v = value();
    return tavrel::isNull(v) ? 0.0 : coerce(v, FieldType::Float).toDouble();
}

QDateTime Field::asDateTime() const
{
    const QVariant v = value();
    return tavrel::isNull(v) ? QDateTime() : coerce(v, FieldType::DateTime).toDateTime();
}

bool Field::asBoolean() const
{
    const QVariant v = value();
    return !tavrel::isNull(v) && coerce(v, FieldType::Boolean).toBool();
}

void Field::setAsString(const QString& text)
{
    const bool isText = d->type == FieldType::String || d->type == FieldType::FixedChar;
    if (!isText && text.trimmed().isEmpty())
        setValue(QVariant());
    else
        setValue(text);
}

QString Field::textOf(const QVariant& value) const
{
    if (tavrel::isNull(value))
        return QString();
    switch (d->type) {
    case FieldType::Float:
        return FloatFormatter::general(value.toDouble());
    case FieldType::DateTime: {
        const FormatSettings& settings = FormatSettings::instance();
        const QDateTime dt = value.toDateTime();
        QString text = dt.date().toString(settings.shortDateFormat());
        if (dt.time() != QTime(0, 0))
            text += QLatin1Char(' ') + dt.time().toString(settings.longTimeFormat());
        return text;
    }
    case FieldType::Boolean:
        return value.toBool() ? QStringLiteral("S") : QStringLiteral("N");
    case FieldType::Blob:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

QString Field::formatValue(const QVariant& value) const
{
    if (tavrel::isNull(value))
        return QString();
    const bool numeric = d->type == FieldType::Float || d->type == FieldType::SmallInt ||
                         d->type == FieldType::Integer || d->type == FieldType::LargeInt;
    if (numeric && !d->displayFormat.isEmpty())
        return FloatFormatter::format(d->displayFormat, value.toDouble());
    if (d->type == FieldType::DateTime && !d->displayFormat.isEmpty())
        return value.toDateTime().toString(d->displayFormat);
    if (d->type == FieldType::Blob)
        return QStringLiteral("(binario)");
    return textOf(value);
}

QString Field::displayText() const
{
    return formatValue(value());
}

} // namespace tavrel
