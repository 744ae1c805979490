#include "DVeZezev.h"

QPointer<TDtmVeZezev> DtmVeZezev;

TDtmVeZezev::TDtmVeZezev(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DtmVeZezev"));
}
