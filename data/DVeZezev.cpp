#include "DVeZezev.h"

#include "CausedValueStatements.h"
#include "CountryFlags.h"
#include "DataSource.h"
#include "Field.h"
#include "RelationFieldChecks.h"
#include "SClientDataSet.h"

#include <QPrinter>

using tavrel::Field;
using tavrel::FieldKind;
using tavrel::FieldType;

QPointer<TDtmVeZezev> DtmVeZezev;

namespace {

SClientDataSet* servidor(QObject* owner, const char* nombre, const char* proveedor,
                         const QStringList& sql)
{
    auto* ds = new SClientDataSet(owner);
    ds->setObjectName(QLatin1String(nombre));
    ds->setProviderName(QLatin1String(proveedor));
    ds->setCompany(0);
    ds->setSAuditFields(true);
    if (!sql.isEmpty())
        ds->setSQL(sql);
    return ds;
}

void tipoParametro(SClientDataSet* ds, const char* nombre, FieldType tipo)
{
    ds->paramByName(QLatin1String(nombre)).type = tipo;
}

Field* campo(SClientDataSet* ds, const char* nombre, FieldType tipo, int ancho = 0,
             const QString& etiqueta = QString(), FieldKind clase = FieldKind::Data)
{
    Field* f = ds->addField(QLatin1String(nombre), tipo, ancho, clase);
    if (!etiqueta.isEmpty())
        f->setDisplayLabel(etiqueta);
    return f;
}

Field* busqueda(SClientDataSet* ds, const char* nombre, int ancho, const QString& etiqueta,
                const char* llave, SClientDataSet* lista, const char* resultado)
{
    Field* f = campo(ds, nombre, FieldType::String, ancho, etiqueta, FieldKind::Lookup);
    f->setKeyField(QLatin1String(llave));
    f->setLookupDataSet(lista);
    f->setLookupKeyField(QLatin1String(llave));
    f->setLookupResultField(QLatin1String(resultado));
    return f;
}

SClientDataSet* lista(QObject* owner, const char* nombre)
{
    auto* ds = new SClientDataSet(owner);
    ds->setObjectName(QLatin1String(nombre));
    return ds;
}

tavrel::DataSource* fuente(QObject* owner, const char* nombre, SClientDataSet* ds)
{
    auto* dts = new tavrel::DataSource(owner);
    dts->setObjectName(QLatin1String(nombre));
    dts->setDataSet(ds);
    return dts;
}

} // namespace

TDtmVeZezev::TDtmVeZezev(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("DtmVeZezev"));
    crearListas();
    crearRelacion();
    crearConsultas();
    conectarEventos();
    frxDBDVeZEZev.setDataSet(QryVeZEZev);
}

TDtmVeZezev::~TDtmVeZezev() = default;

// The budget code lists: active from creation with their structure and no rows.
void TDtmVeZezev::crearListas()
{
    CdsFueFina = lista(this, "CdsFueFina");
    campo(CdsFueFina, "COD_FUEN", FieldType::String, 2);
    campo(CdsFueFina, "NOM_FUEN", FieldType::String, 16);
    CdsFueFina->createDataSet();

    CdsRecPres = lista(this, "CdsRecPres");
    campo(CdsRecPres, "COD_PRES", FieldType::SmallInt);
    campo(CdsRecPres, "NOM_PRES", FieldType::String, 64)->setDisplayWidth(45);
    CdsRecPres->createDataSet();

    CdsSitFond = lista(this, "CdsSitFond");
    campo(CdsSitFond, "COD_SITU", FieldType::String, 2);
    campo(CdsSitFond, "NOM_SITU", FieldType::String, 8);
    CdsSitFond->createDataSet();

    DtsCdsFueFina = fuente(this, "DtsCdsFueFina", CdsFueFina);
    DtsCdsRecPres = fuente(this, "DtsCdsRecPres", CdsRecPres);
    DtsCdsSitFond = fuente(this, "DtsCdsSitFond", CdsSitFond);
}

