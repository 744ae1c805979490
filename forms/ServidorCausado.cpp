#include "ServidorCausado.h"

#include "FieldType.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"

using tavrel::FieldType;
using tavrel::ModuleError;

namespace {

QDateTime fechaServidor(SDCOMConnection& conexion)
{
    QVariantList args;
    const QVariant respuesta = conexion.invoke(QStringLiteral("BuscarFechaServidor"), args);
    // coerce() throws the conversion error for a value that is no date-time; an empty
    // answer is not one either.
    const QVariant fecha = tavrel::coerce(respuesta, FieldType::DateTime);
    if (tavrel::isNull(fecha))
        throw ModuleError(
            QStringLiteral("El servidor no devolvió su fecha y hora: la respuesta está vacía"),
            ModuleError::Kind::Conversion);
    return fecha.toDateTime();
}

QString leerFecRpco(SClientDataSet& qryNmVarig)
{
    qryNmVarig.close();
    qryNmVarig.open();
    // Right after the open the current row is the first one.
    if (qryNmVarig.isEmpty())
        return QString();
    return qryNmVarig.fieldByName(QStringLiteral("VAL_VARI"))->asString();
}

QVariant fechaContable(SClientDataSet& qryTemporal, const QString& texto,
                       const QDateTime& pdtFecProc, bool cerrarSiempre)
{
    if (cerrarSiempre || qryTemporal.active())
        qryTemporal.close();
    qryTemporal.setCommandText(texto);
    tavrel::Param& parametro = qryTemporal.paramByName(QStringLiteral("PDTFECPROC"));
    parametro.type = FieldType::DateTime;
    parametro.value = pdtFecProc;
    qryTemporal.open();
    if (qryTemporal.isEmpty())
        return QVariant();
    const tavrel::Field* fecProc = qryTemporal.fieldByName(QStringLiteral("FEC_PROC"));
    return fecProc->isNull() ? QVariant() : QVariant(fecProc->asDateTime());
}

QVariant ejecutarSQL(SDCOMConnection& conexion, QVariantList& arreglo, QString& error)
{
    QVariantList args{QVariant(arreglo), QVariant(), QString()};
    const QVariant respuesta = conexion.invoke(QStringLiteral("EjecutarSQL"), args);
    error = args[2].toString();
    return respuesta;
}

} // namespace

ActualizacionCausado::Servidor ServidorCausado::puertos(SDCOMConnection& conexion,
                                                        SClientDataSet& qryNmVarig,
                                                        SClientDataSet& qryTemporal)
{
    ActualizacionCausado::Servidor s;
    s.fechaServidor = [&conexion, &qryNmVarig] {
        // The period setting is read right after the time: both travel together, each
        // answer (or error) taken where it was asked for before. A closed connection
        // fails at the time's call, as it always has.
        if (conexion.connected()) {
            qryNmVarig.close();
            conexion.prefetch({tavrel::BatchCall::invoke(QStringLiteral("BuscarFechaServidor"), {}),
                               qryNmVarig.openCall()});
        }
        return fechaServidor(conexion);
    };
    s.leerFecRpco = [&qryNmVarig] { return leerFecRpco(qryNmVarig); };
    s.fechaContable = [&qryTemporal](const QString& texto, const QDateTime& pdtFecProc,
                                     bool cerrarSiempre) {
        return fechaContable(qryTemporal, texto, pdtFecProc, cerrarSiempre);
    };
    s.ejecutarSQL = [&conexion](QVariantList& arreglo, QString& error) {
        return ejecutarSQL(conexion, arreglo, error);
    };
    return s;
}
