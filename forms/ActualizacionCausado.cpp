#include "ActualizacionCausado.h"

#include "ModuleError.h"

#include <QRegularExpression>

#include <algorithm>

using tavrel::ModuleError;

namespace {

const QString kErrorActualizando = QStringLiteral("Error actualizando nm_rpcos.. ");

[[noreturn]] void errorConversion(const QString& mensaje)
{
    throw ModuleError(mensaje, ModuleError::Kind::Conversion);
}

// Integer reading as the runtime does it: leading blanks allowed, then an optional
// sign and decimal digits, nothing after them.
int leerEntero(const QString& texto)
{
    static const QRegularExpression forma(QStringLiteral("^ *[+-]?[0-9]+$"));
    bool ok = forma.match(texto).hasMatch();
    const int n = ok ? texto.trimmed().toInt(&ok) : 0;
    if (!ok)
        errorConversion(QStringLiteral("'%1' no es un valor entero válido").arg(texto));
    return n;
}

void verificar(const QVariant& respuesta, const QString& error)
{
    if (respuesta.toInt() == 1 && respuesta.canConvert<int>())
        throw ModuleError(kErrorActualizando + error, ModuleError::Kind::Server);
}

} // namespace

ActualizacionCausado::Ruta ActualizacionCausado::elegirRuta(const QString& fecRpco)
{
    if (fecRpco.isEmpty())
        return Ruta::FechaVacia;
    return leerEntero(fecRpco) <= 0 ? Ruta::FechaNoPositiva : Ruta::Anual;
}

QString ActualizacionCausado::consultaFechaContable(Ruta ruta)
{
    const bool vacia = ruta == Ruta::FechaVacia;
    return QString(vacia ? QStringLiteral("SELECT MAX(FEC_PROC) FEC_PROC ")
                         : QStringLiteral(" SELECT MAX(FEC_PROC) FEC_PROC ")) +
           QStringLiteral(" FROM NM_NCMOV ") + QStringLiteral(" WHERE FEC_PROC <= :PDTFECPROC ");
}

QString ActualizacionCausado::colaAuditoria(const QString& usuario)
{
    QString literal = usuario;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral(" ,ACT_USUA = '") + literal + QStringLiteral("'") +
           QStringLiteral(" ,ACT_HORA = :pFechaSrv") + QStringLiteral(" ,ACT_ESTA = 'M'");
}

QString ActualizacionCausado::actualizacionPorFecha(Ruta ruta, const QString& usuario)
{
    const bool vacia = ruta == Ruta::FechaVacia;
    QString t;
    t += vacia ? QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = ")
               : QStringLiteral(" UPDATE NM_Rpcos SET VAL_CAUS = ");
    t += vacia ? QStringLiteral("( ") : QStringLiteral(" (");
    t += vacia ? QStringLiteral("SELECT SUM(VAL_CAUC) FROM NM_NCMOV ")
               : QStringLiteral(" SELECT SUM(VAL_CAUC) FROM NM_NCMOV ");
    t += vacia ? QStringLiteral("WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND ")
               : QStringLiteral(" WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND ");
    t += QStringLiteral("      NM_NCMOV.COD_CCOS = NM_Rpcos.COD_CCOS AND ");
    t += QStringLiteral("      NM_NCMOV.COD_CONT = NM_Rpcos.COD_CONT AND ");
    t += QStringLiteral("      NM_NCMOV.COD_CUEN = NM_Rpcos.COD_CUEN AND ");
    t += QStringLiteral("      NM_NCMOV.FEC_PROC = :pFechaCont");
    t += QStringLiteral("      AND NM_NCMOV.NAT_TRAN = 'D' ");
    t += vacia ? QStringLiteral(") ") : QStringLiteral(" ) ");
    return t + colaAuditoria(usuario);
}

