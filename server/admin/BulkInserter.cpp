#include "BulkInserter.h"

#include "Database.h"

namespace tavrel {

BulkInserter::BulkInserter(Database& db, const QString& table, const QStringList& columns,
                           int rowsPerStatement)
    : m_db(db), m_prefix(QStringLiteral("INSERT INTO %1 (%2) VALUES ")
                             .arg(table, columns.join(QLatin1String(", ")))),
      m_rowsPerStatement(rowsPerStatement)
{}

void BulkInserter::add(const QVariantList& values)
{
    QStringList literals;
    literals.reserve(values.size());
    for (const QVariant& v : values)
        literals.append(m_db.dialect().literal(v));
    addLiterals(literals.join(QLatin1String(", ")));
}

void BulkInserter::addLiterals(const QString& tuple)
{
    if (m_pending == 0) {
        m_buffer = m_prefix;
    } else {
        m_buffer += QLatin1Char(',');
    }
    m_buffer += QLatin1Char('(');
    m_buffer += tuple;
    m_buffer += QLatin1Char(')');
    if (++m_pending >= m_rowsPerStatement)
        flush();
}

void BulkInserter::flush()
{
    if (m_pending == 0)
        return;
    m_db.exec(m_buffer);
    m_written += m_pending;
    m_pending = 0;
    m_buffer.clear();
}

qint64 BulkInserter::finish()
{
    flush();
    return m_written;
}

QStringList BulkInserter::columns(std::initializer_list<const char*> names)
{
    QStringList list;
    for (const char* n : names)
        list.append(QLatin1String(n));
    return list;
}

} // namespace tavrel