// The relation NM_RPCOS: stored, lookup and calculated fields in the order in which
// grids, the report and index access see them.
void TDtmVeZezev::crearRelacion()
{
    QryVeZEZev =
        servidor(this, "QryVeZEZev", "DtsPVeZEZev", {QStringLiteral("SELECT * FROM NM_RPCOS")});
    QryVeZEZev->setSMainTable(QStringLiteral("NM_RPCOS"));

    const QString formatoValor = QStringLiteral("#,##.00");
    SClientDataSet* q = QryVeZEZev;
    campo(q, "ACT_USUA", FieldType::FixedChar, 8);
    campo(q, "ACT_HORA", FieldType::DateTime);
    campo(q, "ACT_ESTA", FieldType::FixedChar, 1);
    campo(q, "COD_EMPR", FieldType::SmallInt);
    campo(q, "COD_CCOS", FieldType::SmallInt, 0, QStringLiteral("Campo Relacionado"));
    campo(q, "COD_CONT", FieldType::SmallInt, 0, QStringLiteral("Contabilización"));
    campo(q, "COD_CUEN", FieldType::FixedChar, 30, QStringLiteral("Cuenta Contable"));
    campo(q, "COD_FUEN", FieldType::FixedChar, 2, QStringLiteral("Fuente Financiación"));
    campo(q, "COD_PRES", FieldType::SmallInt, 0, QStringLiteral("Recurso Presupuestal"));
    campo(q, "COD_SITU", FieldType::FixedChar, 2, QStringLiteral("Situación de Fondos"));
    campo(q, "DEP_APAC", FieldType::FixedChar, 30,
          QStringLiteral("Dependencia de Afectación de PAC"));
    campo(q, "VAL_TOTA", FieldType::Float, 0, QStringLiteral("Valor Total"))
        ->setDisplayFormat(formatoValor);
    campo(q, "VAL_CAUS", FieldType::Float, 0, QStringLiteral("Valor Causado"))
        ->setDisplayFormat(formatoValor);
    // The company list is the window's; EnlazarForma sets it.
    busqueda(q, "DtfNmbEmpresa", 20, QStringLiteral("Nombre Empresa"), "COD_EMPR", nullptr,
             "NOM_EMPR");
    campo(q, "DtfNmbCamRela", FieldType::String, 90, QStringLiteral("Nombre Campo Relacionado"),
          FieldKind::Calculated);
    campo(q, "DtfNmbCont", FieldType::String, 40, QStringLiteral("Descripción Contabilización"),
          FieldKind::Calculated);
    campo(q, "DtfNmbCuen", FieldType::String, 60, QStringLiteral("Descripción Cuenta Contable"),
          FieldKind::Calculated);
    busqueda(q, "DtfNmbFuen", 16, QStringLiteral("Descripción Nombre Fuente"), "COD_FUEN",
             CdsFueFina, "NOM_FUEN");
    busqueda(q, "DtfNmbPres", 64, QStringLiteral("Descripción Recurso Presupuestal"), "COD_PRES",
             CdsRecPres, "NOM_PRES");
    busqueda(q, "DtfNmbSitu", 8, QStringLiteral("Descripción Situación de Fondos"), "COD_SITU",
             CdsSitFond, "NOM_SITU");
    campo(q, "DtfNmbValSald", FieldType::Float, 0, QStringLiteral("Valor Saldo"),
          FieldKind::Calculated)
        ->setDisplayFormat(formatoValor);
    campo(q, "CAS_CONT", FieldType::Integer, 0, QStringLiteral("Secuancial Workflow"));
}

// The small queries that check codes, resolve names and read settings.
void TDtmVeZezev::crearConsultas()
{
    using tavrel::RelationFieldChecks;
    QryNmNccon =
        servidor(this, "QryNmNccon", "DtsPNmNccon", RelationFieldChecks::conceptLookup(0, 0).query);
    tipoParametro(QryNmNccon, "P_COD_EMPR", FieldType::SmallInt);
    tipoParametro(QryNmNccon, "P_COD_CONT", FieldType::SmallInt);
    campo(QryNmNccon, "COD_CONT", FieldType::SmallInt);
    campo(QryNmNccon, "NOM_CONT", FieldType::FixedChar, 40);
    campo(QryNmNccon, "CAM_RELA", FieldType::FixedChar, 8);
    // The names shown beside each row come from the company's lists, read once.
    QryNmNccon->setNameList(
        {QStringLiteral("SELECT COD_CONT, NOM_CONT, CAM_RELA FROM NM_NCCON "
                        "WHERE (COD_EMPR = :P_COD_EMPR) AND "
                        "CAM_RELA IN('COD_TNOM','COD_GAST','COD_CCOS','COD_GPRO')"),
         {{QStringLiteral("P_COD_CONT"), QStringLiteral("COD_CONT")}}});

    QryNmNcmco = servidor(this, "QryNmNcmco", "DtsPNmNcmco",
                          RelationFieldChecks::accountLookup(0, 0, QString()).query);
    tipoParametro(QryNmNcmco, "P_COD_EMPR", FieldType::SmallInt);
    tipoParametro(QryNmNcmco, "P_COD_CONT", FieldType::SmallInt);
    tipoParametro(QryNmNcmco, "P_COD_CUEN", FieldType::String);
    campo(QryNmNcmco, "COD_CUEN", FieldType::FixedChar, 30);
    campo(QryNmNcmco, "NOM_CUEN", FieldType::FixedChar, 60);
    QryNmNcmco->setNameList({QStringLiteral("SELECT COD_CONT, COD_CUEN, NOM_CUEN FROM NM_NCMCO "
                                            "WHERE (COD_EMPR = :P_COD_EMPR)"),
                             {{QStringLiteral("P_COD_CONT"), QStringLiteral("COD_CONT")},
                              {QStringLiteral("P_COD_CUEN"), QStringLiteral("COD_CUEN")}}});

    // The list of the configured related-field kind; its text is set per kind.
    QryCamRela = servidor(this, "QryCamRela", "DtsPCamRela", {});

    QryGnDigif = servidor(this, "QryGnDigif", "DtsPGnDigif", tavrel::CountryFlags::query());
    tipoParametro(QryGnDigif, "PCODVARI", FieldType::String);
    tipoParametro(QryGnDigif, "PCODPAIS", FieldType::SmallInt);
    tipoParametro(QryGnDigif, "PCODEMPR", FieldType::SmallInt);
    campo(QryGnDigif, "VAL_VARI", FieldType::String, 20);
    campo(QryGnDigif, "TIP_DATO", FieldType::FixedChar, 1);

    QryGnEmpre =
        servidor(this, "QryGnEmpre", "DtsPGnEmpr1",
                 {QStringLiteral("SELECT PAI_EMPR, COD_DIFL"), QStringLiteral("FROM GN_EMPRE"),
                  QStringLiteral("WHERE (COD_EMPR = :P_COD_EMPR)")});
    tipoParametro(QryGnEmpre, "P_COD_EMPR", FieldType::SmallInt);
    campo(QryGnEmpre, "PAI_EMPR", FieldType::SmallInt);
    campo(QryGnEmpre, "COD_DIFL", FieldType::SmallInt);

    QryNmVarig =
        servidor(this, "QryNmVarig", "DtsPNmVarig", tavrel::CausedValueStatements::settingQuery());
    campo(QryNmVarig, "VAL_VARI", FieldType::String, 20);

    // Queries built at run time by the caused-value update.
    QryTemporal = servidor(this, "QryTemporal", "DtsPTemporal", {});

    QryGnCcost =
        servidor(this, "QryGnCcost", "DtsPGnCcost",
                 {QStringLiteral("SELECT COD_CCOS, NOM_CCOS"), QStringLiteral("FROM GN_CCOST"),
                  QStringLiteral("WHERE (COD_EMPR = :P_COD_EMPR) AND"),
                  QStringLiteral("(COD_CCOS = :P_COD_CCOS)")});
    tipoParametro(QryGnCcost, "P_COD_EMPR", FieldType::SmallInt);
    tipoParametro(QryGnCcost, "P_COD_CCOS", FieldType::SmallInt);
    campo(QryGnCcost, "COD_CCOS", FieldType::SmallInt);
    campo(QryGnCcost, "NOM_CCOS", FieldType::FixedChar, 90);
}

