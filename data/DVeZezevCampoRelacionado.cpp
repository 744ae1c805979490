// Field checks, posting rules and the related-field kind of the relation dataset.
#include "DVeZezev.h"

#include "DtmGnLibre.h"
#include "Field.h"
#include "ModuleError.h"
#include "RelationBalance.h"
#include "RelationFieldChecks.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionGlobals.h"
#include "TipoCampoRelacionado.h"

using tavrel::DataSetState;
using tavrel::Field;
using tavrel::FieldType;
using tavrel::ModuleError;

namespace {

bool editando(const SClientDataSet* ds)
{
    return ds->state() == DataSetState::Edit || ds->state() == DataSetState::Insert;
}

void fijar(SClientDataSet* ds, const char* parametro, const QVariant& valor, FieldType tipo)
{
    tavrel::Param& p = ds->paramByName(QLatin1String(parametro));
    p.type = tipo;
    p.value = valor;
}

Field* campoDe(SClientDataSet* ds, const char* nombre)
{
    return ds->fieldByName(QLatin1String(nombre));
}

using Consulta = tavrel::RelationFieldChecks::Lookup;

// Runs a check's query on its dataset, which stays open on the row found (or on none).
bool consultar(SClientDataSet* ds, const Consulta& c)
{
    ds->close();
    for (const auto& [nombre, valor] : c.params) {
        tavrel::Param& p = ds->paramByName(nombre);
        p.type = valor.typeId() == QMetaType::Int ? FieldType::SmallInt : FieldType::String;
        p.value = valor;
    }
    ds->open();
    return !ds->isEmpty();
}

} // namespace

// ---- field checks and posting

void TDtmVeZezev::QryVeZezevCOD_CONTValidate(Field& Sender)
{
    const QString rechazo = tavrel::RelationFieldChecks::checkConcept(
        empresaActual(), Sender.isNull() ? QVariant() : QVariant(Sender.asInteger()),
        [this](const Consulta& c) { return consultar(QryNmNccon, c); });
    if (!rechazo.isEmpty())
        throw ModuleError(rechazo);
}

void TDtmVeZezev::QryVeZezevCOD_CONTChange(Field& Sender)
{
    if (!Sender.isNull())
        ValidarCampoRelacionado(Sender.asInteger());
}

void TDtmVeZezev::QryVeZezevCOD_CUENValidate(Field& Sender)
{
    const Field* concepto = campoDe(QryVeZEZev, "COD_CONT");
    const QString rechazo = tavrel::RelationFieldChecks::checkAccount(
        empresaActual(), concepto->isNull() ? QVariant() : QVariant(concepto->asInteger()),
        Sender.isNull() ? QVariant() : QVariant(Sender.asString()),
        [this](const Consulta& c) { return consultar(QryNmNcmco, c); });
    if (!rechazo.isEmpty())
        throw ModuleError(rechazo);
}

// Any related code is accepted; one missing from its list only shows no name.
void TDtmVeZezev::QryVeZezevCOD_CCOSValidate(Field&) {}

void TDtmVeZezev::QryVeZezevBeforePost(SClientDataSet& DataSet)
{
    const DataSetState estado = DataSet.state();
    if (estado == DataSetState::Edit || estado == DataSetState::Insert) {
        // Asked first: when the server fails, nothing has been stamped.
        SDCOMConnection* conexion = DataSet.remoteServer();
        if (!conexion)
            throw ModuleError(QStringLiteral("La relación no tiene conexión con el servidor de "
                                             "aplicaciones; no se puede grabar."),
                              ModuleError::Kind::Connection);
        QVariantList sinArgumentos;
        const QVariant hora =
            conexion->invoke(QStringLiteral("BuscarFechaServidor"), sinArgumentos);
        const QVariant horaServidor = tavrel::coerce(hora, FieldType::DateTime);
        campoDe(&DataSet, "ACT_HORA")->setValue(horaServidor);
        campoDe(&DataSet, "ACT_USUA")->setValue(gStCodiUsua.left(8));
    }
    if (estado == DataSetState::Insert) {
        campoDe(&DataSet, "ACT_ESTA")->setValue(QStringLiteral("A"));
        campoDe(&DataSet, "COD_EMPR")->setValue(empresaActual());
    } else if (estado == DataSetState::Edit) {
        campoDe(&DataSet, "ACT_ESTA")->setValue(QStringLiteral("M"));
    }
}

