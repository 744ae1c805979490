#pragma once

#include <QString>
#include <algorithm>
#include <memory>

namespace tavrel::bench {

// Times the caused-value update as the module runs it (ActualizacionCausado through
// ServidorCausado on a LocalAppServer) and, in the same run, its floor: one grouped
// aggregate over NM_NCMOV that computes the same sums, every row read.
//
// The floor is the faster of two plans of that aggregate: the one the engine's planner
// picks, and one that walks the caused-value index in its order (the planners of both
// engines prefer the date index and a hash or sort step, which is several times slower
// here). A floor that is slower than it need be would flatter the ratio.
class CausadoBench
{
public:
    // Medians, in seconds.
    struct Result
    {
        double plannerFloor = 0; // grouped sum of 2013's debits, the planner's plan
        double indexFloor = 0;   // the same sum in the order of NM_NCMOV_CAUS
        double yearly = 0;       // FEC_RPCO 2013: update and clean-up
        double date = 0;         // FEC_RPCO empty: latest date, update
        double dateFloor = 0;    // latest date, then the grouped sum of that one date
        qint64 floorGroups = 0;
        qint64 dateGroups = 0;

        double floor() const { return std::min(plannerFloor, indexFloor); }
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
