#pragma once

#include "ActualizacionCausado.h"

class SClientDataSet;
class SDCOMConnection;

// What the caused-value run needs from the outside world, taken from the maintenance
// form's connection and two datasets of the data module:
//   - the server time: BuscarFechaServidor, read as a date-time;
//   - FEC_RPCO: QryNmVarig closed and opened again, VAL_VARI of its first row (asked
//     together with the server time, in one round trip);
//   - the accounting date: the given SELECT run through QryTemporal;
//   - EjecutarSQL with the statement array.
// The connection and the datasets must outlive the ports; the datasets must already
// have the connection as their remote server.
class ServidorCausado
{
public:
    static ActualizacionCausado::Servidor
    puertos(SDCOMConnection& conexion, SClientDataSet& qryNmVarig, SClientDataSet& qryTemporal);
};