QString ActualizacionCausado::actualizacionAnual(bool sumarValTran, const QString& usuario)
{
    QString t;
    t += QStringLiteral(" UPDATE NM_RPCOS SET VAL_CAUS =");
    t += QStringLiteral(" ( ");
    t += sumarValTran ? QStringLiteral(" SELECT SUM(VAL_TRAN) ")
                      : QStringLiteral(" SELECT SUM(VAL_CAUC) ");
    t += QStringLiteral(" FROM NM_NCMOV ");
    t += QStringLiteral(" WHERE NM_NCMOV.COD_EMPR = NM_Rpcos.COD_EMPR AND ");
    t += QStringLiteral(" NM_NCMOV.COD_CCOS = NM_Rpcos.COD_CCOS AND ");
    t += QStringLiteral(" NM_NCMOV.COD_CONT = NM_Rpcos.COD_CONT AND ");
    t += QStringLiteral(" NM_NCMOV.COD_CUEN = NM_Rpcos.COD_CUEN AND ");
    t += QStringLiteral(" NM_NCMOV.FEC_PROC BETWEEN :pFechaInic AND :pFechaFin");
    t += QStringLiteral(" AND NM_NCMOV.NAT_TRAN = 'D' ");
    t += QStringLiteral(" ) ");
    return t + colaAuditoria(usuario);
}

QString ActualizacionCausado::limpieza()
{
    return QStringLiteral("UPDATE NM_Rpcos SET VAL_CAUS = 0 WHERE VAL_CAUS IS NULL ");
}

QDateTime ActualizacionCausado::convertirFecha(const QString& texto, const QString& formato)
{
    // Order of day, month and year as the short date format gives them.
    const qsizetype d = formato.indexOf(QLatin1Char('d'), 0, Qt::CaseInsensitive);
    const qsizetype m = formato.indexOf(QLatin1Char('M'));
    const qsizetype y = formato.indexOf(QLatin1Char('y'), 0, Qt::CaseInsensitive);
    const QStringList partes = texto.split(QLatin1Char('/'));
    QDate fecha;
    if (d >= 0 && m >= 0 && y >= 0 && partes.size() == 3) {
        QList<std::pair<qsizetype, int*>> orden;
        int dia = 0, mes = 0, anio = 0;
        orden = {{d, &dia}, {m, &mes}, {y, &anio}};
        std::sort(orden.begin(), orden.end());
        // As the runtime reads dates, blanks before a number are skipped: a FEC_RPCO of
        // " 2013" passes the integer reading and gives the year 2013 here too.
        static const QRegularExpression digitos(QStringLiteral("^ *[0-9]{1,4}$"));
        bool ok = true;
        for (int i = 0; i < 3 && ok; ++i) {
            ok = digitos.match(partes[i]).hasMatch();
            *orden[i].second = partes[i].trimmed().toInt();
        }
        if (ok)
            fecha = QDate(anio, mes, dia);
    }
    if (!fecha.isValid())
        errorConversion(QStringLiteral("'%1' no es una fecha válida").arg(texto));
    return QDateTime(fecha, QTime(0, 0));
}

void ActualizacionCausado::ejecutar(const Servidor& servidor, const QDateTime& horaCliente,
                                    const QString& usuario, const QString& digiDian,
                                    const QString& formatoFechaCorta)
{
    const QDateTime horaServidor = servidor.fechaServidor();
    const QString fecRpco = servidor.leerFecRpco();
    const Ruta ruta = elegirRuta(fecRpco);
    QString error;

    if (ruta != Ruta::Anual) {
        const QVariant fecProc = servidor.fechaContable(consultaFechaContable(ruta), horaCliente,
                                                        ruta == Ruta::FechaNoPositiva);
        const QDateTime fechaContable =
            fecProc.isNull() || !fecProc.isValid() ? horaCliente : fecProc.toDateTime();
        QVariantList arreglo{actualizacionPorFecha(ruta, usuario), fechaContable, horaServidor};
        verificar(servidor.ejecutarSQL(arreglo, error), error);
        return;
    }

    const QDateTime inicio = convertirFecha(QStringLiteral("01/01/") + fecRpco, formatoFechaCorta);
    const QDateTime fin = convertirFecha(QStringLiteral("31/12/") + fecRpco, formatoFechaCorta);
    QVariantList arreglo{actualizacionAnual(digiDian == QLatin1String("S"), usuario), inicio, fin,
                         horaServidor};
    verificar(servidor.ejecutarSQL(arreglo, error), error);

    QVariantList arregloLimpieza{limpieza()};
    error.clear();
    verificar(servidor.ejecutarSQL(arregloLimpieza, error), error);
}
