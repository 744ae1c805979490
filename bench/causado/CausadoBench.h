#pragma once

#include <QString>
#include <algorithm>
#include <memory>

namespace tavrel::bench {

// Times the caused-value update as the module runs it (ActualizacionCausado through
// ServidorCausado on a LocalAppServer) and, in the same run, the floor of each path: the
// least work that gives its result, which is one grouped aggregate over the movements it
// sums (every group read) plus one rewrite of the four columns of every relation row.
//
// The yearly sum is the faster of two plans of that aggregate: the one the engine's
// planner picks, and one that walks the caused-value index in its order (the planners of
// both engines prefer the date index and a hash or sort step, which is several times
// slower here). A floor that is slower than it need be would flatter the ratio.
//
// What stays between a path and its floor: the statement's correlated sum, which neither
// engine turns into a join, searches the movements' index once per relation row. On
// SQLite such a search costs somewhat less than rewriting the row; on PostgreSQL, whose
// executor restarts the sub-plan for every row, up to twice as much. The date path's
// floor reads its one date in a few hundred pages, so there the searches are nearly all
// the difference.
class CausadoBench
{
public:
    // Medians, in seconds.
    struct Result
    {
        double plannerSum = 0; // grouped sum of 2013's debits, the planner's plan
        double indexSum = 0;   // the same sum in the order of NM_NCMOV_CAUS
        double dateSum = 0;    // latest date, then the grouped sum of that one date
        double rewrite = 0;    // VAL_CAUS and the three audit columns of every row set
        double yearly = 0;     // FEC_RPCO 2013: update and clean-up
        double date = 0;       // FEC_RPCO empty: latest date, update
        qint64 yearlyGroups = 0;
        qint64 dateGroups = 0;
        qint64 relationRows = 0;

        double yearlySum() const { return std::min(plannerSum, indexSum); }
        double yearlyFloor() const { return yearlySum() + rewrite; }
        double dateFloor() const { return dateSum + rewrite; }
    };

    explicit CausadoBench(const QString& database);
    ~CausadoBench();

    // Each measurement `runs` times, interleaved, so that a busy moment of the machine
    // hits path and floor alike.
    Result run(int runs);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tavrel::bench
