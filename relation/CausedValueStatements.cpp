#include "CausedValueStatements.h"

#include <QRegularExpression>

namespace tavrel {

namespace {

std::optional<int> integer(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^ *[+-]?[0-9]+$"));
    if (!form.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The shapes of the recognised statements, normalised, the user replaced by its mark.
const QStringList& shapes()
{
    using S = CausedValueStatements;
    static const QStringList list = [] {
        QStringList all;
        for (const QString& text :
             {S::dateUpdate(S::Texts::EmptySetting, S::userMark()),
              S::dateUpdate(S::Texts::NonPositiveSetting, S::userMark()),
              S::yearUpdate(false, S::userMark()), S::yearUpdate(true, S::userMark())}) {
            if (!all.contains(S::normalised(text)))
                all.append(S::normalised(text));
        }
        return all;
    }();
    return list;
}

} // namespace

std::optional<CausedValueStatements::Texts> CausedValueStatements::textsFor(const QString& setting)
{
    if (setting.isEmpty())
        return Texts::EmptySetting;
    const std::optional<int> value = integer(setting);
    if (!value)
        return std::nullopt;
    return *value <= 0 ? Texts::NonPositiveSetting : Texts::Year;
}

QString CausedValueStatements::notAnInteger(const QString& setting)
{
    return QStringLiteral("'%1' no es un valor entero válido").arg(setting);
}

int CausedValueStatements::settingValue(const QString& setting)
{
    return integer(setting).value_or(0);
}

QStringList CausedValueStatements::settingQuery()
{
    return {QStringLiteral("SELECT VAL_VARI FROM NM_VARIG"),
            QStringLiteral("WHERE COD_VARI ='FEC_RPCO'")};
}

QString CausedValueStatements::accountingDateQuery(Texts texts)
{
    const bool empty = texts == Texts::EmptySetting;
    return QString(empty ? QStringLiteral("SELECT MAX(FEC_PROC) FEC_PROC ")
                         : QStringLiteral(" SELECT MAX(FEC_PROC) FEC_PROC ")) +
           QStringLiteral(" FROM NM_NCMOV ") + QStringLiteral(" WHERE FEC_PROC <= :PDTFECPROC ");
}

QString CausedValueStatements::auditTail(const QString& user)
{
    QString literal = user;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral(" ,ACT_USUA = '") + literal + QStringLiteral("'") +
           QStringLiteral(" ,ACT_HORA = :pFechaSrv") + QStringLiteral(" ,ACT_ESTA = 'M'");
}

QString CausedValueStatements::dateUpdate(Texts texts, const QString& user)
{
    const bool empty = texts == Texts::EmptySetting;
    QString t;
    t += empty ? QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = ")
               : QStringLiteral(" UPDATE NM_Rpcos SET VAL_CAUS = ");
    t += empty ? QStringLiteral("( ") : QStringLiteral(" (");
    t += empty ? QStringLiteral("SELECT SUM(VAL_CAUC) FROM NM_NCMOV ")
               : QStringLiteral(" SELECT SUM(VAL_CAUC) FROM NM_NCMOV ");
    t += empty ? QStringLiteral("WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND ")
               : QStringLiteral(" WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND ");
    t += QStringLiteral("      NM_NCMOV.COD_CCOS = NM_Rpcos.COD_CCOS AND ");
    t += QStringLiteral("      NM_NCMOV.COD_CONT = NM_Rpcos.COD_CONT AND ");
    t += QStringLiteral("      NM_NCMOV.COD_CUEN = NM_Rpcos.COD_CUEN AND ");
    t += QStringLiteral("      NM_NCMOV.FEC_PROC = :pFechaCont");
    t += QStringLiteral("      AND NM_NCMOV.NAT_TRAN = 'D' ");
    t += empty ? QStringLiteral(") ") : QStringLiteral(" ) ");
    return t + auditTail(user);
}

namespace {

// The sum of the yearly path, without SELECT.
QString yearSum(bool sumTransactions)
{
    return QStringLiteral("SUM(%1) ").arg(CausedValueStatements::summedColumn(sumTransactions));
}

// The yearly path's movements of a relation row, from the WHERE on: its keys, its period
// and its nature.
QString yearMovements()
{
    QString t;
    t += QStringLiteral(" WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND ");
    t += QStringLiteral(" NM_NCMOV.COD_CCOS = NM_Rpcos.COD_CCOS AND ");
    t += QStringLiteral(" NM_NCMOV.COD_CONT = NM_Rpcos.COD_CONT AND ");
    t += QStringLiteral(" NM_NCMOV.COD_CUEN = NM_Rpcos.COD_CUEN AND ");
    t += QStringLiteral(" NM_NCMOV.FEC_PROC BETWEEN :pFechaInic AND :pFechaFin");
    t += QStringLiteral(" AND NM_NCMOV.NAT_TRAN = 'D' ");
    return t;
}

} // namespace

QString CausedValueStatements::summedColumn(bool sumTransactions)
{
    return sumTransactions ? QStringLiteral("VAL_TRAN") : QStringLiteral("VAL_CAUC");
}

QString CausedValueStatements::yearUpdate(bool sumTransactions, const QString& user)
{
    QString t;
    t += QStringLiteral(" UPDATE NM_RPCOS SET VAL_CAUS =");
    t += QStringLiteral(" ( ");
    t += QStringLiteral(" SELECT ") + yearSum(sumTransactions);
    t += QStringLiteral(" FROM NM_NCMOV ");
    t += yearMovements();
    t += QStringLiteral(" ) ");
    return t + auditTail(user);
}

QString CausedValueStatements::monthlyYearSums(bool sumTransactions,
                                               const QString& monthOfProcessing)
{
    const QString keys = QStringLiteral(
        "NM_Rpcos.COD_EMPR, NM_Rpcos.COD_CONT, NM_Rpcos.COD_CUEN, NM_Rpcos.COD_CCOS");
    return QStringLiteral("SELECT ") + keys + QStringLiteral(", ") + monthOfProcessing +
           QStringLiteral(" MES, ") + yearSum(sumTransactions) +
           QStringLiteral("VALOR FROM NM_Rpcos, NM_NCMOV ") + yearMovements() +
           QStringLiteral(" AND NM_Rpcos.COD_EMPR = :pEmpresa GROUP BY ") + keys +
           QStringLiteral(", ") + monthOfProcessing;
}

QString CausedValueStatements::cleanUp()
{
    return QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = 0 WHERE VAL_CAUS IS NULL ");
}

QString CausedValueStatements::normalised(const QString& sql)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString(sql).replace(blanks, QStringLiteral(" ")).trimmed();
}

std::optional<CausedValueStatements::Recognised>
CausedValueStatements::recognise(const QString& sql)
{
    QString text = normalised(sql);
    if (text == normalised(cleanUp()))
        return Recognised{Recognised::Kind::CleanUp, QString(), text};
    static const QRegularExpression audit(QStringLiteral(",ACT_USUA = '((?:[^']|'')*)' ,"));
    const QRegularExpressionMatch user = audit.match(text);
    if (!user.hasMatch())
        return std::nullopt;
    Recognised found;
    found.user = user.captured(1).replace(QStringLiteral("''"), QStringLiteral("'"));
    text.replace(user.capturedStart(1), user.capturedLength(1), userMark());
    if (!shapes().contains(text))
        return std::nullopt;
    found.shape = text;
    return found;
}

} // namespace tavrel
