#include "FrmPrueba.h"

#include "DataSource.h"
#include "Field.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TTavrelDBgrid.h"
#include "TVSDBQbe.h"

using tavrel::FieldType;

FrmPrueba::FrmPrueba(QWidget* parent) : TfrmFormaMaestro(parent)
{
    setObjectName(QStringLiteral("FrmPrueba"));

    QryRelacion = new SClientDataSet(this);
    QryRelacion->setObjectName(QStringLiteral("QryRelacion"));
    QryRelacion->setProviderName(QStringLiteral("DtsPVeZEZev"));
    QryRelacion->setSMainTable(QStringLiteral("NM_RPCOS"));
    QryRelacion->setRemoteServer(DCOMCnction);
    QryRelacion->setSQL({QStringLiteral("SELECT * FROM NM_RPCOS")});
    QryRelacion->addField(QStringLiteral("COD_EMPR"), FieldType::SmallInt);
    QryRelacion->addField(QStringLiteral("COD_CONT"), FieldType::SmallInt)
        ->setDisplayLabel(QStringLiteral("Contabilización"));
    QryRelacion->addField(QStringLiteral("COD_CUEN"), FieldType::FixedChar, 30)
        ->setDisplayLabel(QStringLiteral("Cuenta Contable"));
    QryRelacion->addField(QStringLiteral("DEP_APAC"), FieldType::FixedChar, 30)
        ->setDisplayLabel(QStringLiteral("Dependencia de Afectación de PAC"));
    QryRelacion->addField(QStringLiteral("VAL_TOTA"), FieldType::Float)
        ->setDisplayFormat(QStringLiteral("#,##.00"));
    DBGFrm->setColumns(
        {{QStringLiteral("COD_CONT"), QString(), 110, true, QColor(0xE9E9E9)},
         {QStringLiteral("COD_CUEN"), QString(), 120, true, QColor(0xE9E9E9)},
         {QStringLiteral("DEP_APAC"), QString(), 220, false, QColor()},
         {QStringLiteral("VAL_TOTA"), QStringLiteral("Valor Total"), 120, false, QColor()}});
}

void FrmPrueba::FormCreate(QObject* Sender)
{
    log << QStringLiteral("FormCreate");
    dtsFrm->setDataSet(QryRelacion);
    if (throughQbe)
        DBQbe1->SetDataset(QryRelacion);
    DBQbe1->setSQLUpperCase(true);
    TfrmFormaMaestro::FormCreate(Sender);
}

void FrmPrueba::cmbEmpresaChange(QObject* Sender)
{
    TfrmFormaMaestro::cmbEmpresaChange(Sender);
    log << QStringLiteral("empresa ") + gStCodiEmpr;
}
