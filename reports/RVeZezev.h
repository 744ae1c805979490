#pragma once

#include <QPointer>
#include <QWidget>

// The legacy banded report form of the relation.
class TRptVeZezev : public QWidget
{
    Q_OBJECT

public:
    explicit TRptVeZezev(QWidget* parent = nullptr);
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TRptVeZezev> RptVeZEZev;
