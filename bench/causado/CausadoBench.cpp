#include "CausadoBench.h"

#include "ActualizacionCausado.h"
#include "Database.h"
#include "LocalAppServer.h"
#include "SClientDataSet.h"
#include "SDCOMConnection.h"
#include "ServidorCausado.h"

#include <QElapsedTimer>
#include <QSqlQuery>
#include <algorithm>

namespace tavrel::bench {

namespace {

const QString kGroupedSum =
    QStringLiteral("SELECT COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN, SUM(VAL_CAUC) FROM NM_NCMOV "
                   "WHERE NAT_TRAN = 'D' AND %1 GROUP BY COD_EMPR, COD_CCOS, COD_CONT, COD_CUEN");

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

double secondsOf(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

struct CausadoBench::Private
{
    std::unique_ptr<Database> db; // setting changes and the floor
    SDCOMConnection connection;
    SClientDataSet qryNmVarig;
    SClientDataSet qryTemporal;

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
        ActualizacionCausado::ejecutar(
            ServidorCausado::puertos(connection, qryNmVarig, qryTemporal),
            QDateTime::currentDateTime(), QStringLiteral("BENCH"), QStringLiteral("N"),
            QStringLiteral("dd/MM/yyyy"));
        return secondsOf(timer);
    }

    // Reads every group; returns how many there were.
    qint64 readGroups(const QString& condition, const QVariantList& values)
    {
        QSqlQuery query = db->exec(kGroupedSum.arg(condition), values);
        qint64 groups = 0;
        double total = 0;
        while (query.next()) {
            for (int c = 0; c < 4; ++c)
                query.value(c);
            total += query.value(4).toDouble();
            ++groups;
        }
        return total >= 0 ? groups : -groups;
    }

    double timeYearlyFloor(qint64& groups)
    {
        QElapsedTimer timer;
        timer.start();
        groups = readGroups(QStringLiteral("FEC_PROC BETWEEN :I AND :F"),
                            {QDateTime(QDate(2013, 1, 1), QTime(0, 0)),
                             QDateTime(QDate(2013, 12, 31), QTime(0, 0))});
        return secondsOf(timer);
    }

    // The date path needs the latest date first; so does its floor.
    double timeDateFloor(qint64& groups)
    {
        QElapsedTimer timer;
        timer.start();
        const QVariant latest = db->queryValue(
            QStringLiteral("SELECT MAX(FEC_PROC) FROM NM_NCMOV WHERE FEC_PROC <= :C"),
            {QDateTime::currentDateTime()});
        groups = readGroups(QStringLiteral("FEC_PROC = :C"), {latest});
        return secondsOf(timer);
    }
};

CausadoBench::CausadoBench(const QString& database) : d(std::make_unique<Private>())
{
    d->db = Database::open(database);
    d->connection.setAppServer(std::shared_ptr<IAppServer>(LocalAppServer::connect(database)));
    ServidorCausado::prepararQryNmVarig(d->qryNmVarig);
    ServidorCausado::prepararQryTemporal(d->qryTemporal);
    d->qryNmVarig.setRemoteServer(&d->connection);
    d->qryTemporal.setRemoteServer(&d->connection);
}

CausadoBench::~CausadoBench() = default;

CausadoBench::Result CausadoBench::run(int runs)
{
    QList<double> floor, yearly, date, dateFloor;
    Result result;
    for (int i = 0; i < runs; ++i) {
        floor.append(d->timeYearlyFloor(result.floorGroups));
        yearly.append(d->timePath(QStringLiteral("2013")));
        dateFloor.append(d->timeDateFloor(result.dateGroups));
        date.append(d->timePath(QString()));
    }
    d->setPeriod(QStringLiteral("2013"));
    result.floor = median(floor);
    result.yearly = median(yearly);
    result.date = median(date);
    result.dateFloor = median(dateFloor);
    return result;
}

} // namespace tavrel::bench
