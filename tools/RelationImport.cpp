#include "RelationImport.h"

#include "ChangeLogBuilder.h"
#include "FieldType.h"
#include "IAppServer.h"
#include "ModuleError.h"

namespace tavrel {

namespace {

bool finds(IAppServer& server, const RelationFieldChecks::Lookup& lookup)
{
    ParamList params;
    for (const auto& [name, value] : lookup.params)
        params.append({name, value,
                       value.typeId() == QMetaType::Int ? FieldType::SmallInt : FieldType::String});
    return !server
                .open(lookup.provider, lookup.query.join(QLatin1Char('\n')) + QLatin1Char('\n'),
                      params)
                .rows.isEmpty();
}

} // namespace

RelationImportPlan RelationImport::plan(IAppServer& server, int company, const QString& xlsx)
{
    const XlsxReader::Sheet sheet = XlsxReader::firstSheet(xlsx);
    const DataPacket rows = server.open(
        provider(), QStringLiteral("SELECT * FROM NM_RPCOS WHERE COD_EMPR = :P_COD_EMPR"),
        {{QStringLiteral("P_COD_EMPR"), company, FieldType::SmallInt}});
    return RelationImportPlan::make(
        sheet, company, rows,
        [&server](const RelationFieldChecks::Lookup& lookup) { return finds(server, lookup); });
}

int RelationImport::apply(IAppServer& server, int company, const QString& user,
                          const RelationImportPlan& plan)
{
    if (plan.refused())
        throw ModuleError(QStringLiteral("La importación tiene %1 fila(s) rechazada(s); no se "
                                         "grabó ninguna fila. Corrija la hoja y vuelva a "
                                         "importarla.")
                              .arg(plan.count(RelationImportPlan::Action::Refused)));
    QVariantList none;
    const QDateTime now =
        coerce(server.invoke(QStringLiteral("BuscarFechaServidor"), none), FieldType::DateTime)
            .toDateTime();
    const Delta delta = plan.delta(company, user, now);
    if (delta.rows.isEmpty())
        return 0;
    server.applyUpdates(provider(), delta);
    // The change log, as the window's dataset writes it after its post.
    try {
        server.applyUpdates(ChangeLogBuilder::providerName(),
                            ChangeLogBuilder::entries(
                                delta, {company, user.left(8), now, QStringLiteral("NM_RPCOS")}));
    } catch (const ModuleError& e) {
        throw ModuleError(QStringLiteral("Se grabaron las %1 filas de la hoja, pero no se pudo "
                                         "registrar el cambio en el log de cambios: %2")
                              .arg(delta.rows.size())
                              .arg(e.message()),
                          e.kind());
    }
    return int(delta.rows.size());
}

} // namespace tavrel
