#pragma once

#include "TavrelServerExport.h"

#include "FieldType.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace tavrel {

class Database;

// One column of the schema. `size` is the width in characters of String and FixedChar
// columns; a String of size 0 is unbounded text.
struct TAVREL_SERVER_EXPORT ColumnDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0;
};

struct TAVREL_SERVER_EXPORT IndexDef
{
    QString name;
    QStringList columns;
    bool unique = false;
    // Columns carried in the index only so that a query reading them needs no table
    // access (non-unique indexes only: an engine without INCLUDE appends them to the key).
    QStringList included = {};
};

struct TAVREL_SERVER_EXPORT TableDef
{
    QString name;             // upper case
    QList<ColumnDef> columns; // in the order of SELECT *, without the technical key
    QList<IndexDef> indexes;
    // Percentage of each page filled by inserts, where the engine has such a setting. A
    // table whose rows are all rewritten at once keeps room for the new versions.
    int fillFactor = 100;

    const ColumnDef* column(const QString& name) const;
};

// The one definition of the database: every table the system reads or writes, its
// columns and indexes. The dialects turn it into DDL; the server uses it to type the
// columns of every result, since a column name means the same thing in every table
// (ACT_HORA is always a date-time, COD_CUEN always a 30-character code).
class TAVREL_SERVER_EXPORT SchemaCatalog
{
public:
    // Bumped whenever a table, column or index changes; stored in TVL_SCHEMA.
    static constexpr int version = 6;
    // The server's hidden technical key, first column of every table.
    static QString technicalKey() { return QStringLiteral("TVL_ROWID"); }
    static QString versionTable() { return QStringLiteral("TVL_SCHEMA"); }
    // Version stored in the database's TVL_SCHEMA; -1 when the database has no schema.
    static int installedVersion(Database& db);

    static const SchemaCatalog& instance();

    const QList<TableDef>& tables() const { return m_tables; }
    const TableDef* table(const QString& name) const;
    // The meaning of a column name, whatever table it comes from.
    std::optional<ColumnDef> column(const QString& name) const;
    // Column names used with two different types or sizes (empty when consistent).
    QStringList inconsistentColumns() const { return m_inconsistent; }

private:
    SchemaCatalog();

    QList<TableDef> m_tables;
    QHash<QString, ColumnDef> m_columns;
    QStringList m_inconsistent;
};

} // namespace tavrel