void TDtmVeZezev::conectarEventos()
{
    QryVeZEZev->AfterInsert = [this](SClientDataSet& ds) { QryVeZezevAfterInsert(ds); };
    QryVeZEZev->AfterCancel = [this](SClientDataSet& ds) { QryVeZezevAfterCancel(ds); };
    QryVeZEZev->AfterDelete = [this](SClientDataSet& ds) { QryVeZezevAfterDelete(ds); };
    QryVeZEZev->AfterClose = [this](SClientDataSet& ds) { QryVeZezevAfterClose(ds); };
    QryVeZEZev->BeforePost = [this](SClientDataSet& ds) { QryVeZezevBeforePost(ds); };
    QryVeZEZev->OnCalcFields = [this](SClientDataSet& ds) { QryVeZezevCalcFields(ds); };

    Field* codCont = QryVeZEZev->fieldByName(QStringLiteral("COD_CONT"));
    codCont->OnValidate = [this](Field& f) { QryVeZezevCOD_CONTValidate(f); };
    codCont->OnChange = [this](Field& f) { QryVeZezevCOD_CONTChange(f); };
    QryVeZEZev->fieldByName(QStringLiteral("COD_CUEN"))->OnValidate = [this](Field& f) {
        QryVeZezevCOD_CUENValidate(f);
    };
    QryVeZEZev->fieldByName(QStringLiteral("COD_CCOS"))->OnValidate = [this](Field& f) {
        QryVeZezevCOD_CCOSValidate(f);
    };
}

void TDtmVeZezev::EnlazarForma(SDCOMConnection* conexion, SClientDataSet* empresas)
{
    for (SClientDataSet* ds : {QryVeZEZev, QryNmNccon, QryNmNcmco, QryCamRela, QryGnDigif,
                               QryGnEmpre, QryNmVarig, QryTemporal, QryGnCcost})
        ds->setRemoteServer(conexion);
    QryVeZEZev->fieldByName(QStringLiteral("DtfNmbEmpresa"))->setLookupDataSet(empresas);
    frxDBDGnEmpre.setDataSet(empresas);
}

QPrinter& TDtmVeZezev::Impresora()
{
    if (!m_impresora)
        m_impresora = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_impresora;
}

void TDtmVeZezev::QryVeZezevAfterInsert(SClientDataSet&)
{
    RefrescarCampoRelacionado();
}

void TDtmVeZezev::QryVeZezevAfterCancel(SClientDataSet&)
{
    RefrescarCampoRelacionado();
}

void TDtmVeZezev::QryVeZezevAfterDelete(SClientDataSet&)
{
    RefrescarCampoRelacionado();
}

void TDtmVeZezev::QryVeZezevAfterClose(SClientDataSet&)
{
    RefrescarCampoRelacionado();
}
