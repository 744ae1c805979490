#pragma once

#include "BatchCall.h"
#include "DataSetBinding.h"
#include "PdfExportSettings.h"
#include "TipoCampoRelacionado.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>

class QPrinter;
class ReporteRelacion;
class SClientDataSet;
class SDCOMConnection;

namespace tavrel {
class DataSource;
class Field;
} // namespace tavrel

// The module's data module: the relation dataset QryVeZEZev over NM_RPCOS with its
// lookup and calculated descriptions, the small server queries that check codes and
// resolve names, and the three budget code lists shown by the window's drop-downs.
//
// Every member dataset is created by the constructor and owned by the data module. The
// server datasets reach the application server through the window's connection, which
// EnlazarForma hands over once the window exists; until then none of them can open.
//
// The related-field kind last configured from a concept (gStTabRela, gStCamRela,
// gStNomRela) decides in which list the related codes of every row are named. The data
// module knows no window: it announces each configuration with campoRelacionadoConfigurado,
// and the window sets its related-field label, edits and picker from it.
//
// The relation report's two dataset bindings, its PDF export settings and the printer
// its set-up chose live here too; the window lays the report out over them.
class TDtmVeZezev : public QObject
{
    Q_OBJECT

public:
    explicit TDtmVeZezev(QObject* parent = nullptr);
    ~TDtmVeZezev() override;

    // Server datasets.
    SClientDataSet* QryVeZEZev = nullptr;
    SClientDataSet* QryNmNccon = nullptr;
    SClientDataSet* QryNmNcmco = nullptr;
    SClientDataSet* QryCamRela = nullptr;
    SClientDataSet* QryGnDigif = nullptr;
    SClientDataSet* QryGnEmpre = nullptr;
    SClientDataSet* QryNmVarig = nullptr;
    SClientDataSet* QryTemporal = nullptr;
    SClientDataSet* QryGnCcost = nullptr;
    // Budget code lists (in memory, no provider) and their data sources.
    SClientDataSet* CdsFueFina = nullptr;
    SClientDataSet* CdsRecPres = nullptr;
    SClientDataSet* CdsSitFond = nullptr;
    tavrel::DataSource* DtsCdsFueFina = nullptr;
    tavrel::DataSource* DtsCdsRecPres = nullptr;
    tavrel::DataSource* DtsCdsSitFond = nullptr;

    // The relation report's dataset bindings: the company ("QryGnEmpre", on the window's
    // company list, bound by EnlazarForma) and the relation ("QryVeZezev").
    tavrel::report::DataSetBinding frxDBDGnEmpre{QStringLiteral("QryGnEmpre")};
    tavrel::report::DataSetBinding frxDBDVeZEZev{QStringLiteral("QryVeZezev")};
    tavrel::report::PdfExportSettings frxPDFExport1;
    // The relation report itself. Its layout lives in the report layer above this one, so
    // the window makes it when it is created and hands it over; it then lives as long as
    // the data module (the shared pointer keeps the deleter, so this layer needs no more
    // than the name).
    std::shared_ptr<ReporteRelacion> frxRptVeZezev;
    // The printer that the printer set-up chose and the report prints on; made on first
    // use, since a printer needs the GUI application that headless runs do without.
    QPrinter& Impresora();

    // The configured related-field kind: table, code column and name column.
    QString gStTabRela;
    QString gStCamRela;
    QString gStNomRela;
    // Flag V0000017 of the current company ("S": caused values sum VAL_TRAN).
    QString gStDigiDian;
    // The related code being looked up while a row is calculated.
    QVariant gVrCamVRel;

    // Gives every server dataset the window's connection and makes the company-name
    // lookup and the report's company binding read the window's company list. Called
    // once the window exists, before its FormCreate.
    void EnlazarForma(SDCOMConnection* conexion, SClientDataSet* empresas);

    // Creation handler: fills the three budget code lists. Whoever creates the data
    // module calls it once, after the module's reference points at it.
    Q_INVOKABLE void DataModuleCreate(QObject* Sender = nullptr);

    // Events of QryVeZEZev and its fields.
    void QryVeZezevAfterInsert(SClientDataSet& DataSet);
    void QryVeZezevAfterCancel(SClientDataSet& DataSet);
    void QryVeZezevAfterDelete(SClientDataSet& DataSet);
    void QryVeZezevAfterClose(SClientDataSet& DataSet);
    void QryVeZezevBeforePost(SClientDataSet& DataSet);
    void QryVeZezevCalcFields(SClientDataSet& DataSet);
    void QryVeZezevCOD_CONTValidate(tavrel::Field& Sender);
    void QryVeZezevCOD_CONTChange(tavrel::Field& Sender);
    void QryVeZezevCOD_CUENValidate(tavrel::Field& Sender);
    void QryVeZezevCOD_CCOSValidate(tavrel::Field& Sender);

    // Configures the related-field kind from the concept of the current relation row
    // (concept 0 while the relation is closed).
    Q_INVOKABLE void RefrescarCampoRelacionado();
    // Looks the concept up for the current company and, when found, configures its kind.
    Q_INVOKABLE void ValidarCampoRelacionado(int codigoContabilizacion);
    // Configures the kind of the concept on which QryNmNccon stands: the kind strings
    // and the list query of QryCamRela, announced by campoRelacionadoConfigurado. Clears
    // COD_CCOS when the code column changes while the relation is being edited or
    // inserted.
    void ConfigurarCampoRelacionado();

    // Appends one row to a list, the values in the order of its fields, and posts it.
    void AgregarRegistro(SClientDataSet* dataSet, const QVariantList& valores);

    // The value of a GN_DIGIF flag for the current company: the trimmed VAL_VARI of the
    // first row that applies, or "N" when none does. A failure is thrown as
    // "Error leyendo DIGIFLAG '<code>': <message>".
    Q_INVOKABLE QVariant VerDigiFlags(const QString& codigo);
    // What VerDigiFlags reads first for the current company (its country, unless the
    // company query stands on it already), with the query set for it; nothing otherwise.
    QList<tavrel::BatchCall> LecturasDeFlags();

signals:
    // A concept of this kind configured the data module; the kind strings are set.
    void campoRelacionadoConfigurado(const TipoCampoRelacionado& tipo);

private:
    // The company query does not stand on this company.
    bool empresaPorLeer(int empresa) const;
    void crearRelacion();
    void crearConsultas();
    void crearListas();
    void conectarEventos();

    // The company chosen in the window: the module application's tag (0 without one).
    static int empresaActual();
    static QString mensajeDigiFlag(const QString& codigo, const QString& error);

    std::unique_ptr<QPrinter> m_impresora;
};

// Set by the load entry while the module is loaded; null otherwise.
extern QPointer<TDtmVeZezev> DtmVeZezev;
