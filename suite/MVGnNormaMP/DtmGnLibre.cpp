#include "DtmGnLibre.h"

#include "FieldType.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

#include <QDateTime>

using tavrel::FieldType;

namespace {

// The parameter type a value brings with it; false when it brings none.
bool typeOfValue(const QVariant& value, FieldType& type)
{
    switch (value.typeId()) {
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
        type = FieldType::Integer;
        return true;
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        type = FieldType::LargeInt;
        return true;
    case QMetaType::Float:
    case QMetaType::Double:
        type = FieldType::Float;
        return true;
    case QMetaType::QString:
    case QMetaType::QChar:
        type = FieldType::String;
        return true;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
        type = FieldType::DateTime;
        return true;
    case QMetaType::Bool:
        type = FieldType::Boolean;
        return true;
    case QMetaType::QByteArray:
        type = FieldType::Blob;
        return true;
    default:
        return false;
    }
}

} // namespace

void DtmGnLibre::ReConsultar(SClientDataSet* ds, const QVariantList& values)
{
    Parametrizar(ds, values);
    ds->open();
}

void DtmGnLibre::Parametrizar(SClientDataSet* ds, const QVariantList& values)
{
    if (!ds)
        throw tavrel::ModuleError(QStringLiteral("ReConsultar recibió un conjunto de datos nulo"));
    if (values.size() > ds->paramCount()) {
        throw tavrel::ModuleError(
            QStringLiteral("ReConsultar: '%1' tiene %2 parámetros y se dieron %3 valores")
                .arg(ds->objectName())
                .arg(ds->paramCount())
                .arg(values.size()));
    }
    ds->close();
    for (int i = 0; i < values.size(); ++i) {
        tavrel::Param& p = ds->param(i);
        const QVariant& value = values[i];
        FieldType type;
        // A marker's parameter is a String until someone declares its type; only such a
        // parameter takes the value's type, a declared one (a SmallInt) keeps its own.
        if (p.type == FieldType::String && !tavrel::isNull(value) && typeOfValue(value, type))
            p.type = type;
        p.value = tavrel::isNull(value) ? QVariant() : value;
    }
}
