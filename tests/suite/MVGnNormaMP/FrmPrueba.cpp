#include "FrmPrueba.h"

#include "DBEdit.h"
#include "DataSource.h"
#include "Field.h"
#include "ModuleApplication.h"
#include "SClientDataSet.h"
#include "SessionGlobals.h"
#include "TTavrelDBgrid.h"
#include "TVNotas.h"
#include "TVSDBQbe.h"

#include <QLabel>

using tavrel::DataSetState;
using tavrel::FieldType;

FrmPrueba::FrmPrueba(QWidget* parent) : TfrmFormaMaestro(parent)
{
    setObjectName(QStringLiteral("FrmPrueba"));
    setWindowTitle(
        QStringLiteral("GESTIÓN Y ADMÓN. DE REC. HUMANOS - Nómina - Relación de prueba"));
    resize(719, 551);

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
    QryRelacion->BeforePost = [](SClientDataSet& ds) {
        if (ds.state() == DataSetState::Insert)
            ds.fieldByName(QStringLiteral("COD_EMPR"))
                ->setValue(tavrel::ModuleApplication::instance()->tag());
    };

    DBGFrm->setColumns(
        {{QStringLiteral("COD_CONT"), QString(), 110, true, QColor(0xE9E9E9)},
         {QStringLiteral("COD_CUEN"), QString(), 120, true, QColor(0xE9E9E9)},
         {QStringLiteral("DEP_APAC"), QString(), 220, false, QColor()},
         {QStringLiteral("VAL_TOTA"), QStringLiteral("Valor Total"), 120, false, QColor()}});

    const auto label = [this](const QString& text, int left, int top) {
        auto* l = new QLabel(text, panel());
        l->move(left, top);
        l->adjustSize();
        return l;
    };
    const auto edit = [this](const char* field, int left, int top, int width) {
        auto* e = new tavrel::DBEdit(panel());
        e->setDataSource(dtsFrm);
        e->setDataField(QLatin1String(field));
        e->setGeometry(left, top, width, 22);
        return e;
    };
    label(QStringLiteral("Contabilización"), 78, 17);
    DBEdtCodCont = edit("COD_CONT", 78, 33, 89);
    label(QStringLiteral("Cuenta Contable"), 78, 60);
    DBEdtCodCuen = edit("COD_CUEN", 78, 76, 193);
    label(QStringLiteral("Dependencia de Afectación de PAC"), 78, 106);
    DBEdtDepAPac = edit("DEP_APAC", 78, 122, 267);
    label(QStringLiteral("Valor Total"), 360, 106);
    DBEdtValTota = edit("VAL_TOTA", 360, 122, 121);
}

void FrmPrueba::FormCreate(QObject* Sender)
{
    log << QStringLiteral("FormCreate");
    dtsFrm->setDataSet(QryRelacion);
    if (throughQbe)
        DBQbe1->SetDataset(QryRelacion);
    DBQbe1->setSQLUpperCase(true);
    NotasTavrel->setTituloForma(QStringLiteral("Relación de prueba"));
    NotasTavrel->setForma(QStringLiteral("FrmPrueba"));
    NotasTavrel->setCampo(QStringLiteral("COD_CONT"));
    TfrmFormaMaestro::FormCreate(Sender);
}

void FrmPrueba::cmbEmpresaChange(QObject* Sender)
{
    TfrmFormaMaestro::cmbEmpresaChange(Sender);
    log << QStringLiteral("empresa ") + gStCodiEmpr;
}
