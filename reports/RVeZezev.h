#pragma once

#include "UREPORQ2.h"

#include <QPointer>

#include <functional>

// The legacy banded report form of the relation: the master template with the relation
// block in its detail band and without the audit column titles. Its data texts read the
// data module's relation dataset ("QryVeZEZev"); the module never prints it.
class TRptVeZezev : public TRptReporteMaestro
{
    Q_OBJECT

public:
    explicit TRptVeZezev(QWidget* parent = nullptr);

    // Where the detail band reads the data module's gStCamRela, the code column of the
    // configured related-field kind. Until set it reads an empty column.
    void setLeerCamRela(std::function<QString()> leer);

    // Before each column header: the band is never printed.
    Q_INVOKABLE void ColumnHeaderBand1BeforePrint(bool& PrintBand);
    // Before each detail band: QRLCamRela gets the caption of the related field; the
    // band always prints.
    Q_INVOKABLE void DetailBand1BeforePrint(bool& PrintBand);

private:
    void ModificarEncabezado();
    void CrearBloqueRelacion();

    std::function<QString()> m_leerCamRela;
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TRptVeZezev> RptVeZEZev;
