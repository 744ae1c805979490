// The budget code lists and the country flags of the data module.
#include "DVeZezev.h"

#include "BudgetCodes.h"
#include "CountryFlags.h"
#include "DtmGnLibre.h"
#include "Field.h"
#include "ModuleApplication.h"
#include "ModuleError.h"
#include "SClientDataSet.h"

using tavrel::FieldType;
using tavrel::ModuleError;

int TDtmVeZezev::empresaActual()
{
    const tavrel::ModuleApplication* app = tavrel::ModuleApplication::instance();
    return app ? app->tag() : 0;
}

void TDtmVeZezev::DataModuleCreate(QObject*)
{
    using tavrel::BudgetCodes;
    for (const BudgetCodes::Entry& e : BudgetCodes::fundingSources())
        AgregarRegistro(CdsFueFina, {e.code, e.name});
    for (const BudgetCodes::Entry& e : BudgetCodes::budgetResources())
        AgregarRegistro(CdsRecPres, {e.code, e.name});
    for (const BudgetCodes::Entry& e : BudgetCodes::fundsSituations())
        AgregarRegistro(CdsSitFond, {e.code, e.name});
}

void TDtmVeZezev::AgregarRegistro(SClientDataSet* dataSet, const QVariantList& valores)
{
    dataSet->append();
    const int campos = dataSet->fieldCount();
    for (int i = 0; i < campos && i < valores.size(); ++i)
        dataSet->field(i)->setValue(valores[i]);
    dataSet->post();
}

bool TDtmVeZezev::empresaPorLeer(int empresa) const
{
    const tavrel::Param* empresaAbierta = QryGnEmpre->findParam(QStringLiteral("P_COD_EMPR"));
    return !QryGnEmpre->active() || !empresaAbierta || empresaAbierta->value != QVariant(empresa);
}

QList<tavrel::BatchCall> TDtmVeZezev::LecturasDeFlags()
{
    const int empresa = empresaActual();
    if (!empresaPorLeer(empresa))
        return {};
    DtmGnLibre::Parametrizar(QryGnEmpre, {empresa});
    return {QryGnEmpre->openCall()};
}

QVariant TDtmVeZezev::VerDigiFlags(const QString& codigo)
{
    QryGnDigif->close();
    QString valor;
    try {
        const int empresa = empresaActual();
        QryGnDigif->paramByName(QStringLiteral("PCODVARI")).value = codigo;

        // The company's country; the company query is opened again only for another one.
        if (empresaPorLeer(empresa))
            DtmGnLibre::ReConsultar(QryGnEmpre, {empresa});
        tavrel::Param& pais = QryGnDigif->paramByName(QStringLiteral("PCODPAIS"));
        pais.type = FieldType::SmallInt;
        pais.value = QryGnEmpre->fieldByName(QStringLiteral("PAI_EMPR"))->asInteger();

        tavrel::Param& empr = QryGnDigif->paramByName(QStringLiteral("PCODEMPR"));
        empr.type = FieldType::SmallInt;
        empr.value = empresa;

        QryGnDigif->open();
        valor = tavrel::CountryFlags::value(
            QryGnDigif->isEmpty()
                ? QVariant()
                : QVariant(QryGnDigif->fieldByName(QStringLiteral("VAL_VARI"))->asString()));
    } catch (const ModuleError& e) {
        throw ModuleError(mensajeDigiFlag(codigo, e.message()), e.kind());
    } catch (const std::exception& e) {
        throw ModuleError(mensajeDigiFlag(codigo, QString::fromUtf8(e.what())),
                          ModuleError::Kind::Server);
    }
    QryGnDigif->close();
    return valor;
}

QString TDtmVeZezev::mensajeDigiFlag(const QString& codigo, const QString& error)
{
    QString citado = codigo;
    citado.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("Error leyendo DIGIFLAG '%1': %2").arg(citado, error);
}
