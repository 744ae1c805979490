#include "StatementPolicy.h"

#include "ModuleError.h"

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

} // namespace

void StatementPolicy::check(const QString& sql, const QString& sessionUser)
{
    static const QRegularExpression audit(QStringLiteral(",ACT_USUA = '((?:[^']|'')*)' ,"));
    QString text = normalised(sql);
    const QRegularExpressionMatch user = audit.match(text);
    bool ownUser = true;
    if (user.hasMatch()) {
        const QString written = user.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
        ownUser = written.compare(sessionUser, Qt::CaseInsensitive) == 0;
        text.replace(user.capturedStart(1), user.capturedLength(1), UserMark);
    }
    if (ownUser && allowedShapes().contains(text))
        return;
    throw ModuleError(QStringLiteral("El servidor de aplicaciones no ejecuta por la red esta "
                                     "sentencia: «%1»")
                          .arg(normalised(sql).left(120)));
}

} // namespace tavrel
