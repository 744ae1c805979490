#include "RVeZezev.h"

QPointer<TRptVeZezev> RptVeZEZev;

TRptVeZezev::TRptVeZezev(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("RptVeZEZev"));
}
