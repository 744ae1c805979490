#include "CausadoBench.h"

#include "BenchProcess.h"
#include "CausedRun.h"
#include "Database.h"
#include "LocalAppServer.h"

#include <QElapsedTimer>
#include <QSqlQuery>

namespace tavrel::bench {

namespace {

const QString kGroupedSum =
    QStringLiteral("SELECT COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, SUM(VAL_CAUC) FROM NM_NCMOV%1 "
                   "WHERE NAT_TRAN = 'D' AND %2 GROUP BY COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN");

double secondsOf(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

struct CausadoBench::Private
{
    std::unique_ptr<Database> db; // setting changes and the floor
    std::unique_ptr<CausedRun> update;

    void setPeriod(const QString& value)
    {
        db->exec(QStringLiteral("UPDATE NM_VARIG SET VAL_VARI = :V WHERE COD_VARI = 'FEC_RPCO'"),
                 {value});
    }

    double timePath(const QString& period)
    {
        setPeriod(period);
        QElapsedTimer timer;
        timer.start();
        update->run();
        return secondsOf(timer);
    }

    // Reads every group; returns how many there were.
    qint64 readGroups(const QString& condition, const QVariantList& values, bool indexOrder)
    {
        const bool postgres = db->isPostgres();
        QString from;
        if (indexOrder && !postgres)
            from = QStringLiteral(" INDEXED BY NM_NCMOV_CAUS");
        if (indexOrder && postgres) {
            db->exec(QStringLiteral("SET enable_seqscan = off"));
            db->exec(QStringLiteral("SET enable_bitmapscan = off"));
        }
        qint64 groups = 0;
        {
            QSqlQuery query = db->exec(kGroupedSum.arg(from, condition), values);
            while (query.next()) {
                for (int c = 0; c < 5; ++c)
                    query.value(c);
                ++groups;
            }
        }
        if (indexOrder && postgres) {
            db->exec(QStringLiteral("RESET enable_seqscan"));
            db->exec(QStringLiteral("RESET enable_bitmapscan"));
        }
        return groups;
    }

    // Every relation row gets a caused value and the audit stamp, as each path leaves it.
    double timeRewrite(qint64& rows)
    {
        QElapsedTimer timer;
        timer.start();
        QSqlQuery query = db->exec(QStringLiteral("UPDATE NM_RPCOS SET VAL_CAUS = 1, ACT_USUA = "
                                                  "'BENCH', ACT_HORA = :T, ACT_ESTA = 'M'"),
                                   {QDateTime::currentDateTime()});
        rows = query.numRowsAffected();
        return secondsOf(timer);
    }

    double timeYearlySum(bool indexOrder, qint64& groups)
    {
        QElapsedTimer timer;
        timer.start();
        groups = readGroups(QStringLiteral("FEC_PROC BETWEEN :I AND :F"),
                            {QDateTime(QDate(2013, 1, 1), QTime(0, 0)),
                             QDateTime(QDate(2013, 12, 31), QTime(0, 0))},
                            indexOrder);
        return secondsOf(timer);
    }

    // The date path needs the latest date first; so does its floor. For one date the
    // planner's choice, the date index, is the right one.
    double timeDateSum(qint64& groups)
    {
        QElapsedTimer timer;
        timer.start();
        const QVariant latest = db->queryValue(
            QStringLiteral("SELECT MAX(FEC_PROC) FROM NM_NCMOV WHERE FEC_PROC <= :C"),
            {QDateTime::currentDateTime()});
        groups = readGroups(QStringLiteral("FEC_PROC = :C"), {latest}, false);
        return secondsOf(timer);
    }
};

CausadoBench::CausadoBench(const QString& database) : d(std::make_unique<Private>())
{
    d->db = Database::open(database);
    d->update =
        std::make_unique<CausedRun>(LocalAppServer::connect(database), QStringLiteral("BENCH"));
}

CausadoBench::~CausadoBench() = default;

CausadoBench::Result CausadoBench::run(int runs)
{
    QList<double> plannerSum, indexSum, dateSum, rewrite, yearly, date;
    Result result;
    for (int i = 0; i < runs; ++i) {
        plannerSum.append(d->timeYearlySum(false, result.yearlyGroups));
        indexSum.append(d->timeYearlySum(true, result.yearlyGroups));
        rewrite.append(d->timeRewrite(result.relationRows));
        yearly.append(d->timePath(QStringLiteral("2013")));
        dateSum.append(d->timeDateSum(result.dateGroups));
        date.append(d->timePath(QString()));
    }
    d->setPeriod(QStringLiteral("2013"));
    result.plannerSum = BenchProcess::median(plannerSum);
    result.indexSum = BenchProcess::median(indexSum);
    result.dateSum = BenchProcess::median(dateSum);
    result.rewrite = BenchProcess::median(rewrite);
    result.yearly = BenchProcess::median(yearly);
    result.date = BenchProcess::median(date);
    return result;
}

} // namespace tavrel::bench
