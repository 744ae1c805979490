#pragma once

#include "TavrelServerExport.h"

#include "SqlDialect.h"

namespace tavrel {

// SQLite through QSQLITE. Date-times are TEXT in the canonical local form
// "yyyy-MM-ddTHH:mm:ss.zzz", so that comparing texts compares times; widths and 16-bit
// ranges are enforced by CHECK constraints, as a typed engine would.
class TAVREL_SERVER_EXPORT SqliteDialect : public SqlDialect
{
public:
    QString engineName() const override { return QStringLiteral("SQLite"); }
    QString driverName() const override { return QStringLiteral("QSQLITE"); }

    QString technicalKeyDefinition() const override;
    QString columnDefinition(const ColumnDef& column) const override;
    QString explainPrefix() const override { return QStringLiteral("EXPLAIN QUERY PLAN "); }

    QVariant toDatabase(const QVariant& value) const override;

    QString connectOptions(bool readOnly) const override;
    void initialiseSession(QSqlDatabase& db, bool readOnly) const override;
    bool readsOnSeparateConnection() const override { return true; }
    QString readOnlyTransactionStatement() const override { return QString(); }
    bool isConnectionFailure(const QSqlError& error) const override;
    StorageFailure storageFailure(const QSqlError& error) const override;
    QString currentTimestampQuery() const override;
    QString monthOf(const QString& column) const override;

    QString insertReturningKey() const override { return QString(); }

protected:
    QString typeName(const ColumnDef& column) const override;
    QString booleanLiteral(bool value) const override;
    QString dateTimeLiteral(const QDateTime& value) const override;
};

} // namespace tavrel
