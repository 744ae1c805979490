#include "UVeZezev.h"

QPointer<TFrmVeZezev> FrmVeZezev;

TFrmVeZezev::TFrmVeZezev(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("FrmVeZezev"));
    setWindowTitle(QStringLiteral("Relación Rubros SIIF2"));
    resize(780, 520);
}

void TFrmVeZezev::CambiarAltura(int alto)
{
    resize(width(), alto);
}

void TFrmVeZezev::CambiarTamano(int ancho, int alto)
{
    resize(ancho, alto);
}
