#include "FakeAppServer.h"

#include "ModuleError.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

using tavrel::ModuleError;

void FakeAppServer::addTable(const QString& name, const QList<tavrel::ColumnInfo>& columns,
                             const QList<QVariantList>& rows)
{
    Table t;
    t.columns = columns;
    t.rows = rows;
    for (int i = 0; i < rows.size(); ++i)
        t.keys.append(m_nextKey++);
    m_tables.insert(name.toUpper(), t);
}

void FakeAppServer::addProvider(const QString& provider, const QString& table)
{
    m_providers.insert(provider, table.toUpper());
}

FakeAppServer::Table& FakeAppServer::table(const QString& name)
{
    return m_tables[name.toUpper()];
}

void FakeAppServer::change(const QString& tableName, int row, const QString& column,
                           const QVariant& value)
{
    Table& t = table(tableName);
    for (int c = 0; c < t.columns.size(); ++c) {
        if (t.columns[c].name == column)
            t.rows[row][c] = value;
    }
}

QString FakeAppServer::mainTable(const QString& provider) const
{
    if (!m_providers.contains(provider)) {
        throw ModuleError(u"Proveedor '%1' desconocido"_s.arg(provider), ModuleError::Kind::Server);
    }
    return m_providers.value(provider);
}

tavrel::DataPacket FakeAppServer::open(const QString& provider, const QString& commandText,
                                       const tavrel::ParamList& params)
{
    mainTable(provider);
    const QString text = commandText.trimmed();
    static const QRegularExpression select(
        QStringLiteral(R"(^SELECT\s+\*\s+FROM\s+(\w+)(?:\s+WHERE\s+(\w+)\s*=\s*:(\w+))?$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = select.match(text);
    if (!m.hasMatch() || !m_tables.contains(m.captured(1).toUpper())) {
        throw ModuleError(u"Consulta no soportada: %1"_s.arg(text), ModuleError::Kind::Server);
    }
    const Table& t = m_tables[m.captured(1).toUpper()];
    tavrel::DataPacket packet;
    packet.columns = t.columns;
    int filterColumn = -1;
    QVariant filterValue;
    if (m.hasCaptured(2)) {
        filterColumn = packet.columnIndex(m.captured(2));
        for (const tavrel::Param& p : params) {
            if (p.name.compare(m.captured(3), Qt::CaseInsensitive) == 0)
                filterValue = tavrel::coerce(p.value, t.columns[filterColumn].type);
        }
    }
    for (int i = 0; i < t.rows.size(); ++i) {
        if (filterColumn >= 0 && t.rows[i][filterColumn] != filterValue)
            continue;
        packet.rows.append(t.rows[i]);
        packet.rowKeys.append(t.keys[i]);
    }
    return packet;
}

QList<qint64> FakeAppServer::applyUpdates(const QString& provider, const tavrel::Delta& delta)
{
    Table copy = m_tables.value(mainTable(provider));
    auto conflict = [] {
        return ModuleError(u"El registro fue modificado por otro usuario"_s,
                           ModuleError::Kind::Conflict);
    };
    auto column = [&](const QString& name) {
        for (int c = 0; c < copy.columns.size(); ++c) {
            if (copy.columns[c].name == name)
                return c;
        }
        throw ModuleError(u"Columna '%1' desconocida"_s.arg(name), ModuleError::Kind::Server);
    };
    QList<qint64> newKeys;
    for (const tavrel::DeltaRow& row : delta.rows) {
        if (row.kind == tavrel::DeltaRow::Kind::Insert) {
            QVariantList values(copy.columns.size());
            for (auto it = row.values.begin(); it != row.values.end(); ++it)
                values[column(it.key())] = it.value();
            copy.rows.append(values);
            copy.keys.append(m_nextKey);
            newKeys.append(m_nextKey++);
            continue;
        }
        const int index = int(copy.keys.indexOf(row.rowKey));
        if (index < 0)
            throw conflict();
        // Modify checks the columns it changes, delete checks every column.
        const QVariantMap& checked =
            row.kind == tavrel::DeltaRow::Kind::Delete ? row.original : row.values;
        for (auto it = checked.begin(); it != checked.end(); ++it) {
            if (copy.rows[index][column(it.key())] != row.original.value(it.key()))
                throw conflict();
        }
        if (row.kind == tavrel::DeltaRow::Kind::Delete) {
            copy.rows.removeAt(index);
            copy.keys.removeAt(index);
        } else {
            for (auto it = row.values.begin(); it != row.values.end(); ++it)
                copy.rows[index][column(it.key())] = it.value();
        }
    }
    m_tables[mainTable(provider)] = copy;
    applied.append(delta);
    return newKeys;
}

QVariant FakeAppServer::invoke(const QString& method, QVariantList&)
{
    throw ModuleError(u"Método '%1' desconocido"_s.arg(method), ModuleError::Kind::Server);
}

QString FakeAppServer::description() const
{
    return u"memoria"_s;
}
