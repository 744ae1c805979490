#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>
#include <utility>

namespace tavrel::test {

class TestDatabase;

inline QDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min));
}

// The key a relation row and a movement share: company, related code, concept, account.
struct MovementKey
{
    int empr;
    QVariant ccos; // null matches nothing
    int cont;
    QString cuen;

    QString text() const;
    bool matches(const MovementKey& other) const;
};

struct Movement
{
    MovementKey key;
    QDateTime when;
    char nature; // 'D' debit, 'C' credit
    double cauc, tran;
};

// Relation rows around the edges of the year 2013 and movements for them and for keys no
// row has. The latest date up to CausedClientTime is 31 January 2014; one movement lies
// after it. Each row has a caused value of its own before a run, some of them null.
const QList<std::pair<MovementKey, QVariant>>& causedRelations();
const QList<Movement>& causedMovements();
const QDateTime CausedClientTime = at(2014, 2, 10, 8, 0);

// The sum of the row's debit movements that `counts` accepts, of VAL_TRAN or VAL_CAUC;
// null when none counts. Worked out here, apart from the statements under test.
QVariant expectedCaused(const MovementKey& row, const std::function<bool(const QDateTime&)>& counts,
                        bool valTran);
// The latest processing date not after `clientTime` over every company, or `clientTime`.
QDateTime latestDate(const QDateTime& clientTime);

// Replaces the relation rows and movements of `db` by the ones above, stamped by 'ANTES'.
void writeCausedData(TestDatabase& db);

} // namespace tavrel::test
