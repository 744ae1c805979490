#pragma once

#include <QString>
#include <memory>

namespace tavrel::bench {

// Times the caused-value update as the module runs it (ActualizacionCausado through
// ServidorCausado on a LocalAppServer) and, in the same run, its floor: one grouped
// aggregate over NM_NCMOV that computes the same sums, every row read.
class CausadoBench
{
public:
    // Medians, in seconds.
    struct Result
    {
        double floor = 0;     // grouped sum of 2013's debits, every group read
        double yearly = 0;    // FEC_RPCO 2013: update and clean-up
        double date = 0;      // FEC_RPCO empty: latest date, update
        double dateFloor = 0; // latest date, then the grouped sum of that one date
        qint64 floorGroups = 0;
        qint64 dateGroups = 0;
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
