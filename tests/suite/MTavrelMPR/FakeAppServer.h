#pragma once

#include "IAppServer.h"

#include <QHash>
#include <QMap>

// An application server in memory for the dataset tests. It knows tables with technical
// row keys and providers naming a main table. open() understands "SELECT * FROM T" with
// an optional "WHERE COL = :P"; applyUpdates() checks the original values the way the
// real server does and writes all or nothing.
class FakeAppServer : public tavrel::IAppServer
{
public:
    struct Table
    {
        QList<tavrel::ColumnInfo> columns;
        QList<QVariantList> rows;
        QList<qint64> keys;
    };

    void addTable(const QString& name, const QList<tavrel::ColumnInfo>& columns,
                  const QList<QVariantList>& rows);
    void addProvider(const QString& provider, const QString& table);
    Table& table(const QString& name);
    // Changes one stored value behind the clients' backs, as another user would.
    void change(const QString& table, int row, const QString& column, const QVariant& value);

    QList<tavrel::Delta> applied; // deltas that were written

    tavrel::DataPacket open(const QString& provider, const QString& commandText,
                            const tavrel::ParamList& params) override;
    QList<qint64> applyUpdates(const QString& provider, const tavrel::Delta& delta) override;
    QVariant invoke(const QString& method, QVariantList& args) override;
    QString description() const override;

private:
    QString mainTable(const QString& provider) const;

    QMap<QString, Table> m_tables;
    QHash<QString, QString> m_providers;
    qint64 m_nextKey = 1;
};
