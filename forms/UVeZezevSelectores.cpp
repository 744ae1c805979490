// The code pickers of the maintenance window.
#include "UVeZezev.h"

void TFrmVeZezev::VPFieldCodCuenClick(QObject*) {}

void TFrmVeZezev::VPFieldCodContClick(QObject*) {}

void TFrmVeZezev::VPFCamRelaClick(QObject*) {}

void TFrmVeZezev::DBEdtCodCuenEnter(QObject*) {}
