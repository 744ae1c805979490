#pragma once

#include <QPointer>
#include <QWidget>

// The maintenance window of the relation, whose window handle the load entry hands
// to the host.
class TFrmVeZezev : public QWidget
{
    Q_OBJECT

public:
    explicit TFrmVeZezev(QWidget* parent = nullptr);

    // Resizing inside the host: a new height, or a new width and height.
    Q_INVOKABLE void CambiarAltura(int alto);
    Q_INVOKABLE void CambiarTamano(int ancho, int alto);
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TFrmVeZezev> FrmVeZezev;
