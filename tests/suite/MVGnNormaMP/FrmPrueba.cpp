#include "FrmPrueba.h"

#include "DataSource.h"
#include "Field.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TTavrelDBgrid.h"
#include "TVSDBQbe.h"

using namespace Qt::StringLiterals;
using tavrel::FieldType;

FrmPrueba::FrmPrueba(QWidget* parent) : TfrmFormaMaestro(parent)
{
    setObjectName(u"FrmPrueba"_s);

    QryRelacion = new SClientDataSet(this);
    QryRelacion->setObjectName(u"QryRelacion"_s);
    QryRelacion->setProviderName(u"DtsPVeZEZev"_s);
    QryRelacion->setSMainTable(u"NM_RPCOS"_s);
    QryRelacion->setRemoteServer(DCOMCnction);
    QryRelacion->setSQL({u"SELECT * FROM NM_RPCOS"_s});
    QryRelacion->addField(u"COD_EMPR"_s, FieldType::SmallInt);
    QryRelacion->addField(u"COD_CONT"_s, FieldType::SmallInt)
        ->setDisplayLabel(u"Contabilización"_s);
    QryRelacion->addField(u"COD_CUEN"_s, FieldType::FixedChar, 30)
        ->setDisplayLabel(u"Cuenta Contable"_s);
    QryRelacion->addField(u"DEP_APAC"_s, FieldType::FixedChar, 30)
        ->setDisplayLabel(u"Dependencia de Afectación de PAC"_s);
    QryRelacion->addField(u"VAL_TOTA"_s, FieldType::Float)->setDisplayFormat(u"#,##.00"_s);
    DBGFrm->setColumns({{u"COD_CONT"_s, QString(), 110, true, QColor(0xE9E9E9)},
                        {u"COD_CUEN"_s, QString(), 120, true, QColor(0xE9E9E9)},
                        {u"DEP_APAC"_s, QString(), 220, false, QColor()},
                        {u"VAL_TOTA"_s, u"Valor Total"_s, 120, false, QColor()}});
}

void FrmPrueba::FormCreate(QObject* Sender)
{
    log << u"FormCreate"_s;
    dtsFrm->setDataSet(QryRelacion);
    if (throughQbe)
        DBQbe1->SetDataset(QryRelacion);
    DBQbe1->setSQLUpperCase(true);
    TfrmFormaMaestro::FormCreate(Sender);
}

void FrmPrueba::cmbEmpresaChange(QObject* Sender)
{
    TfrmFormaMaestro::cmbEmpresaChange(Sender);
    log << u"empresa "_s + gStCodiEmpr;
}
