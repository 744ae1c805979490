#include "ActualizacionCausado.h"

#include "CausedValueStatements.h"
#include "ModuleError.h"

#include <QRegularExpression>

#include <algorithm>

using tavrel::ModuleError;
using Sentencias = tavrel::CausedValueStatements;
using Textos = Sentencias::Texts;

namespace {

const QString kErrorActualizando = QStringLiteral("Error actualizando nm_rpcos.. ");

[[noreturn]] void errorConversion(const QString& mensaje)
{
    throw ModuleError(mensaje, ModuleError::Kind::Conversion);
}

void verificar(const QVariant& respuesta, const QString& error)
{
    if (respuesta.toInt() == 1 && respuesta.canConvert<int>())
        throw ModuleError(kErrorActualizando + error, ModuleError::Kind::Server);
}

} // namespace

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
    const std::optional<Textos> textos = Sentencias::textsFor(fecRpco);
    if (!textos)
        errorConversion(Sentencias::notAnInteger(fecRpco));
    QString error;

    if (*textos != Textos::Year) {
        const QVariant fecProc =
            servidor.fechaContable(Sentencias::accountingDateQuery(*textos), horaCliente,
                                   *textos == Textos::NonPositiveSetting);
        const QDateTime fechaContable =
            fecProc.isNull() || !fecProc.isValid() ? horaCliente : fecProc.toDateTime();
        QVariantList arreglo{Sentencias::dateUpdate(*textos, usuario), fechaContable, horaServidor};
        verificar(servidor.ejecutarSQL(arreglo, error), error);
        return;
    }

    const QDateTime inicio = convertirFecha(QStringLiteral("01/01/") + fecRpco, formatoFechaCorta);
    const QDateTime fin = convertirFecha(QStringLiteral("31/12/") + fecRpco, formatoFechaCorta);
    QVariantList arreglo{Sentencias::yearUpdate(Sentencias::sumsTransactions(digiDian), usuario),
                         inicio, fin, horaServidor};
    verificar(servidor.ejecutarSQL(arreglo, error), error);

    QVariantList arregloLimpieza{Sentencias::cleanUp()};
    error.clear();
    verificar(servidor.ejecutarSQL(arregloLimpieza, error), error);
}
