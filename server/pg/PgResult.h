#pragma once

#include <QSqlResult>
#include <QString>

struct pg_result;

namespace tavrel {

class PgDriver;

// One statement of PgDriver and its rows, all read into memory by libpq.
class PgResult : public QSqlResult
{
public:
    explicit PgResult(const PgDriver* driver);
    ~PgResult() override;

protected:
    bool reset(const QString& sql) override;
    bool prepare(const QString& sql) override;
    bool exec() override;
    bool fetch(int row) override;
    bool fetchFirst() override;
    bool fetchLast() override;
    QVariant data(int column) override;
    bool isNull(int column) override;
    int size() override;
    int numRowsAffected() override;
    QSqlRecord record() const override;
    QVariant handle() const override;

private:
    bool run(const QString& sql, const QList<QVariant>& values);
    void clear();

    const PgDriver* m_driver;
    pg_result* m_result = nullptr;
    QString m_sql;
    int m_rows = 0;
};

} // namespace tavrel
