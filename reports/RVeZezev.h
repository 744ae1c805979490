#pragma once

#include "UREPORQ2.h"

#include <QPointer>

// The legacy banded report form of the relation: the master template with the relation
// block in its detail band and without the audit column titles. Its data texts read the
// data module's relation dataset ("QryVeZEZev"); the module never prints it.
class TRptVeZezev : public TRptReporteMaestro
{
    Q_OBJECT

public:
    explicit TRptVeZezev(QWidget* parent = nullptr);

    // Before each column header: the band is never printed.
    Q_INVOKABLE void ColumnHeaderBand1BeforePrint(bool& PrintBand);
    // Before each detail band: QRLCamRela gets the caption of the related field, by the
    // data module's gStCamRela (empty without a data module); the band always prints.
    Q_INVOKABLE void DetailBand1BeforePrint(bool& PrintBand);

private:
    void ModificarEncabezado();
    void CrearBloqueRelacion();
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TRptVeZezev> RptVeZEZev;
