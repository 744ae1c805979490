#pragma once

#include "TavrelServerAdminExport.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <initializer_list>

namespace tavrel {

class Database;

// Loads many rows into one table with multi-row INSERT statements of literal values,
// which both engines parse far faster than one bound statement per row. Call inside a
// transaction; the destructor does not flush, call finish().
class TAVREL_SERVER_ADMIN_EXPORT BulkInserter
{
public:
    BulkInserter(Database& db, const QString& table, const QStringList& columns,
                 int rowsPerStatement = 1000);

    // One row, values in column order, written as literals by the dialect.
    void add(const QVariantList& values);
    // One row given as its ready literal tuple without parentheses ("1, 'a', NULL").
    void addLiterals(const QString& tuple);
    // Sends what is pending; returns the number of rows written by this inserter.
    qint64 finish();

    qint64 rowCount() const { return m_written + m_pending; }

    // Column names written as literals: columns({"COD_EMPR", "NOM_EMPR"}).
    static QStringList columns(std::initializer_list<const char*> names);

private:
    void flush();

    Database& m_db;
    QString m_prefix;
    QString m_buffer;
    int m_rowsPerStatement;
    int m_pending = 0;
    qint64 m_written = 0;
};

} // namespace tavrel
