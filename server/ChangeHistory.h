#pragma once

#include "TavrelServerExport.h"

#include "Delta.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantList>

namespace tavrel {

class Database;
struct TableDef;

// One entry of the relation's change history.
struct TAVREL_SERVER_EXPORT HistoryEntry
{
    QDateTime when; // the server's time of the change
    QString user;
    QString operation;  // A inserted, M modified, B deleted, C caused-value update, S statement
    qint64 rowKey = -1; // the relation row; -1 for a statement over many rows
    int rows = 1;       // rows the change touched
    QString details;    // JSON: [{"columna", "antes", "despues"}] or {"sentencia", "filas", ...}
};

// The history of the changes to the relation table NM_RPCOS (table TVL_HISTORIA). The
// server writes each entry in the transaction of the change it records, so that a change
// whose entry cannot be written is rolled back with it.
class TAVREL_SERVER_EXPORT ChangeHistory
{
public:
    static QString tableName() { return QStringLiteral("TVL_HISTORIA"); }
    // True for the tables whose changes are recorded.
    static bool tracks(const TableDef& table);

    // Records one row applied from a delta; `key` is the row's technical key (for an
    // insert, the new one). `user` empty: the audit user the row carries.
    static void recordRow(Database& db, const TableDef& table, const DeltaRow& row, qint64 key,
                          const QString& user);
    // Records a statement that changed `rows` rows of the relation as one entry; nothing
    // for a statement that writes no relation row. The clean-up that turns the empty
    // caused values into 0 right after a caused-value update joins that update's entry.
    // `shares`: the rows of each company it changed (StatementShares::count).
    static void recordStatement(Database& db, const QString& sql, int rows, const QString& user,
                                const QJsonObject& shares = {});

    // The entries of the relation rows of `company` with these keys (a null related code
    // matches a null one), including rows deleted since, and the statements over the
    // whole relation made while such a row existed, with the company's share of them
    // only (StatementShares); oldest first.
    static QList<HistoryEntry> forRow(Database& db, int company, const QVariant& payrollConcept,
                                      const QString& account, const QVariant& related);

    // The late-bound method HistorialRegistro (RowHistoryCall): the entries of forRow with
    // their details as typed values.
    static QVariant method(Database& db, QVariantList& args);
};

} // namespace tavrel
