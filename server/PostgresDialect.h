#pragma once

#include "TavrelServerExport.h"

#include "SqlDialect.h"

namespace tavrel {

// PostgreSQL through PgDriver (libpq's extended query protocol: one statement per text,
// values apart from it). Date-times are TIMESTAMP(3) WITHOUT TIME ZONE holding local
// time, and go to statements as TIMESTAMP parameters of that local time, so that they
// compare with the columns without a conversion per row. Every session runs in the
// client's time zone, which is what LOCALTIMESTAMP answers in. CHAR(n) values come back
// padded and column names in lower case; the packet builder undoes both.
class TAVREL_SERVER_EXPORT PostgresDialect : public SqlDialect
{
public:
    QString engineName() const override { return QStringLiteral("PostgreSQL"); }
    QString driverName() const override { return QStringLiteral("QPSQL"); }
    bool driverAvailable() const override { return true; }

    QString technicalKeyDefinition() const override;
    QString columnDefinition(const ColumnDef& column) const override;
    QString tableOptions(const TableDef& table) const override;
    bool supportsIncludedColumns() const override { return true; }

    QVariant toDatabase(const QVariant& value) const override;
    bool numbersParameters() const override { return true; }
    QString readOnlyTransactionSelect(const QString& selectList) const override;
    QString readOnlySessionSelect(const QString& selectList) const override;

    QSqlDriver* createDriver(const SessionSettings& settings) const override;
    QString connectOptions(bool readOnly) const override;
    bool resetSession(QSqlDatabase& db) const override;
    void initialiseSession(QSqlDatabase& db, bool readOnly) const override;
    bool isConnectionFailure(const QSqlError& error) const override;
    StorageFailure storageFailure(const QSqlError& error) const override;
    bool isTransientConflict(const QSqlError& error) const override;
    QString serializeBulkWritesStatement() const override;
    QString monthOf(const QString& column) const override;

private:
    static QString sessionTimeZone();

protected:
    QString typeName(const ColumnDef& column) const override;
    QString blobLiteral(const QByteArray& value) const override;
};

} // namespace tavrel
