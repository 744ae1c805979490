#include "StatementPolicy.h"

#include "CausedValueStatements.h"
#include "ModuleError.h"
#include "SchemaCatalog.h"
#include "SqlText.h"

namespace tavrel {

namespace {

[[noreturn]] void refuse(const QString& sql)
{
    throw ModuleError(QStringLiteral("El servidor de aplicaciones no ejecuta por la red esta "
                                     "sentencia: «%1»")
                          .arg(CausedValueStatements::normalised(sql).left(120)));
}

// The user as the audit column keeps it (cut to its size), as a literal.
QString quotedUser(const QString& user)
{
    const std::optional<ColumnDef> column =
        SchemaCatalog::instance().column(QStringLiteral("ACT_USUA"));
    const QString kept = column && column->size > 0 ? user.left(column->size) : user;
    return QString(kept).replace(QStringLiteral("'"), QStringLiteral("''"));
}

// The value of one marker of the shapes, all of them date-times.
QVariant dateTimeValue(const QString& marker, const QVariant& value)
{
    if (value.typeId() == QMetaType::QDateTime && value.toDateTime().isValid())
        return value;
    if (value.typeId() == QMetaType::QDate && value.toDate().isValid())
        return QDateTime(value.toDate(), QTime(0, 0));
    throw ModuleError(QStringLiteral("El servidor de aplicaciones no ejecuta por la red esta "
                                     "sentencia: el valor de %1 no es una fecha y hora")
                          .arg(marker));
}

} // namespace

QVariantList StatementPolicy::resolve(const QVariantList& statement, const QString& sessionUser,
                                      const std::function<QDateTime()>& serverTime)
{
    const QString sql = statement.value(0).toString();
    const std::optional<CausedValueStatements::Recognised> recognised =
        CausedValueStatements::recognise(sql);
    if (!recognised || (recognised->kind == CausedValueStatements::Recognised::Kind::Update &&
                        recognised->user.compare(sessionUser, Qt::CaseInsensitive) != 0))
        refuse(sql);
    const QString own = QString(recognised->shape)
                            .replace(CausedValueStatements::userMark(), quotedUser(sessionUser));
    const QStringList markers = SqlText::parseMarkers(own).distinct;
    const QVariantList values = statement.mid(1);
    if (values.size() != markers.size())
        throw ModuleError(QStringLiteral("El servidor de aplicaciones no ejecuta por la red esta "
                                         "sentencia: espera %1 valores y recibió %2")
                              .arg(markers.size())
                              .arg(values.size()));
    QVariantList result{own};
    for (qsizetype i = 0; i < markers.size(); ++i) {
        const QVariant value = dateTimeValue(markers[i], values[i]);
        result.append(
            markers[i].compare(CausedValueStatements::serverTimeMarker(), Qt::CaseInsensitive) == 0
                ? QVariant(serverTime())
                : value);
    }
    return result;
}

} // namespace tavrel
