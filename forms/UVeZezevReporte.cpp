// The print actions of the maintenance window.
#include "UVeZezev.h"

void TFrmVeZezev::BtnReporteClick(QObject*) {}
