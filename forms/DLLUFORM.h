#pragma once

#include <QDialog>
#include <QPointer>

// The generic modal dialog in which a row of a free query is searched and chosen.
class TCaptura : public QDialog
{
    Q_OBJECT

public:
    explicit TCaptura(QWidget* parent = nullptr);
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TCaptura> Captura;
