#pragma once

#include "TfrmFormaMaestro.h"

#include <QStringList>

class SClientDataSet;

// A small maintenance window over NM_RPCOS, derived from the master form the way the
// module's windows are: it sets the dataset of dtsFrm and the grid columns, and replaces
// FormCreate and cmbEmpresaChange calling the framework's (last and first). `log` records
// the order of the handlers. Like the module's window it opens its dataset through the
// query-by-example DBQbe1, unless `throughQbe` is cleared before FormCreate.
class FrmPrueba : public TfrmFormaMaestro
{
    Q_OBJECT

public:
    explicit FrmPrueba(QWidget* parent = nullptr);

    void FormCreate(QObject* Sender = nullptr) override;
    void cmbEmpresaChange(QObject* Sender = nullptr) override;

    SClientDataSet* QryRelacion = nullptr;
    QStringList log;
    bool throughQbe = true;
};
