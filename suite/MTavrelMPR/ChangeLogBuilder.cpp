#include "ChangeLogBuilder.h"

#include "FieldType.h"

#include <QLocale>

namespace tavrel {

namespace {

QString operationCode(DeltaRow::Kind kind)
{
    switch (kind) {
    case DeltaRow::Kind::Insert:
        return QStringLiteral("I");
    case DeltaRow::Kind::Modify:
        return QStringLiteral("M");
    case DeltaRow::Kind::Delete:
        return QStringLiteral("D");
    }
    return QString();
}

DeltaRow entry(const ChangeLogBuilder::Context& context, DeltaRow::Kind kind, const QVariant& field,
               const QVariant& oldValue, const QVariant& newValue)
{
    DeltaRow row;
    row.kind = DeltaRow::Kind::Insert;
    row.values = {
        {QStringLiteral("COD_EMPR"), context.company},
        {QStringLiteral("COD_USUA"), context.user.isEmpty() ? QVariant() : QVariant(context.user)},
        {QStringLiteral("FEC_CAMB"), context.time},
        {QStringLiteral("TAB_CAMB"), context.table},
        {QStringLiteral("CAM_CAMB"), field},
        {QStringLiteral("VAL_ANTE"), ChangeLogBuilder::valueText(oldValue)},
        {QStringLiteral("VAL_NUEV"), ChangeLogBuilder::valueText(newValue)},
        {QStringLiteral("OPE_CAMB"), operationCode(kind)}};
    return row;
}

} // namespace

QVariant ChangeLogBuilder::valueText(const QVariant& value)
{
    if (isNull(value))
        return QVariant();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QDateTime:
        return value.toDateTime().toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"));
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("S") : QStringLiteral("N");
    case QMetaType::QByteArray:
        return QString::fromLatin1(value.toByteArray().toBase64());
    default:
        return value.toString();
    }
}

Delta ChangeLogBuilder::entries(const Delta& applied, const Context& context)
{
    Delta log;
    for (const DeltaRow& row : applied.rows) {
        const int before = int(log.rows.size());
        switch (row.kind) {
        case DeltaRow::Kind::Insert:
            for (auto it = row.values.cbegin(); it != row.values.cend(); ++it) {
                if (!isNull(it.value()))
                    log.rows.append(entry(context, row.kind, it.key(), QVariant(), it.value()));
            }
            break;
        case DeltaRow::Kind::Modify:
            for (auto it = row.values.cbegin(); it != row.values.cend(); ++it) {
                const QVariant old = row.original.value(it.key());
                if (valueText(old) != valueText(it.value()))
                    log.rows.append(entry(context, row.kind, it.key(), old, it.value()));
            }
            break;
        case DeltaRow::Kind::Delete:
            for (auto it = row.original.cbegin(); it != row.original.cend(); ++it) {
                if (!isNull(it.value()))
                    log.rows.append(entry(context, row.kind, it.key(), it.value(), QVariant()));
            }
            break;
        }
        if (log.rows.size() == before)
            log.rows.append(entry(context, row.kind, QVariant(), QVariant(), QVariant()));
    }
    return log;
}

} // namespace tavrel
