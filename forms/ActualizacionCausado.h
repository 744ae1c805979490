#pragma once

#include <QDateTime>
#include <QString>
#include <QVariantList>
#include <functional>

// Recomputes the caused value (VAL_CAUS) of every relation row from the debit movements
// of payroll accounting, on the server, and stamps user, server time and the "M" mark.
//
// The algorithm is kept apart from the window: the form gives it the four things it
// needs from the outside world as functions, and tests give it fakes. The statement
// texts are the relation's own (CausedValueStatements), which the server recognises.
class ActualizacionCausado
{
public:
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

    // Midnight of 1 January and of 31 December of the year, read through the short date
    // format (day-first formats only convert). Throws the conversion error otherwise.
    static QDateTime convertirFecha(const QString& texto, const QString& formatoFechaCorta);

    // One run. Throws ModuleError on failure; nothing is sent before the conversions
    // have succeeded.
    static void ejecutar(const Servidor& servidor, const QDateTime& horaCliente,
                         const QString& usuario, const QString& digiDian,
                         const QString& formatoFechaCorta);
};
