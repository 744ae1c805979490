#include "StatementPolicy.h"

#include "ModuleError.h"
#include "SchemaCatalog.h"
#include "SqlText.h"

#include <QRegularExpression>
#include <QStringList>

namespace tavrel {

namespace {

QString normalised(const QString& sql)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString(sql).replace(blanks, QStringLiteral(" ")).trimmed();
}

// Where the audit user goes in the shapes below.
const QString UserMark = QStringLiteral("<USUARIO>");
// The marker of the time written into ACT_HORA: the server's, not the desk's.
const QString ServerTimeMarker = QStringLiteral("pFechaSrv");

QString causedUpdate(const char* sum, const char* period, const char* table)
{
    return normalised(
        QStringLiteral("UPDATE %1 SET VAL_CAUS = ( SELECT SUM(%2) FROM NM_NCMOV "
                       "WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND "
                       "NM_NCMOV.COD_CCOS = NM_Rpcos.COD_CCOS AND "
                       "NM_NCMOV.COD_CONT = NM_Rpcos.COD_CONT AND "
                       "NM_NCMOV.COD_CUEN = NM_Rpcos.COD_CUEN AND %3 "
                       "AND NM_NCMOV.NAT_TRAN = 'D' ) ,ACT_USUA = '%4' "
                       ",ACT_HORA = :pFechaSrv ,ACT_ESTA = 'M'")
            .arg(QLatin1String(table), QLatin1String(sum), QLatin1String(period), UserMark));
}

const QStringList& allowedShapes()
{
    static const QStringList shapes{
        normalised(QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = 0 WHERE VAL_CAUS IS NULL")),
        causedUpdate("VAL_CAUC", "NM_NCMOV.FEC_PROC = :pFechaCont", "NM_Rpcos"),
        causedUpdate("VAL_CAUC", "NM_NCMOV.FEC_PROC BETWEEN :pFechaInic AND :pFechaFin",
                     "NM_RPCOS"),
        causedUpdate("VAL_TRAN", "NM_NCMOV.FEC_PROC BETWEEN :pFechaInic AND :pFechaFin",
                     "NM_RPCOS"),
    };
    return shapes;
}

[[noreturn]] void refuse(const QString& sql)
{
    throw ModuleError(QStringLiteral("El servidor de aplicaciones no ejecuta por la red esta "
                                     "sentencia: «%1»")
                          .arg(normalised(sql).left(120)));
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
    static const QRegularExpression audit(QStringLiteral(",ACT_USUA = '((?:[^']|'')*)' ,"));
    const QString sql = statement.value(0).toString();
    QString text = normalised(sql);
    const QRegularExpressionMatch user = audit.match(text);
    if (user.hasMatch()) {
        const QString written = user.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
        if (written.compare(sessionUser, Qt::CaseInsensitive) != 0)
            refuse(sql);
        text.replace(user.capturedStart(1), user.capturedLength(1), UserMark);
    }
    const qsizetype shape = allowedShapes().indexOf(text);
    if (shape < 0)
        refuse(sql);
    const QString own =
        QString(allowedShapes().at(shape)).replace(UserMark, quotedUser(sessionUser));
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
        result.append(markers[i].compare(ServerTimeMarker, Qt::CaseInsensitive) == 0
                          ? QVariant(serverTime())
                          : value);
    }
    return result;
}

} // namespace tavrel
