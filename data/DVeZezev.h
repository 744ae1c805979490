#pragma once

#include <QObject>
#include <QPointer>

// The module's data module: the relation dataset and its small queries.
class TDtmVeZezev : public QObject
{
    Q_OBJECT

public:
    explicit TDtmVeZezev(QObject* parent = nullptr);
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TDtmVeZezev> DtmVeZezev;
