#include "DLLUFORM.h"

QPointer<TCaptura> Captura;

TCaptura::TCaptura(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Captura"));
    setModal(true);
}
