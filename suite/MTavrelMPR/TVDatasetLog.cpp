#include "TVDatasetLog.h"

#include "ChangeLogBuilder.h"
#include "ErrorReporter.h"
#include "ModuleError.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "SessionContext.h"

using tavrel::ModuleError;

TVDatasetLog::TVDatasetLog(QObject* parent) : QObject(parent) {}

TVDatasetLog::~TVDatasetLog() = default;

SClientDataSet* TVDatasetLog::dataSet() const
{
    return m_dataSet;
}

void TVDatasetLog::setDataSet(SClientDataSet* dataSet)
{
    disconnect(m_connection);
    m_dataSet = dataSet;
    if (dataSet)
        m_connection = connect(dataSet, &SClientDataSet::updatesApplied, this,
                               &TVDatasetLog::onUpdatesApplied);
}

void TVDatasetLog::record(const tavrel::Delta& applied)
{
    if (!m_dataSet || applied.rows.isEmpty())
        return;
    SDCOMConnection* connection = m_dataSet->remoteServer();
    if (!connection)
        throw ModuleError(
            QStringLiteral("«%1» no tiene conexión con el servidor").arg(m_dataSet->objectName()));
    connection->open();
    tavrel::IAppServer* server = connection->appServer();

    tavrel::ChangeLogBuilder::Context context;
    bool ok = false;
    context.company = tavrel::SessionContext::companyCode().trimmed().toInt(&ok);
    if (!ok)
        context.company = m_dataSet->company();
    context.user = tavrel::SessionContext::userCode();
    QVariantList none;
    context.time = server->invoke(QStringLiteral("BuscarFechaServidor"), none).toDateTime();
    context.table = m_dataSet->sMainTable().trimmed().toUpper();
    if (context.table.isEmpty())
        context.table = m_dataSet->providerName();
    server->applyUpdates(tavrel::ChangeLogBuilder::providerName(),
                         tavrel::ChangeLogBuilder::entries(applied, context));
}

void TVDatasetLog::onUpdatesApplied(const tavrel::Delta& applied)
{
    if (!m_active)
        return;
    try {
        record(applied);
    } catch (const std::exception& error) {
        const auto* moduleError = dynamic_cast<const ModuleError*>(&error);
        const QString reason =
            moduleError ? moduleError->message() : QString::fromUtf8(error.what());
        tavrel::ErrorReporter::report(
            ModuleError(QStringLiteral("El cambio se guardó, pero no se pudo registrar en el "
                                       "log de cambios: %1")
                            .arg(reason),
                        ModuleError::Kind::Server));
    }
}