// ---- related-field kind

void TDtmVeZezev::RefrescarCampoRelacionado()
{
    int concepto = 0;
    if (QryVeZEZev->active())
        concepto = campoDe(QryVeZEZev, "COD_CONT")->asInteger();
    ValidarCampoRelacionado(concepto);
}

void TDtmVeZezev::ValidarCampoRelacionado(int codigoContabilizacion)
{
    DtmGnLibre::ReConsultar(QryNmNccon, {empresaActual(), codigoContabilizacion});
    if (!QryNmNccon->isEmpty())
        ConfigurarCampoRelacionado();
}

void TDtmVeZezev::ConfigurarCampoRelacionado()
{
    const QString anterior = gStCamRela;
    const TipoCampoRelacionado* tipo =
        TipoCampoRelacionado::buscar(campoDe(QryNmNccon, "CAM_RELA")->asString());
    if (tipo) {
        gStNomRela = tipo->campoNombre;
        gStCamRela = tipo->campoCodigo;
        gStTabRela = tipo->tabla;
        emit campoRelacionadoConfigurado(*tipo);
        QryCamRela->close();
        QryCamRela->setCommandText(QString());
        QryCamRela->setCommandText(tipo->textoSelect);
        QryCamRela->setCommandText(QryCamRela->commandText() +
                                   QStringLiteral(" where cod_empr = :codempr"));
    }
    if (gStCamRela != anterior && editando(QryVeZEZev))
        campoDe(QryVeZEZev, "COD_CCOS")->clear();
}

// ---- calculated fields

void TDtmVeZezev::QryVeZezevCalcFields(SClientDataSet& DataSet)
{
    Field* nombreRela = campoDe(&DataSet, "DtfNmbCamRela");
    Field* nombreCont = campoDe(&DataSet, "DtfNmbCont");
    Field* nombreCuen = campoDe(&DataSet, "DtfNmbCuen");
    nombreRela->setValue(QString());
    nombreCont->setValue(QString());
    nombreCuen->setValue(QString());

    const int empresa = empresaActual();
    Field* codCont = campoDe(&DataSet, "COD_CONT");
    Field* codCuen = campoDe(&DataSet, "COD_CUEN");
    if (!codCont->isNull()) {
        QryNmNccon->close();
        fijar(QryNmNccon, "P_COD_EMPR", empresa, FieldType::SmallInt);
        fijar(QryNmNccon, "P_COD_CONT", codCont->asInteger(), FieldType::SmallInt);
        QryNmNccon->open();
        nombreCont->setValue(campoDe(QryNmNccon, "NOM_CONT")->asString());
        if (!codCuen->isNull()) {
            QryNmNcmco->close();
            fijar(QryNmNcmco, "P_COD_EMPR", empresa, FieldType::SmallInt);
            fijar(QryNmNcmco, "P_COD_CONT", codCont->asInteger(), FieldType::SmallInt);
            fijar(QryNmNcmco, "P_COD_CUEN", codCuen->asString(), FieldType::String);
            QryNmNcmco->open();
            nombreCuen->setValue(campoDe(QryNmNcmco, "NOM_CUEN")->asString());
        }
    }

    Field* codCcos = campoDe(&DataSet, "COD_CCOS");
    if (!codCont->isNull() && !codCcos->isNull()) {
        if (gStCamRela.isEmpty())
            ValidarCampoRelacionado(codCont->asInteger());
        if (!QryCamRela->commandText().trimmed().isEmpty()) {
            // The list is fetched once per kind and company.
            if (!QryCamRela->active() ||
                QryCamRela->fieldByName(QStringLiteral("cod_empr"))->value() != QVariant(empresa))
                DtmGnLibre::ReConsultar(QryCamRela, {empresa});
            gVrCamVRel = codCcos->asInteger();
            if (QryCamRela->locate(gStCamRela, {gVrCamVRel}))
                nombreRela->setValue(QryCamRela->fieldByName(gStNomRela)->asString());
        }
    }

    Field* total = campoDe(&DataSet, "VAL_TOTA");
    Field* causado = campoDe(&DataSet, "VAL_CAUS");
    const auto valor = [](Field* campo) {
        return campo->isNull() ? std::nullopt : std::optional<double>(campo->asFloat());
    };
    campoDe(&DataSet, "DtfNmbValSald")
        ->setValue(tavrel::RelationBalance::of(valor(total), valor(causado)));
}
