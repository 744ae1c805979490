#include "CausedMovements.h"

#include "Database.h"
#include "TestDatabase.h"

using namespace Qt::StringLiterals;

namespace tavrel::test {

namespace {

const MovementKey Edges{1, 10, 100, u"510101"_s};
const MovementKey OtherCode{1, 11, 100, u"510101"_s};
const MovementKey OtherAccount{1, 10, 100, u"510102"_s}; // none on the latest date
const MovementKey NoCode{1, QVariant(), 100, u"510101"_s};
const MovementKey NoMovement{1, 12, 101, u"510101"_s};
const MovementKey Second{2, 10, 100, u"510101"_s}; // its last date is older
const MovementKey Idle{2, 20, 200, u"520101"_s};
// Keys of movements only.
const MovementKey Unrelated{1, 12, 100, u"510101"_s};
const MovementKey SecondsOtherAccount{2, 10, 100, u"510199"_s};
const MovementKey Third{3, 30, 300, u"530101"_s};

} // namespace

QString MovementKey::text() const
{
    return u"%1|%2|%3|%4"_s.arg(empr)
        .arg(ccos.isNull() ? u"-"_s : ccos.toString())
        .arg(cont)
        .arg(cuen);
}

bool MovementKey::matches(const MovementKey& o) const
{
    return empr == o.empr && !ccos.isNull() && !o.ccos.isNull() && ccos == o.ccos &&
           cont == o.cont && cuen == o.cuen;
}

const QList<std::pair<MovementKey, QVariant>>& causedRelations()
{
    static const QList<std::pair<MovementKey, QVariant>> relations = {
        {Edges, 5.0},  {OtherCode, QVariant()}, {OtherAccount, QVariant()},
        {NoCode, 7.0}, {NoMovement, 3.0},       {Second, 0.0},
        {Idle, 9.0}};
    return relations;
}

const QList<Movement>& causedMovements()
{
    static const QList<Movement> movements = {
        {Edges, at(2012, 12, 31, 23, 59), 'D', 1, 2},
        {Edges, at(2013, 1, 1), 'D', 10, 11},
        {Edges, at(2013, 6, 30), 'D', 100, 101},
        {Edges, at(2013, 6, 30), 'C', 5000, 5001},
        {Edges, at(2013, 12, 31), 'D', 1000, 1001},
        {Edges, at(2013, 12, 31, 23, 59), 'D', 20000, 20001},
        {Edges, at(2014, 1, 31), 'D', 3, 4},
        {Edges, at(2014, 1, 31), 'D', 30, 40},
        {Edges, at(2014, 1, 31), 'C', 7, 8},
        {Edges, at(2014, 2, 28), 'D', 90000, 90000},
        {OtherCode, at(2013, 6, 30), 'D', 200, 201},
        {OtherCode, at(2014, 1, 31), 'D', 5, 6},
        {OtherAccount, at(2013, 12, 31), 'D', 300, 301},
        {NoCode, at(2013, 6, 30), 'D', 400, 401},
        {NoCode, at(2014, 1, 31), 'D', 9, 9},
        {Second, at(2013, 6, 30), 'D', 600, 601},
        {Second, at(2013, 12, 31, 23, 59), 'D', 700, 701},
        {Unrelated, at(2013, 1, 1), 'D', 30, 31},
        {Unrelated, at(2013, 12, 31), 'D', 40, 41},
        {Unrelated, at(2013, 12, 31, 23, 59), 'D', 50, 51},
        {Unrelated, at(2013, 5, 5), 'C', 60, 61},
        {SecondsOtherAccount, at(2013, 3, 3), 'D', 70, 71},
        {Third, at(2014, 1, 31), 'D', 80, 81},
    };
    return movements;
}

QVariant expectedCaused(const MovementKey& row, const std::function<bool(const QDateTime&)>& counts,
                        bool valTran)
{
    QVariant sum;
    for (const Movement& m : causedMovements()) {
        if (m.key.matches(row) && m.nature == 'D' && counts(m.when))
            sum = sum.toDouble() + (valTran ? m.tran : m.cauc);
    }
    return sum;
}

QDateTime latestDate(const QDateTime& clientTime)
{
    QDateTime latest;
    for (const Movement& m : causedMovements()) {
        if (m.when <= clientTime && (!latest.isValid() || m.when > latest))
            latest = m.when;
    }
    return latest.isValid() ? latest : clientTime;
}

void writeCausedData(TestDatabase& db)
{
    // One transaction: a commit per row would make the SQLite run wait on the disk.
    db.database().transaction([&db] {
        db.exec(u"DELETE FROM NM_RPCOS"_s);
        db.exec(u"DELETE FROM NM_NCMOV"_s);
        for (const auto& [k, caused] : causedRelations())
            db.exec(QStringLiteral("INSERT INTO NM_RPCOS (ACT_USUA, ACT_HORA, ACT_ESTA, COD_EMPR, "
                                   "COD_CCOS, COD_CONT, COD_CUEN, VAL_TOTA, VAL_CAUS) "
                                   "VALUES ('ANTES', :H, 'A', :E, :C, :O, :U, 1000, :V)"),
                    {at(2010, 1, 1, 9, 30), k.empr, k.ccos, k.cont, k.cuen, caused});
        for (const Movement& m : causedMovements())
            db.exec(QStringLiteral("INSERT INTO NM_NCMOV (COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, "
                                   "FEC_PROC, NAT_TRAN, VAL_CAUC, VAL_TRAN) "
                                   "VALUES (:E, :C, :O, :U, :F, :N, :V, :T)"),
                    {m.key.empr, m.key.ccos, m.key.cont, m.key.cuen, m.when,
                     QString(QLatin1Char(m.nature)), m.cauc, m.tran});
    });
}

} // namespace tavrel::test
