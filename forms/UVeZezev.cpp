#include "UVeZezev.h"

#include "SessionGlobals.h"

QPointer<TFrmVeZezev> FrmVeZezev;

TFrmVeZezev::TFrmVeZezev(QWidget* parent) : TfrmFormaMaestro(parent)
{
    setObjectName(QStringLiteral("FrmVeZezev"));
    setWindowTitle(QStringLiteral("Relación Rubros SIIF2"));
}

TFrmVeZezev::~TFrmVeZezev() = default;

void TFrmVeZezev::FormCreate(QObject* Sender)
{
    TfrmFormaMaestro::FormCreate(Sender);
}

void TFrmVeZezev::dtsFrmStateChange(QObject*) {}

void TFrmVeZezev::cmbEmpresaChange(QObject* Sender)
{
    TfrmFormaMaestro::cmbEmpresaChange(Sender);
}

QString TFrmVeZezev::NomProg() const
{
    return gStNombProg;
}

QString TFrmVeZezev::CodiUsua() const
{
    return gStCodiUsua;
}
