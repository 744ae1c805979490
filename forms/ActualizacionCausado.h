#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>

// Recomputes the caused value (VAL_CAUS) of every relation row from the debit movements
// of payroll accounting, on the server, and stamps user, server time and the "M" mark.
//
// The algorithm is kept apart from the window: the form gives it the four things it
// needs from the outside world as functions, and tests give it fakes.
class ActualizacionCausado
{
public:
    enum class Ruta
    {
        FechaVacia,      // FEC_RPCO empty or missing: latest accounting date
        FechaNoPositiva, // FEC_RPCO 0 or less: latest accounting date, second set of texts
        Anual,           // FEC_RPCO a year: the whole year
    };

    struct Servidor
    {
        // BuscarFechaServidor, read as a date-time.
        std::function<QDateTime()> fechaServidor;
        // Closes and reopens the FEC_RPCO query; VAL_VARI of the first row, or an
        // empty text when there is no row.
        std::function<QString()> leerFecRpco;
        // Runs the accounting-date query with PDTFECPROC; returns FEC_PROC of its row
        // (null when there is no movement). cerrarSiempre: close the scratch query
        // even when it is not open (the non-positive path does).
        std::function<QVariant(const QString& texto, const QDateTime& pdtFecProc,
                               bool cerrarSiempre)>
            fechaContable;
        // EjecutarSQL with the statement array; returns the server's answer and fills
        // the server error text.
        std::function<QVariant(QVariantList& arreglo, QString& error)> ejecutarSQL;
    };

    // Reads the path from the FEC_RPCO text. Throws the conversion error for a text
    // that is not an integer.
    static Ruta elegirRuta(const QString& fecRpco);

    static QString consultaFechaContable(Ruta ruta);
    static QString actualizacionPorFecha(Ruta ruta, const QString& usuario);
    static QString actualizacionAnual(bool sumarValTran, const QString& usuario);
    static QString limpieza();
    static QString colaAuditoria(const QString& usuario);

    // Midnight of 1 January and of 31 December of the year, read through the short date
    // format (day-first formats only convert). Throws the conversion error otherwise.
    static QDateTime convertirFecha(const QString& texto, const QString& formatoFechaCorta);

    // One run. Throws ModuleError on failure; nothing is sent before the conversions
    // have succeeded.
    static void ejecutar(const Servidor& servidor, const QDateTime& horaCliente,
                         const QString& usuario, const QString& digiDian,
                         const QString& formatoFechaCorta);
};
