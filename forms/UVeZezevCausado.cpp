// The caused-value update of the maintenance window.
#include "UVeZezev.h"

void TFrmVeZezev::ActualizarCausado() {}
